#include "CatalogueWindowTest.h"

#include "catalogue/ActivityLog.h"

#include <QFile>
#include <QGuiApplication>
#include <QTimer>

namespace {

// On the source: "item pedido" -> PEDIDO -> CLIENTE, CATEGORIA references itself, MAE and FILHA
// reference each other.
const QString Origem = QStringLiteral(
    "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY);"
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY, CLIENTE_ID INTEGER REFERENCES CLIENTE (ID));"
    "CREATE TABLE \"item pedido\" (ID INTEGER, PEDIDO_ID INTEGER REFERENCES PEDIDO (ID));"
    "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CATEGORIA (ID));"
    "CREATE TABLE MAE (ID INTEGER NOT NULL PRIMARY KEY, FILHA_ID INTEGER);"
    "CREATE TABLE FILHA (ID INTEGER NOT NULL PRIMARY KEY, MAE_ID INTEGER REFERENCES MAE (ID));"
    "ALTER TABLE MAE ADD CONSTRAINT FK_MAE_FILHA FOREIGN KEY (FILHA_ID) REFERENCES FILHA (ID);");

const QStringList Tabelas = {QStringLiteral("CLIENTE"),   QStringLiteral("PEDIDO"), QStringLiteral("\"item pedido\""),
                             QStringLiteral("CATEGORIA"), QStringLiteral("MAE"),    QStringLiteral("FILHA")};

// The destination has the same tables without the keys, one row in each, and writes down the
// name of every table whose row goes, in the order the rows go.
QString Destino() {
    QString script =
        QStringLiteral("CREATE TABLE APAGADAS (N INTEGER, TABELA VARCHAR(31)); CREATE SEQUENCE SEQ_APAGADAS;");
    for (const QString& tabela : Tabelas) {
        QString bare = tabela;
        bare.remove(QLatin1Char('"'));
        script += QStringLiteral(
                      "CREATE TABLE %1 (ID INTEGER, REF INTEGER); INSERT INTO %1 VALUES (1, NULL);"
                      "SET TERM ^ ;"
                      "CREATE TRIGGER \"%2 AD\" FOR %1 AFTER DELETE AS BEGIN"
                      " INSERT INTO APAGADAS VALUES (NEXT VALUE FOR SEQ_APAGADAS, '%2'); END^"
                      "SET TERM ; ^")
                      .arg(tabela, bare);
    }
    return script;
}

const QString Efetuada = QStringLiteral("Limpeza da(s) tabela(s) efetuada!");
const QString Atencao = QStringLiteral("Atenção");

class CleanupWindow : public CatalogueWindow {
protected:
    void Mark(std::initializer_list<const char*> names) {
        for (const char* name : names) Tabela(name)->SetCheckedDelete(true);
    }

    // Presses "Efetuar Limpeza" and answers the question that must come first.
    void Clean(int answer = IDYES) {
        dialogs.messages.clear();
        dialogs.AnswerQuestion(answer);
        window.btnEfetuarLimpeza->click();
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages[0].flags, MB_YESNO | MB_ICONQUESTION);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        for (const auto& message : dialogs.messages) EXPECT_FALSE(message.busyCursor) << message.text.toStdString();
    }

    // The message boxes after the question.
    QStringList Afterwards() const {
        QStringList texts;
        for (size_t i = 1; i < dialogs.messages.size(); ++i) texts << dialogs.messages[i].text;
        return texts;
    }

    QString Apagadas() const {
        return DatabaseFactory::QueryValue(
            destino, QStringLiteral("SELECT LIST(TABELA, ',') FROM (SELECT TABELA FROM APAGADAS ORDER BY N)"));
    }

    QString Rows(const QString& tabela) const {
        return DatabaseFactory::QueryValue(destino, QStringLiteral("SELECT COUNT(*) FROM ") + tabela);
    }

    QByteArray LogFile() const {
        QFile file(FileInFolder(QStringLiteral("LogVendrasol.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

}  // namespace

TEST_F(CleanupWindow, EmptiesTheTablesThatReferenceAMarkedTableFirstAndEachTableOnce) {
    Connect(Origem, Destino());
    Mark({"CATEGORIA", "CLIENTE", "MAE"});

    Clean();
    EXPECT_EQ(dialogs.messages[0].caption, Atencao);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral(
                  "Apagar todas as linhas destas tabelas do destino, nesta ordem?\n\n"
                  "CATEGORIA\nitem pedido (não marcada)\nPEDIDO (não marcada)\nCLIENTE\nFILHA (não marcada)\nMAE\n\n"
                  "As tabelas não marcadas referenciam tabelas marcadas e por isso são esvaziadas também."));
    // The self-reference once; the chain from its far end; in the cycle the marked table last.
    EXPECT_EQ(Apagadas(), QStringLiteral("CATEGORIA,item pedido,PEDIDO,CLIENTE,FILHA,MAE"));
    EXPECT_EQ(Afterwards(), QStringList{Efetuada});
    EXPECT_EQ(dialogs.messages[1].caption, Atencao);
    EXPECT_EQ(dialogs.messages[1].flags, MB_ICONINFORMATION);
    for (const char* name : {"CATEGORIA", "item pedido", "PEDIDO", "CLIENTE", "FILHA", "MAE"}) {
        EXPECT_TRUE(Tabela(name)->Deletada()) << name;
        EXPECT_FALSE(Tabela(name)->Deletando()) << name;
        EXPECT_TRUE(Tabela(name)->Importada()) << name;   // both sides empty now
    }
    EXPECT_EQ(LogFile(), QByteArray()) << "the log file is written at the end of the cleanup";

    // Emptied tables are not emptied again until the tables are refreshed.
    DatabaseFactory::Execute(destino, QStringLiteral("INSERT INTO CLIENTE VALUES (2, NULL)"));
    dialogs.messages.clear();
    window.btnEfetuarLimpeza->click();
    ASSERT_EQ(dialogs.messages.size(), 1u) << "no question with nothing left to empty";
    EXPECT_EQ(dialogs.messages[0].text, Efetuada);
    EXPECT_EQ(Rows(QStringLiteral("CLIENTE")), QStringLiteral("1"));
}

TEST_F(CleanupWindow, NothingMarkedSendsNothingAsksNothingAndSaysItIsDone) {
    window.btnEfetuarLimpeza->click();
    ASSERT_EQ(dialogs.messages.size(), 1u) << "before any connect";
    EXPECT_EQ(dialogs.messages[0].text, Efetuada);

    Connect(Origem, Destino());
    dialogs.messages.clear();
    window.btnEfetuarLimpeza->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, Efetuada);
    EXPECT_EQ(dialogs.messages[0].caption, Atencao);
    EXPECT_EQ(dialogs.messages[0].flags, MB_ICONINFORMATION);
    EXPECT_EQ(Apagadas(), QString());
    EXPECT_EQ(LogFile(), QByteArray());
}

TEST_F(CleanupWindow, AnsweringNoDeletesNothing) {
    Connect(Origem, Destino());
    Mark({"CLIENTE"});
    RegistrarLog(QStringLiteral("linha anterior"));

    Clean(IDNO);
    EXPECT_TRUE(Afterwards().isEmpty());
    EXPECT_EQ(Apagadas(), QString());
    for (const QString& tabela : Tabelas) EXPECT_EQ(Rows(tabela), QStringLiteral("1")) << tabela.toStdString();
    EXPECT_FALSE(Tabela("CLIENTE")->Deletada());
    EXPECT_EQ(LogFile(), QByteArray("linha anterior\r\n"));
}

TEST_F(CleanupWindow, FailedDeleteIsLoggedOnceStopsEverythingAndIsTriedAgainNextTime) {
    Connect(
        Origem,
        Destino() + QStringLiteral(
                        "CREATE EXCEPTION E_BLOQUEADA 'exclusao bloqueada';"
                        "SET TERM ^ ;"
                        "CREATE TRIGGER ITEM_BD FOR \"item pedido\" BEFORE DELETE AS BEGIN EXCEPTION E_BLOQUEADA; END^"
                        "SET TERM ; ^"));
    Mark({"CLIENTE"});

    Clean();
    ASSERT_EQ(ListaLog.Count(), 1);
    EXPECT_TRUE(ListaLog[0].startsWith(QStringLiteral("ExecutarDelecao item pedido="))) << ListaLog[0].toStdString();
    EXPECT_TRUE(ListaLog[0].contains(QStringLiteral("exclusao bloqueada"))) << ListaLog[0].toStdString();
    ASSERT_EQ(dialogs.messages.size(), 2u) << "the error, and no closing message";
    EXPECT_EQ(dialogs.messages[1].flags, MB_ICONSTOP);
    EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("exclusao bloqueada")));
    EXPECT_EQ(Apagadas(), QString());
    for (const char* name : {"PEDIDO", "CLIENTE"})
        EXPECT_EQ(Rows(QString::fromLatin1(name)), QStringLiteral("1")) << name;
    for (TTabela* tabela : ListaTabelas.Items()) {
        EXPECT_FALSE(tabela->Deletada()) << tabela->NomeTabela().toStdString();
        EXPECT_FALSE(tabela->Deletando()) << tabela->NomeTabela().toStdString();
    }
    EXPECT_EQ(LogFile(), (ListaLog[0] + QStringLiteral("\r\n")).toUtf8())
        << "the log file is written after a failure too";

    DatabaseFactory::Execute(destino, QStringLiteral("DROP TRIGGER ITEM_BD"));
    Clean();
    EXPECT_EQ(Apagadas(), QStringLiteral("item pedido,PEDIDO,CLIENTE"));
    EXPECT_EQ(Afterwards(), QStringList{Efetuada});
    EXPECT_EQ(ListaLog.Count(), 1);
}

// A DELETE checks each row's references as it goes: a parent stored before its child, or the two
// rows of a cycle pointing at each other, were refused row by row.
TEST_F(CleanupWindow, EmptiesATableThatReferencesItselfAndACycleWhoseRowsPointAtEachOther) {
    Connect(Origem, Origem);
    DatabaseFactory::Execute(destino, QStringLiteral(
                                          "INSERT INTO CATEGORIA VALUES (1, NULL); INSERT INTO CATEGORIA VALUES (2, 1);"
                                          "INSERT INTO CATEGORIA VALUES (3, 2); INSERT INTO MAE VALUES (1, NULL);"
                                          "INSERT INTO FILHA VALUES (1, 1); UPDATE MAE SET FILHA_ID = 1;"));
    Mark({"CATEGORIA", "MAE"});
    Clean();
    EXPECT_EQ(Afterwards(), QStringList{Efetuada});
    EXPECT_TRUE(ListaLog.Items().isEmpty()) << ListaLog.Items().join(QLatin1Char('\n')).toStdString();
    for (const char* name : {"CATEGORIA", "MAE", "FILHA"}) EXPECT_EQ(Rows(QString::fromLatin1(name)), QStringLiteral("0")) << name;
}

// Only a nullable key can be set NULL: the table holding the cycle's NOT NULL key is emptied first,
// whichever table of the cycle is marked, and the question lists them in that order.
TEST_F(CleanupWindow, ACycleWithOneNotNullKeyIsEmptiedWhicheverOfItsTablesIsMarked) {
    const QString ddl = QStringLiteral("CREATE TABLE TA (ID INTEGER NOT NULL PRIMARY KEY, B_ID INTEGER NOT NULL);"
                                       "CREATE TABLE TB (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER REFERENCES TA (ID));"
                                       "ALTER TABLE TA ADD FOREIGN KEY (B_ID) REFERENCES TB (ID);");
    const QString rows = QStringLiteral("INSERT INTO TB VALUES (1, NULL); INSERT INTO TA VALUES (1, 1); UPDATE TB SET A_ID = 1;");
    Connect(ddl, ddl + rows);
    for (const char* marked : {"TA", "TB"}) {
        Mark({marked});
        Clean();
        const QString& question = dialogs.messages[0].text;
        EXPECT_LT(question.indexOf(QStringLiteral("\nTA")), question.indexOf(QStringLiteral("\nTB"))) << question.toStdString();
        EXPECT_EQ(Afterwards(), QStringList{Efetuada}) << marked;
        EXPECT_EQ(Rows(QStringLiteral("TA")) + Rows(QStringLiteral("TB")), QStringLiteral("00")) << marked;
        DatabaseFactory::Execute(destino, rows);
        Reconnect();
    }
}

// A DELETE the engine works on for seconds: the window handles its messages meanwhile, and "Parar"
// cancels it; the table keeps every row and the stop is said as a stop.
TEST_F(CleanupWindow, PararCancelsTheDeleteUnderWayAndTheTableKeepsEveryRow) {
    const QString cliente = QStringLiteral("CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY);");
    Connect(cliente, cliente);
    DatabaseFactory::Execute(
        destino, QStringLiteral("SET TERM ^ ; EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN"
                                " WHILE (I <= 3000) DO BEGIN INSERT INTO CLIENTE VALUES (:I); I = I + 1; END END^"
                                " CREATE TRIGGER LENTO FOR CLIENTE BEFORE DELETE AS DECLARE T TIMESTAMP; BEGIN ") +
                     WaitAMillisecond(QStringLiteral("OLD.ID"), 1) + QStringLiteral(" END^ SET TERM ; ^"));
    Mark({"CLIENTE"});
    QTimer::singleShot(300, window.btnParar, &QAbstractButton::click);
    Clean();
    EXPECT_EQ(Afterwards(), QStringList{QStringLiteral("Processo Parado!")});
    EXPECT_EQ(Rows(QStringLiteral("CLIENTE")), QStringLiteral("3000"));
    EXPECT_FALSE(Tabela("CLIENTE")->Deletada());
}

// A table the destination alone has, whose rows reference a table to empty: the cleanup deletes
// nothing rather than stop halfway, and names it.
TEST_F(CleanupWindow, RowsOfATableOnlyTheDestinationHasReferencingOneToEmptyStopItBeforeAnyDelete) {
    Connect(Origem, Origem + QStringLiteral("CREATE TABLE EXTRA (ID INTEGER, CLIENTE_ID INTEGER REFERENCES CLIENTE (ID));"
                                            "INSERT INTO CLIENTE VALUES (1); INSERT INTO PEDIDO VALUES (1, 1);"
                                            "INSERT INTO EXTRA VALUES (1, 1);"));
    Mark({"CLIENTE"});
    Clean();
    ASSERT_EQ(Afterwards().size(), 1);
    EXPECT_TRUE(Afterwards()[0].contains(QStringLiteral("EXTRA (referencia CLIENTE)"))) << Afterwards()[0].toStdString();
    EXPECT_TRUE(LogFile().contains("Limpeza n\xC3\xA3o efetuada: A limpeza n\xC3\xA3o apagou nada")) << LogFile().toStdString();
    EXPECT_EQ(Rows(QStringLiteral("PEDIDO")), QStringLiteral("1"));
    EXPECT_EQ(Rows(QStringLiteral("CLIENTE")), QStringLiteral("1"));
}
