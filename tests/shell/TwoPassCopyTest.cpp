#include "CopyWindow.h"

#include "support/OtherUser.h"

#include <QAccessible>
#include <QCheckBox>
#include <QProgressBar>
#include <QTimer>

namespace {

// Both kinds of cycle: CATEGORIA references itself, SETOR and FUNCIONARIO reference each other
// (the manager may be NULL, the department may not).
const QString Ciclos = QStringLiteral(
    "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20), PAI INTEGER REFERENCES CATEGORIA (ID));"
    "CREATE TABLE SETOR (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20), GERENTE INTEGER);"
    "CREATE TABLE FUNCIONARIO (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20), SETOR INTEGER NOT NULL REFERENCES SETOR);"
    "ALTER TABLE SETOR ADD CONSTRAINT FK_SETOR_GERENTE FOREIGN KEY (GERENTE) REFERENCES FUNCIONARIO;");

// Children stored before their parents. Vendas is managed by one of its own employees, Compras
// by an employee of Vendas, Novo by nobody.
const QString Categorias = QStringLiteral(
    "INSERT INTO CATEGORIA VALUES (4, 'Notebooks', NULL); INSERT INTO CATEGORIA VALUES (3, 'Portateis', NULL);"
    "INSERT INTO CATEGORIA VALUES (2, 'Informatica', NULL); INSERT INTO CATEGORIA VALUES (1, 'Produtos', NULL);"
    "INSERT INTO CATEGORIA VALUES (5, 'Avulsa', NULL); UPDATE CATEGORIA SET PAI = ID - 1 WHERE ID BETWEEN 2 AND 4;");
const QString Setores = QStringLiteral(
    "INSERT INTO SETOR VALUES (1, 'Vendas', NULL); INSERT INTO SETOR VALUES (2, 'Compras', NULL);"
    "INSERT INTO SETOR VALUES (3, 'Novo', NULL); INSERT INTO FUNCIONARIO VALUES (7, 'Ana', 1);"
    "INSERT INTO FUNCIONARIO VALUES (8, 'Bruno', 2); UPDATE SETOR SET GERENTE = 7 WHERE ID IN (1, 2);");

// 3000 categories, each under the one before.
const QString ChainOfCategories = QStringLiteral(
    "SET TERM ^ ;"
    "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 3000) DO BEGIN"
    " INSERT INTO CATEGORIA VALUES (:I, 'linha ' || :I, NULL); I = I + 1; END END^"
    "SET TERM ; ^"
    "UPDATE CATEGORIA SET PAI = ID - 1 WHERE ID > 1;");

class TwoPassCopy : public CopyWindow {
protected:
    // The categories of ChainOfCategories the destination holds under the right parent.
    int ChainInDestino() const {
        return Destino(QStringLiteral("SELECT COUNT(*) FROM CATEGORIA WHERE PAI IS NOT DISTINCT FROM IIF(ID = 1, NULL, ID - 1)"))
            .toInt();
    }
    int ReferencesSet() const { return Destino(QStringLiteral("SELECT COUNT(*) FROM CATEGORIA WHERE PAI IS NOT NULL")).toInt(); }

    bool InSecondPass() const {
        return Log().contains(QStringLiteral("Destroy(CATEGORIA)")) && window.ListView->topLevelItemCount() == 1;
    }

    void SwitchOn() {
        ShowTab(window.TabConfiguracao);
        window.cbbCopiarReferenciasCirculares->click();
        ShowTab(window.TabSelecao);
        ASSERT_TRUE(CopiarReferenciasCirculares);
    }

    // Every row of the table, every column, ordered by ID, as a database holds it.
    static QString Rows(const QString& table, const QStringList& columns) {
        QStringList values;
        for (const QString& column : columns)
            values << QStringLiteral("COALESCE(CAST(%1 AS VARCHAR(40)), 'N')").arg(column);
        return QStringLiteral("SELECT LIST(%1, ' ') FROM (SELECT * FROM %2 ORDER BY ID)")
            .arg(values.join(QStringLiteral(" || ':' || ")), table);
    }

    void ExpectSameColumnsById(const QString& table, const QStringList& columns) {
        const QString rows = Rows(table, columns);
        EXPECT_FALSE(Origem(rows).isEmpty()) << table;
        EXPECT_EQ(Destino(rows), Origem(rows)) << table;
    }

    void ExpectEveryCycleCopied() {
        ExpectSameColumnsById(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"});
        ExpectSameColumnsById(QStringLiteral("SETOR"), {"ID", "NOME", "GERENTE"});
        ExpectSameColumnsById(QStringLiteral("FUNCIONARIO"), {"ID", "NOME", "SETOR"});
    }

    QStringList Rejected() const { return Log().filter(QStringLiteral(" ERRO ")); }

    // Runs the action at the first time the copy lets the window handle its messages once the
    // condition holds.
    void WhenTheWindowListensAnd(const std::function<bool()>& condition, const std::function<void()>& action) {
        WhenTheWindowListens([=, this] { condition() ? action() : WhenTheWindowListensAnd(condition, action); }, 5);
    }

    // Marks the tables and imports them, the button clicked once the copy of the last one began.
    void ImportClickingWhileCopying(const QStringList& tables, QAbstractButton* button) {
        for (const QString& table : tables) Tabela(table.toLatin1().constData())->SetChecked(true);
        const QString created = QStringLiteral("Create(%1)").arg(tables.last());
        WhenTheWindowListensAnd([=, this] { return Log().contains(created); }, [button] { button->click(); });
        Import();
    }
};

TEST_F(TwoPassCopy, TheBoxIsOnTheSettingsTabAndStartsOff) {
    EXPECT_EQ(window.cbbCopiarReferenciasCirculares->parentWidget(), window.TabConfiguracao);
    EXPECT_EQ(window.cbbCopiarReferenciasCirculares->text(), QStringLiteral("Copiar referências circulares em duas etapas"));
    EXPECT_FALSE(window.cbbCopiarReferenciasCirculares->isChecked());
    EXPECT_FALSE(CopiarReferenciasCirculares);
    SwitchOn();
    window.cbbCopiarReferenciasCirculares->click();
    EXPECT_FALSE(CopiarReferenciasCirculares);
}

// Each setting follows its box, changed by the program or by assistive technology as by a click.
TEST_F(TwoPassCopy, BothSettingsBoxesFollowTheirBoxWhateverChangedIt) {
    for (QCheckBox* box : {window.cbbCopiarReferenciasCirculares, window.cbbWaitDependence}) {
        const bool& setting = box == window.cbbWaitDependence ? EsperarDependencias : CopiarReferenciasCirculares;
        box->setChecked(!box->isChecked());
        EXPECT_EQ(setting, box->isChecked()) << box->text().toStdString();
        QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(setting, box->isChecked()) << box->text().toStdString();
    }
}

TEST_F(TwoPassCopy, ASelfReferenceWhoseChildrenComeFirstArrivesWhole) {
    Connect(Ciclos, Ciclos, Categorias);
    SwitchOn();
    Mark("CATEGORIA");
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 5) << log;
    EXPECT_EQ(log.mid(0, 4), QStringList({"Create(CATEGORIA)", "CDSOrigemCATEGORIA",
                                          "CATEGORIA: 5 lidos, 5 inseridos, 0 rejeitados", "Destroy(CATEGORIA)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 5, 0).match(log[4]).hasMatch()) << log[4];
    ExpectSameColumnsById(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"});
    EXPECT_TRUE(Tabela("CATEGORIA")->Importada());
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);
}

class TwoTableCycle : public TwoPassCopy, public testing::WithParamInterface<const char*> {};

TEST_P(TwoTableCycle, ArrivesWholeWhicheverTableTheImportReachesFirst) {
    Connect(Ciclos, Ciclos, Setores);
    SwitchOn();
    Mark(GetParam());
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 9) << log;
    const QStringList setor(
        {"Create(SETOR)", "CDSOrigemSETOR", "SETOR: 3 lidos, 3 inseridos, 0 rejeitados", "Destroy(SETOR)"});
    const QStringList funcionario({"Create(FUNCIONARIO)", "CDSOrigemFUNCIONARIO",
                                   "FUNCIONARIO: 2 lidos, 2 inseridos, 0 rejeitados", "Destroy(FUNCIONARIO)"});
    if (QLatin1String(GetParam()) == QLatin1String("SETOR"))
        // The departments go in without managers, the employees once the chain has ended.
        EXPECT_EQ(log.mid(0, 8), setor + funcionario);
    else
        EXPECT_EQ(log.mid(0, 8), QStringList({funcionario[0]}) + setor + funcionario.mid(1));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 5, 0).match(log[8]).hasMatch()) << log[8];
    ExpectSameColumnsById(QStringLiteral("SETOR"), {"ID", "NOME", "GERENTE"});
    ExpectSameColumnsById(QStringLiteral("FUNCIONARIO"), {"ID", "NOME", "SETOR"});
    EXPECT_TRUE(Tabela("SETOR")->Importada());
    EXPECT_TRUE(Tabela("FUNCIONARIO")->Importada());
}

INSTANTIATE_TEST_SUITE_P(EitherSide, TwoTableCycle, testing::Values("SETOR", "FUNCIONARIO"));

TEST_F(TwoPassCopy, AThreeTableCycleReachedFromItsMiddleTableFindsEachTablesRowsInPlace) {
    // A -> B -> C are NOT NULL; only C -> A can be cut.
    const QString tables = QStringLiteral(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, B_ID INTEGER NOT NULL);"
        "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, C_ID INTEGER NOT NULL);"
        "CREATE TABLE C (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER);");
    const QString keys = QStringLiteral(
        "ALTER TABLE A ADD FOREIGN KEY (B_ID) REFERENCES B; ALTER TABLE B ADD FOREIGN KEY (C_ID) REFERENCES C;"
        "ALTER TABLE C ADD FOREIGN KEY (A_ID) REFERENCES A;");
    ConnectPair(tables + keys, tables + keys,
                QStringLiteral("INSERT INTO C VALUES (1, NULL); INSERT INTO B VALUES (1, 1); INSERT INTO A VALUES (1, 1);"
                               "INSERT INTO A VALUES (2, 1); UPDATE C SET A_ID = 1;"),
                {});
    SwitchOn();
    Mark("B");
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 13) << log;
    EXPECT_EQ(log.mid(0, 12), QStringList({"Create(B)", "Create(C)", "CDSOrigemC", "C: 1 lidos, 1 inseridos, 0 rejeitados",
                                           "Destroy(C)", "CDSOrigemB", "B: 1 lidos, 1 inseridos, 0 rejeitados", "Destroy(B)",
                                           "Create(A)", "CDSOrigemA", "A: 2 lidos, 2 inseridos, 0 rejeitados", "Destroy(A)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 3, 4, 0).match(log[12]).hasMatch()) << log[12];
    ExpectSameColumnsById(QStringLiteral("A"), {"ID", "B_ID"});
    ExpectSameColumnsById(QStringLiteral("B"), {"ID", "C_ID"});
    ExpectSameColumnsById(QStringLiteral("C"), {"ID", "A_ID"});
}

TEST_F(TwoPassCopy, ACycleOfNotNullKeysIsCopiedAsBeforeAndTheLogSaysWhyOncePerTable) {
    const QString tables = QStringLiteral(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, B_ID INTEGER NOT NULL);"
        "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER NOT NULL);");
    const QString keys = QStringLiteral(
        "ALTER TABLE A ADD FOREIGN KEY (B_ID) REFERENCES B; ALTER TABLE B ADD FOREIGN KEY (A_ID) REFERENCES A;");
    ConnectPair(tables, tables + keys,
                QStringLiteral("INSERT INTO A VALUES (1, 1); INSERT INTO B VALUES (1, 1); INSERT INTO B VALUES (2, 1);") + keys,
                {});
    SwitchOn();
    Mark("A");
    Import();
    QStringList log = Log();
    ASSERT_EQ(log.size(), 14) << log;
    EXPECT_EQ(log.mid(0, 3), QStringList({"Create(A)", "Create(B)",
                                          "B: ciclo de chaves estrangeiras não pode ser adiado (coluna A_ID é NOT NULL)"}));
    for (const QString& line : log.mid(3, 2)) EXPECT_TRUE(line.startsWith(QStringLiteral("B ERRO INSERIR violation of FOREIGN KEY"))) << line;
    EXPECT_EQ(log.mid(5, 4), QStringList({"CDSOrigemB", "B: 2 lidos, 0 inseridos, 2 rejeitados", "Destroy(B)",
                                          "A: ciclo de chaves estrangeiras não pode ser adiado (coluna B_ID é NOT NULL)"}));
    EXPECT_TRUE(log[9].startsWith(QStringLiteral("A ERRO INSERIR violation of FOREIGN KEY"))) << log[9];
    EXPECT_EQ(log.mid(10, 3), QStringList({"CDSOrigemA", "A: 1 lidos, 0 inseridos, 1 rejeitados", "Destroy(A)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 0, 3).match(log[13]).hasMatch()) << log[13];
}

TEST_F(TwoPassCopy, MarcarTodosWithWaitingOnStillCopiesATwoTableCycleNoOtherTableReaches) {
    Connect(Ciclos, Ciclos, Setores);
    SwitchOn();
    ASSERT_TRUE(EsperarDependencias);
    window.btnCheckAll->click();
    EXPECT_TRUE(Tabela("SETOR")->WaitDependence()) << "FUNCIONARIO reaches it through a NOT NULL key";
    EXPECT_FALSE(Tabela("FUNCIONARIO")->WaitDependence()) << "SETOR reaches it through its cut key alone";
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    ExpectSameColumnsById(QStringLiteral("SETOR"), {"ID", "NOME", "GERENTE"});
    ExpectSameColumnsById(QStringLiteral("FUNCIONARIO"), {"ID", "NOME", "SETOR"});
}

TEST_F(TwoPassCopy, OneImportOfEveryTableCopiesBothKindsOfCycleWholeAndASecondOneCopiesNothingNew) {
    Connect(Ciclos, Ciclos, Categorias + Setores);
    SwitchOn();
    window.btnCheckAll->click();
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 3, 10, 0).match(Log().last()).hasMatch()) << Log();
    ExpectEveryCycleCopied();
    for (const char* name : {"CATEGORIA", "SETOR", "FUNCIONARIO"}) EXPECT_TRUE(Tabela(name)->Importada()) << name;

    const int before = int(Log().size());
    Import();
    const QStringList second = Log().mid(before);
    ASSERT_EQ(second.size(), 4) << second;
    EXPECT_TRUE(second[1].startsWith(QStringLiteral("FUNCIONARIO: mesma quantidade de registros"))) << second;
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(second[3]).hasMatch()) << second;
    ExpectEveryCycleCopied();
}

TEST_F(TwoPassCopy, ARowRefusedInTheSecondPassIsLoggedAndARowTheDestinationHeldKeepsItsReferenceOrItsNull) {
    const QString destino = Ciclos + QStringLiteral(
        "ALTER TABLE CATEGORIA ADD CONSTRAINT NAO_TRES CHECK (PAI IS NULL OR PAI <> 3);"
        "CREATE TABLE HISTORICO (ID INTEGER);"
        "SET TERM ^ ;"
        "CREATE TRIGGER CATEGORIA_ALTERADA FOR CATEGORIA AFTER UPDATE AS BEGIN INSERT INTO HISTORICO VALUES (NEW.ID); END^"
        "SET TERM ; ^");
    ConnectPair(Ciclos, destino, Categorias + QStringLiteral("UPDATE CATEGORIA SET PAI = 4 WHERE ID = 5;"),
                QStringLiteral("INSERT INTO CATEGORIA VALUES (2, 'Destino propria', NULL); INSERT INTO CATEGORIA VALUES (5, 'Antiga', 2);"));
    SwitchOn();
    Mark("CATEGORIA");
    Import();
    const QStringList rejected = Rejected();
    ASSERT_EQ(rejected.size(), 3) << Log();
    EXPECT_EQ(rejected.filter(QStringLiteral("CATEGORIA ERRO INSERIR violation of PRIMARY or UNIQUE KEY")).size(), 2);
    EXPECT_TRUE(rejected[2].startsWith(QStringLiteral("CATEGORIA ERRO ALTERAR Operation violates CHECK constraint NAO_TRES")))
        << rejected[2];
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 3, 3).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(Destino(Rows(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"})),
              QStringLiteral("1:Produtos:N 2:Destino propria:N 3:Portateis:2 4:Notebooks:N 5:Antiga:2"));
    // The destination's update triggers fire for every row the second pass sets.
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID) FROM (SELECT ID FROM HISTORICO ORDER BY ID)")), QStringLiteral("3"));
}

TEST_F(TwoPassCopy, ARowTheDestinationHeldThatTheServerTakesForTheSourcesKeepsItsNull) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20) CHARACTER SET UTF8 COLLATE UNICODE_CI,"
        " PAI INTEGER REFERENCES CATEGORIA (ID));");
    ConnectPair(ddl, ddl, Categorias,
                QStringLiteral("INSERT INTO CATEGORIA VALUES (2, 'INFORMATICA', NULL); INSERT INTO CATEGORIA VALUES (4, 'Notebooks ', NULL);"));
    SwitchOn();
    Mark("CATEGORIA");
    Import();
    EXPECT_EQ(Destino(Rows(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"})),
              QStringLiteral("1:Produtos:N 2:INFORMATICA:N 3:Portateis:2 4:Notebooks :N 5:Avulsa:N"));
}

TEST_F(TwoPassCopy, ARowTheSecondPassCannotFindIsRefusedAndLogged) {
    const QString destino = Ciclos + QStringLiteral(
        "SET TERM ^ ;"
        "CREATE TRIGGER CATEGORIA_RENUMERADA FOR CATEGORIA BEFORE INSERT AS BEGIN IF (NEW.ID = 5) THEN NEW.ID = 50; END^"
        "SET TERM ; ^");
    ConnectPair(Ciclos, destino, Categorias + QStringLiteral("UPDATE CATEGORIA SET PAI = 1 WHERE ID = 5;"), QString());
    SwitchOn();
    Mark("CATEGORIA");
    Import();
    EXPECT_EQ(Rejected(), QStringList({"CATEGORIA ERRO ALTERAR linha não encontrada pela chave [chave: ID=5]"}));
}

TEST_F(TwoPassCopy, ARowWhoseUniqueKeyIsNullCannotBeFoundAgainAndTheLogSaysSo) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE GRUPO (ID INTEGER NOT NULL, CODIGO INTEGER UNIQUE, PAI INTEGER);"
        "ALTER TABLE GRUPO ADD FOREIGN KEY (PAI) REFERENCES GRUPO (CODIGO);");
    Connect(ddl, ddl, QStringLiteral("INSERT INTO GRUPO VALUES (1, 10, NULL); INSERT INTO GRUPO VALUES (2, NULL, 10);"
                                     "INSERT INTO GRUPO VALUES (3, 30, 10);"));
    SwitchOn();
    Mark("GRUPO");
    Import();
    EXPECT_EQ(Rejected(), QStringList({"GRUPO ERRO ALTERAR chave CODIGO nula: a linha não pode ser localizada"}));
    EXPECT_EQ(Destino(Rows(QStringLiteral("GRUPO"), {"ID", "CODIGO", "PAI"})), QStringLiteral("1:10:N 2:N:N 3:30:10"));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 3, 1).match(Log().last()).hasMatch()) << Log();
}

// The databases say what is left: a new connection, as a restart, finds it as well.
TEST_F(TwoPassCopy, AStopDuringTheSecondPassKeepsWhatWasSetAndAfterConectarTheNextImportFinishesIt) {
    Connect(Ciclos, Ciclos, ChainOfCategories);
    SwitchOn();
    Mark("CATEGORIA");
    int barMaximum = -1;
    QString total;
    WhenTheWindowListensAnd(
        [this] { return InSecondPass(); },
        [&] {
            const auto* bar = qobject_cast<QProgressBar*>(window.ListView->itemWidget(window.ListView->topLevelItem(0), 1));
            barMaximum = bar ? bar->maximum() : -2;
            total = window.lblTotal->text();
            window.btnParar->click();
        });
    Import();
    EXPECT_EQ(barMaximum, 2999) << "the second pass shows a bar of the rows with a reference to set";
    EXPECT_EQ(total, QStringLiteral("Total: 3.000 de 3.000 registros · segunda etapa"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
    EXPECT_TRUE(Summary(QStringLiteral("Importação interrompida"), 1, 3000, 0).match(Log().last()).hasMatch()) << Log();
    const int set = ReferencesSet();
    EXPECT_GE(set, 1);
    EXPECT_LT(set, 2999);
    // Its row and the log say where it stopped.
    ASSERT_EQ(window.ListView->topLevelItemCount(), 1);
    EXPECT_EQ(window.ListView->topLevelItem(0)->text(0), QStringLiteral("CATEGORIA interrompida"));
    EXPECT_EQ(Log().filter(QRegularExpression(QStringLiteral("^CATEGORIA: segunda etapa interrompida depois de \\d+ de 2999 registro\\(s\\) enviados$"))).size(), 1)
        << Log();
    EXPECT_EQ(DestinoCount("CATEGORIA"), 3000);
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada()) << "half done, whatever its counts";
    window.btnAtualizar->click();
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada());
    Reconnect();
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada()) << "a new connection knows it too";

    Mark("CATEGORIA");
    const int before = int(Log().size());
    Import();
    EXPECT_EQ(Log().mid(before, 2), QStringList({"Create(CATEGORIA)", "Destroy(CATEGORIA)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(ChainInDestino(), 3000);
    EXPECT_TRUE(Tabela("CATEGORIA")->Importada());
}

// Another connection holds a row the destination's update trigger writes to.
TEST_F(TwoPassCopy, PararEndsASecondPassThatWaitsForAnotherConnectionsRow) {
    const QString destino = Ciclos + QStringLiteral(
        "CREATE TABLE TRAVA (ID INTEGER); INSERT INTO TRAVA VALUES (1);"
        "SET TERM ^ ; CREATE TRIGGER CATEGORIA_TRAVA FOR CATEGORIA AFTER UPDATE AS BEGIN UPDATE TRAVA SET ID = 1; END^"
        "SET TERM ; ^");
    ConnectPair(Ciclos, destino, Categorias, QString());
    const OtherUser holding(this->destino, QStringLiteral("UPDATE TRAVA SET ID = 2"));
    SwitchOn();
    Mark("CATEGORIA");
    WhenTheWindowListensAnd([this] { return InSecondPass(); },
                            [this] { QTimer::singleShot(500, window.btnParar, &QAbstractButton::click); });
    Import();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Processo Parado!"));
    EXPECT_TRUE(Log().filter(QStringLiteral("segunda etapa interrompida")).size() == 1) << Log();
}

TEST_F(TwoPassCopy, APauseHoldsTheSecondPassWithWhatItSetCommittedUntilContinuar) {
    Connect(Ciclos, Ciclos, ChainOfCategories);
    SwitchOn();
    Mark("CATEGORIA");
    int atPause = -1, laterInPause = -1;
    WhenTheWindowListensAnd([this] { return InSecondPass(); },
                            [&] {
                                window.btnPausar->click();
                                WhenTheWindowListens([&] { atPause = ReferencesSet(); }, 100);
                                WhenTheWindowListens(
                                    [&] {
                                        laterInPause = ReferencesSet();
                                        window.btnPausar->click();
                                    },
                                    300);
                            });
    Import();
    EXPECT_GE(atPause, 1);
    EXPECT_EQ(laterInPause, atPause);
    EXPECT_EQ(window.btnPausar->text(), QStringLiteral("Pausar"));
    EXPECT_EQ(ChainInDestino(), 3000);
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 3000, 0).match(Log().last()).hasMatch()) << Log();
}

TEST_F(TwoPassCopy, AStopBeforeTheSecondPassLeavesTheTableNotImportedAndTheNextImportFinishesIt) {
    const QString ddl = Ciclos + QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");
    Connect(ddl, ddl, Categorias + ManyRows(QStringLiteral("GRANDE"), 5000));
    SwitchOn();
    ImportClickingWhileCopying({"CATEGORIA", "GRANDE"}, window.btnParar);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(DestinoCount("CATEGORIA"), 5);
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) FROM CATEGORIA WHERE PAI IS NOT NULL")), QStringLiteral("0"));
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada());

    Tabela("GRANDE")->SetChecked(false);
    const int before = int(Log().size());
    Import();
    const QStringList second = Log().mid(before);
    ASSERT_EQ(second.size(), 3) << second;
    EXPECT_EQ(second.mid(0, 2), QStringList({"Create(CATEGORIA)", "Destroy(CATEGORIA)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(second[2]).hasMatch()) << second;
    ExpectSameColumnsById(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"});
    EXPECT_TRUE(Tabela("CATEGORIA")->Importada());
}

// As the program finds a destination whose second pass never ran: after a restart, the box off.
TEST_F(TwoPassCopy, ASecondPassLeftUndoneIsFoundOnConnectingAndFillsTheRowsThatHoldTheSourcesValues) {
    ConnectPair(Ciclos, Ciclos, Categorias,
                Categorias + QStringLiteral("UPDATE CATEGORIA SET PAI = NULL, NOME = IIF(ID = 2, 'Destino propria', NOME);"));
    ASSERT_FALSE(CopiarReferenciasCirculares);
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada());
    Mark("CATEGORIA");
    Import();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 3) << log;
    EXPECT_EQ(log.mid(0, 2), QStringList({"Create(CATEGORIA)", "Destroy(CATEGORIA)"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(log[2]).hasMatch()) << log[2];
    EXPECT_EQ(Destino(Rows(QStringLiteral("CATEGORIA"), {"ID", "NOME", "PAI"})),
              QStringLiteral("1:Produtos:N 2:Destino propria:N 3:Portateis:2 4:Notebooks:3 5:Avulsa:N"));
    EXPECT_FALSE(Tabela("CATEGORIA")->Importada()) << "row 2 still lacks the source's reference";
}

// SETOR references REGIAO as well: the window handles its messages while REGIAO is copied,
// between SETOR's leaving FUNCIONARIO for later and the copy of SETOR's rows.
TEST_F(TwoPassCopy, TheBoxChangedDuringAnImportCountsFromTheNextImportOn) {
    const QString regiao = QStringLiteral(
        "CREATE TABLE REGIAO (ID INTEGER NOT NULL PRIMARY KEY); ALTER TABLE SETOR ADD REGIAO INTEGER REFERENCES REGIAO;");
    ConnectPair(Ciclos, Ciclos + regiao, Setores + regiao + QStringLiteral("INSERT INTO REGIAO VALUES (1);"), {});
    SwitchOn();
    Mark("SETOR");
    WhenTheWindowListensAnd([this] { return Log().contains(QStringLiteral("Create(REGIAO)")); },
                            [this] { window.cbbCopiarReferenciasCirculares->click(); });
    Import();
    EXPECT_FALSE(CopiarReferenciasCirculares) << "unticked for the next import";
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    ExpectSameColumnsById(QStringLiteral("SETOR"), {"ID", "NOME", "GERENTE"});
    ExpectSameColumnsById(QStringLiteral("FUNCIONARIO"), {"ID", "NOME", "SETOR"});
}

// PRODUTO's node comes after CATEGORIA's, and CATEGORIA shows under it again.
TEST_F(TwoPassCopy, AtualizarTabelasDuringAnImportCopiesATwoPassTableOnceAndARefusedRowCountsOnce) {
    const QString produtos = QStringLiteral(
        "CREATE TABLE PRODUTO (ID INTEGER NOT NULL PRIMARY KEY, CATEGORIA INTEGER REFERENCES CATEGORIA);");
    ConnectPair(Ciclos + produtos, Ciclos + produtos + QStringLiteral("ALTER TABLE CATEGORIA ADD CHECK (PAI <> 3);"),
                Categorias + QStringLiteral("SET TERM ^ ;"
                                            "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 5000) DO BEGIN"
                                            " INSERT INTO PRODUTO VALUES (:I, 1); I = I + 1; END END^"
                                            "SET TERM ; ^"),
                {});
    SwitchOn();
    ImportClickingWhileCopying({"CATEGORIA", "PRODUTO"}, window.btnAtualizar);
    EXPECT_EQ(Log().filter(QStringLiteral("Create(CATEGORIA)")).size(), 1) << Log();
    EXPECT_EQ(Rejected().size(), 1) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 5005, 1).match(Log().last()).hasMatch()) << Log();
}

}  // namespace
