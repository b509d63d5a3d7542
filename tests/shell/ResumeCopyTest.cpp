#include "CopyWindow.h"

#include "copy/ResumeByKey.h"
#include "shell/WindowSettings.h"

#include <QDialog>
#include <QProgressBar>
#include <QTemporaryDir>

namespace {

const QString Grande = QStringLiteral("CREATE TABLE GRANDE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30));");

// A composite key of a number and text, and a unique key of text alone whose values sort
// differently by their bytes and by their collation; a table without a key.
const QString Tabelas = QStringLiteral(
    "CREATE TABLE ITEM (PEDIDO INTEGER NOT NULL, CODIGO CHAR(4) NOT NULL, QTD NUMERIC(9,2), PRIMARY KEY (PEDIDO, CODIGO));"
    "CREATE TABLE PRODUTO (SKU VARCHAR(10) CHARACTER SET WIN1252 NOT NULL UNIQUE COLLATE PXW_INTL, NOME VARCHAR(20));"
    "CREATE TABLE NOTA (TEXTO VARCHAR(20));");
const QString ItensProdutosNotas = QStringLiteral(
    "INSERT INTO ITEM VALUES (1, 'b', 1.5); INSERT INTO ITEM VALUES (1, 'B', 2); INSERT INTO ITEM VALUES (1, 'a', 3);"
    "INSERT INTO ITEM VALUES (2, 'a', 4); INSERT INTO ITEM VALUES (10, 'z', NULL); INSERT INTO ITEM VALUES (-3, 'a', 6);"
    "INSERT INTO PRODUTO VALUES ('maçã', 'fruta'); INSERT INTO PRODUTO VALUES ('Maca', 'outra');"
    "INSERT INTO PRODUTO VALUES ('mac', 'curta'); INSERT INTO PRODUTO VALUES ('Zebra', NULL);"
    "INSERT INTO PRODUTO VALUES ('ábaco', 'x'); INSERT INTO NOTA VALUES ('um'); INSERT INTO NOTA VALUES ('dois');");
// What a copy stopped part of the way left: some rows of each table, not the first ones.
const QString Metade = QStringLiteral(
    "INSERT INTO ITEM VALUES (1, 'B', 2); INSERT INTO ITEM VALUES (10, 'z', NULL); INSERT INTO ITEM VALUES (-3, 'a', 6);"
    "INSERT INTO PRODUTO VALUES ('maçã', 'fruta'); INSERT INTO PRODUTO VALUES ('Zebra', NULL); INSERT INTO NOTA VALUES ('um');");

class ResumeCopy : public CopyWindow {
protected:
    void SwitchOn() {
        ShowTab(window.TabConfiguracao);
        window.cbbEnviarSomenteFaltantes->click();
        ShowTab(window.TabSelecao);
        ASSERT_TRUE(EnviarSomenteFaltantes);
    }

    // Every row in one text, in an order both databases give alike; a large table by its count and
    // the sum of its rows' hashes.
    void ExpectSameRowDigest(const QString& table, const QString& columns, bool large = false) {
        const QString rows =
            large ? QStringLiteral("SELECT COUNT(*) || ':' || SUM(MOD(HASH(%1), 1000000007)) FROM %2").arg(columns, table)
                  : QStringLiteral("SELECT LIST(R, '|') FROM (SELECT %1 AS R FROM %2 ORDER BY 1)").arg(columns, table);
        EXPECT_FALSE(Origem(rows).isEmpty()) << table;
        EXPECT_EQ(Destino(rows), Origem(rows)) << table;
    }

    void FinishACopyStoppedBeforeItsSecondPass(bool inTwoPasses) {
        const QString ddl = QStringLiteral(
            "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20), PAI INTEGER REFERENCES CATEGORIA (ID));");
        ConnectPair(ddl, ddl,
                    QStringLiteral("INSERT INTO CATEGORIA VALUES (3, 'c', NULL); INSERT INTO CATEGORIA VALUES (2, 'b', NULL);"
                                   "INSERT INTO CATEGORIA VALUES (1, 'a', NULL); INSERT INTO CATEGORIA VALUES (4, 'd', NULL);"
                                   "UPDATE CATEGORIA SET PAI = ID - 1 WHERE ID > 1;"),
                    QStringLiteral("INSERT INTO CATEGORIA VALUES (3, 'c', NULL); INSERT INTO CATEGORIA VALUES (1, 'a', NULL);"));
        if (inTwoPasses) {
            ShowTab(window.TabConfiguracao);
            window.cbbCopiarReferenciasCirculares->click();
        }
        SwitchOn();
        Mark("CATEGORIA");
        Import();
        EXPECT_TRUE(Rejected().isEmpty()) << Log();
        EXPECT_TRUE(Log().contains(PassedOver("CATEGORIA", 2))) << Log();
        ExpectSameRowDigest(QStringLiteral("CATEGORIA"), QStringLiteral("ID || NOME || COALESCE(PAI, 'N')"));
        EXPECT_TRUE(Tabela("CATEGORIA")->Importada());
    }

    QStringList Rejected() const { return Log().filter(QStringLiteral(" ERRO ")); }
    static QString PassedOver(const char* table, int rows) {
        return QStringLiteral("%1: %2 registro(s) já estavam no destino e não foram enviados")
            .arg(QString::fromUtf8(table), QString::number(rows));
    }
};

TEST_F(ResumeCopy, TheBoxIsOnTheSettingsTabStartsOffAndIsRememberedBetweenRuns) {
    EXPECT_EQ(window.cbbEnviarSomenteFaltantes->parentWidget(), window.TabConfiguracao);
    EXPECT_FALSE(window.cbbEnviarSomenteFaltantes->isChecked());
    QTemporaryDir folder;
    SwitchOn();
    WindowSettings(folder.filePath(QStringLiteral("settings.ini"))).RememberWindow(window);
    window.cbbEnviarSomenteFaltantes->setChecked(false);
    WindowSettings(folder.filePath(QStringLiteral("settings.ini"))).Restore(window, false);
    EXPECT_TRUE(EnviarSomenteFaltantes);
}

TEST_F(ResumeCopy, ACopyStoppedHalfwayIsFinishedSendingOnlyTheMissingRows) {
    Connect(Grande, Grande, ManyRows(QStringLiteral("GRANDE"), 100000));
    Mark("GRANDE");
    // "Parar" at the second reporting row (the first comes on the first row), with rows enough
    // that the copy outlasts it at any pace.
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QTreeWidgetItem* row = window.ListView->topLevelItem(0);
        const auto* bar = row ? qobject_cast<QProgressBar*>(window.ListView->itemWidget(row, 1)) : nullptr;
        if (!bar || bar->value() < 2) return;
        timer.stop();
        window.btnParar->click();
    });
    timer.start(1);
    Import();
    const int before = DestinoCount("GRANDE");
    ASSERT_TRUE(before > 0 && before < 100000) << before;
    SwitchOn();
    const int start = int(Log().size());
    Import();
    const QStringList second = Log().mid(start);
    EXPECT_TRUE(second.contains(PassedOver("GRANDE", before))) << second;
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 100000 - before, 0).match(second.last()).hasMatch()) << second;
    ExpectSameRowDigest(QStringLiteral("GRANDE"), QStringLiteral("ID || ':' || NOME"), true);
}

// A row the source cannot give in the connection's character set fails the read ahead of the
// copy in the middle of the table: every row before it is in, none after, and the resume sends the rest.
TEST_F(ResumeCopy, AReadFailingInTheMiddleOfATableKeepsTheRowsBeforeItAndTheResumeSendsTheRest) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE TEXTO (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30) CHARACTER SET UTF8, NOTA BLOB SUB_TYPE TEXT);");
    window.workspace.SQLConnection->Params.SetValue(QStringLiteral("ServerCharSet"), QStringLiteral("WIN1252"));
    ConnectPair(ddl, ddl,
                QStringLiteral("SET TERM ^ ;EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 20000) DO BEGIN"
                               " INSERT INTO TEXTO VALUES (:I, 'linha ' || :I, IIF(MOD(:I, 10) = 0, 'nota ' || :I, NULL));"
                               " I = I + 1; END END^ SET TERM ; ^"
                               "UPDATE TEXTO SET NOME = CAST(x'E4B8AD' AS VARCHAR(3) CHARACTER SET UTF8) WHERE ID = 15000;"),
                QString());
    Mark("TEXTO");
    Import();
    EXPECT_EQ(Destino(QStringLiteral("SELECT COUNT(*) || ':' || MAX(ID) FROM TEXTO")), QStringLiteral("14999:14999"));
    DatabaseFactory::Execute(origem, QStringLiteral("UPDATE TEXTO SET NOME = 'corrigida' WHERE ID = 15000;"));
    SwitchOn();
    Import();
    EXPECT_TRUE(Log().contains(PassedOver("TEXTO", 14999))) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 5001, 0).match(Log().last()).hasMatch()) << Log();
    ExpectSameRowDigest(QStringLiteral("TEXTO"),
                   QStringLiteral("ID || ':' || NOME || ':' || COALESCE(CAST(NOTA AS VARCHAR(20)), 'N')"), true);
}

TEST_F(ResumeCopy, ACompositeKeyAndAUniqueKeyOfTextSendOnlyWhatIsMissingAndAKeylessTableIsLeftAsItIs) {
    ConnectPair(Tabelas, Tabelas, ItensProdutosNotas, Metade);
    SwitchOn();
    for (const char* table : {"ITEM", "PRODUTO", "NOTA"}) Mark(table);
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("ITEM", 3))) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("PRODUTO", 2))) << Log();
    EXPECT_TRUE(Log().contains(
        QStringLiteral("NOTA sem chave primária ou única e já contém registros no destino: não copiada")));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 6, 0).match(Log().last()).hasMatch()) << Log();
    ExpectSameRowDigest(QStringLiteral("ITEM"), QStringLiteral("PEDIDO || CODIGO || COALESCE(QTD, 'N')"));
    ExpectSameRowDigest(QStringLiteral("PRODUTO"), QStringLiteral("CAST(SKU AS VARCHAR(10) CHARACTER SET OCTETS) || COALESCE(NOME, 'N')"));
    EXPECT_EQ(DestinoCount("NOTA"), 1);
}

// Keys 1 to 4 with no gap in the destination: the source's rows in that run are counted, the others
// read and sent, NULL keys among them; the total line leaves out what the destination held.
TEST_F(ResumeCopy, AnUnbrokenRunOfKeysInTheDestinationIsCountedAndTheRowsAroundItAreSent) {
    const QString ddl = QStringLiteral("CREATE TABLE CONTA (NUMERO BIGINT UNIQUE, NOME VARCHAR(10));");
    ConnectPair(ddl, ddl,
                QStringLiteral("INSERT INTO CONTA VALUES (NULL, 'n1'); INSERT INTO CONTA VALUES (NULL, 'n2');"
                               "INSERT INTO CONTA VALUES (-5, 'm'); INSERT INTO CONTA VALUES (9, 'z');"
                               "INSERT INTO CONTA SELECT R, 'r' || R FROM (SELECT 1 R FROM RDB$DATABASE UNION ALL"
                               " SELECT 2 FROM RDB$DATABASE UNION ALL SELECT 3 FROM RDB$DATABASE UNION ALL"
                               " SELECT 4 FROM RDB$DATABASE UNION ALL SELECT 5 FROM RDB$DATABASE);"),
                QStringLiteral("INSERT INTO CONTA VALUES (3, 'r3'); INSERT INTO CONTA VALUES (1, 'r1');"
                               "INSERT INTO CONTA VALUES (4, 'r4'); INSERT INTO CONTA VALUES (2, 'r2');"));
    SwitchOn();
    Mark("CONTA");
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("CONTA", 4))) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 5, 0).match(Log().last()).hasMatch()) << Log();
    EXPECT_TRUE(window.lblTotal->text().startsWith(QStringLiteral("Total: 5 de 5 registros"))) << window.lblTotal->text();
    ExpectSameRowDigest(QStringLiteral("CONTA"), QStringLiteral("COALESCE(NUMERO, 'N') || NOME"));
}

// -2^63 in a 64-bit key, which the key's index puts between -1 and 0: the resume neither misses it
// around an unbroken run of keys nor sends it twice, and the verification finds every row equal.
TEST_F(ResumeCopy, TheLeast64BitKeyIsNeitherMissedNorSentAgainAndVerifiesEqual) {
    // In a NUMERIC(18,4) key it is -922337203685477.5808.
    const QString ddl = QStringLiteral("CREATE TABLE RUN (ID BIGINT NOT NULL PRIMARY KEY, V VARCHAR(5));"
                                       "CREATE TABLE HELD (ID NUMERIC(18,4) NOT NULL PRIMARY KEY, V VARCHAR(5));");
    const auto rows = [](const char* table, std::initializer_list<const char*> keys) {
        QString sql;
        for (const char* key : keys) sql += QStringLiteral("INSERT INTO %1 VALUES (%2, 'v');").arg(table, key);
        return sql;
    };
    ConnectPair(ddl, ddl,
                rows("RUN", {"-9223372036854775808", "-1", "0", "1", "9223372036854775807"}) +
                    rows("HELD", {"-922337203685477.5808", "-0.0001", "0", "1", "922337203685477.5807"}),
                rows("RUN", {"-1", "0", "1"}) + rows("HELD", {"-922337203685477.5808", "-0.0001", "1"}));
    SwitchOn();
    Mark("RUN");
    Mark("HELD");
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 4, 0).match(Log().last()).hasMatch()) << Log();
    window.btnVerificar->click();
    for (const char* table : {"RUN", "HELD"})
        EXPECT_TRUE(Log().contains(QStringLiteral("Verificação %1: 5 iguais, 0 diferentes, 0 faltando, 0 sobrando").arg(table)))
            << Log();
}

// A unique key NULL in some columns is a key as the server keeps it; one NULL in every column tells
// no rows apart: with such rows in the destination, those of the source are not sent but refused.
TEST_F(ResumeCopy, AKeyPartlyNullIsMatchedAndOneWhollyNullIsNeverSentTwice) {
    const QString ddl = QStringLiteral("CREATE TABLE PARTE (A INTEGER NOT NULL, B VARCHAR(5), V INTEGER, UNIQUE (A, B));"
                                       "CREATE TABLE NULA (U INTEGER UNIQUE, V INTEGER);");
    ConnectPair(ddl, ddl,
                QStringLiteral("INSERT INTO PARTE VALUES (1, NULL, 1); INSERT INTO PARTE VALUES (1, 'x', 3);"
                               "INSERT INTO PARTE VALUES (2, NULL, 4); INSERT INTO NULA VALUES (NULL, 1);"
                               "INSERT INTO NULA VALUES (NULL, 2); INSERT INTO NULA VALUES (1, 3); INSERT INTO NULA VALUES (2, 4);"),
                QStringLiteral("INSERT INTO PARTE VALUES (1, NULL, 1); INSERT INTO PARTE VALUES (2, NULL, 4);"
                               "INSERT INTO NULA VALUES (NULL, 1); INSERT INTO NULA VALUES (1, 3);"));
    SwitchOn();
    Mark("PARTE");
    Mark("NULA");
    Import();
    EXPECT_TRUE(Log().contains(PassedOver("PARTE", 2))) << Log();
    EXPECT_EQ(Rejected(), QStringList{QStringLiteral("NULA ERRO 2 registro(s) de chave nula não foram enviados: o destino "
                                                     "já tem registros de chave nula, e a chave não diz se são estes")});
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 2, 2, 2).match(Log().last()).hasMatch()) << Log();
    ExpectSameRowDigest(QStringLiteral("PARTE"), QStringLiteral("A || COALESCE(B, 'N') || V"));
    const QString nula = QStringLiteral("SELECT LIST(COALESCE(U, -1) || ':' || V) FROM (SELECT * FROM NULA ORDER BY V)");
    EXPECT_EQ(Destino(nula), QStringLiteral("-1:1,1:3,2:4"));

    // Without the box the server refuses the keys it holds, and the rows of a NULL key are not sent either.
    window.cbbEnviarSomenteFaltantes->click();
    Mark("NULA");
    Import();
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 1, 0, 4).match(Log().last()).hasMatch()) << Log();
    EXPECT_EQ(Destino(nula), QStringLiteral("-1:1,1:3,2:4"));
}

// A copy in two passes stopped before its second pass: the rows in have their references NULL.
// Finished with the box ticked or not, the second pass sets them, and those of the rows sent now.
TEST_F(ResumeCopy, ATableCopiedInTwoPassesStillGetsItsSecondPassForTheRowsThatWereInAndThoseSentNow) {
    FinishACopyStoppedBeforeItsSecondPass(true);
}

TEST_F(ResumeCopy, ACopyStoppedBeforeItsSecondPassFinishedWithoutTheBoxGetsItsSecondPassToo) {
    FinishACopyStoppedBeforeItsSecondPass(false);
}

}  // namespace

// Names are taken as written, a percent sign and digit included, into the copy's SQL and its lines.
TEST_F(ResumeCopy, NamesHoldingAPercentSignAndADigitAreUsedAsWritten) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE \"T%1\" (\"ID%2\" INTEGER NOT NULL PRIMARY KEY, \"V%1\" VARCHAR(10));"
        "CREATE TABLE \"S%1\" (\"V%1\" VARCHAR(10));");
    const QString linha = QStringLiteral("INSERT INTO \"T%1\" VALUES (%2, 'v');");
    QString origem = QStringLiteral("INSERT INTO \"S%1\" VALUES ('s');"), destino;
    for (int id = 1; id <= 5; ++id) origem += linha.arg(QStringLiteral("%1"), QString::number(id));
    for (int id = 2; id <= 4; ++id) destino += linha.arg(QStringLiteral("%1"), QString::number(id));
    ConnectPair(ddl, ddl, origem, destino);
    SwitchOn();
    Mark("T%1");
    Mark("S%1");
    Import();
    window.btnVerificar->click();
    const QStringList log = Log();
    EXPECT_TRUE(log.contains(PassedOver("T%1", 3))) << log;
    EXPECT_EQ(log.filter(QRegularExpression(QStringLiteral("^T%1: 2 lidos, 2 inseridos, 0 rejeitados"))).size(), 1) << log;
    EXPECT_TRUE(log.contains(QStringLiteral("Verificação T%1: 5 iguais, 0 diferentes, 0 faltando, 0 sobrando"))) << log;
    EXPECT_TRUE(log.contains(QStringLiteral("Verificação S%1: 1 iguais, 0 diferentes, 0 faltando, 0 sobrando"))) << log;
}

// The destination keeps another key (ID with V): an ID found there is not the source's row, and
// its IDs 1, 1, 3 are not every whole number from 1 to 3. Every row is sent, and the log says why.
TEST_F(ResumeCopy, UnderAnotherDestinationKeyEveryRowIsSent) {
    const QString tabela = QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL, V VARCHAR(10) NOT NULL, PRIMARY KEY (%1));");
    ConnectPair(tabela.arg(QStringLiteral("ID")), tabela.arg(QStringLiteral("ID, V")),
                QStringLiteral("INSERT INTO T VALUES (1, 'a'); INSERT INTO T VALUES (2, 'b'); INSERT INTO T VALUES (3, 'c');"
                               "INSERT INTO T VALUES (4, 'd');"),
                QStringLiteral("INSERT INTO T VALUES (1, 'a'); INSERT INTO T VALUES (1, 'x'); INSERT INTO T VALUES (3, 'c');"));
    SwitchOn();
    Mark("T");
    Import();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID || V) FROM (SELECT ID, V FROM T ORDER BY ID, V)")),
              QStringLiteral("1a,1x,2b,3c,4d"));
    EXPECT_TRUE(Log().contains(QStringLiteral("T: o destino não tem a chave ID da origem: todos os registros são enviados")))
        << Log();
}

// Keys kept in another character set, or as a VARCHAR beside a CHAR: the rows already there are
// found as the copy wrote them, and only the others are sent.
TEST_F(ResumeCopy, AKeyKeptInAnotherCharacterSetOrTypeFindsTheRowsAlreadyThere) {
    const QString tabelas = QStringLiteral(
        "CREATE TABLE SW (K VARCHAR(10) CHARACTER SET %1 NOT NULL PRIMARY KEY, X INTEGER);"
        "CREATE TABLE SC (K %2(10) CHARACTER SET %1 NOT NULL PRIMARY KEY, X INTEGER);");
    const QString linhas = QStringLiteral("INSERT INTO SW VALUES (%1, 1); INSERT INTO SC VALUES (%1, 1);");
    // A DOUBLE key beside a NUMERIC(4,2) one: 500 does not fit, and is refused alone.
    const QString medidas = QStringLiteral("CREATE TABLE SD (K %1 NOT NULL PRIMARY KEY);");
    // "é" in WIN1252's bytes on the source.
    QString origem, destino;
    for (const char* k : {"'a'", "CAST(x'E9' AS VARCHAR(1) CHARACTER SET WIN1252)", "'b'", "'z'"})
        origem += linhas.arg(QString::fromUtf8(k));
    for (const char* k : {"'é'", "'b'"}) destino += linhas.arg(QString::fromUtf8(k));
    ConnectPair(tabelas.arg(QStringLiteral("WIN1252"), QStringLiteral("CHAR")) + medidas.arg(QStringLiteral("DOUBLE PRECISION")),
                tabelas.arg(QStringLiteral("UTF8"), QStringLiteral("VARCHAR")) + medidas.arg(QStringLiteral("NUMERIC(4,2)")),
                origem + QStringLiteral("INSERT INTO SD VALUES (1.25); INSERT INTO SD VALUES (2.5); INSERT INTO SD VALUES (500);"),
                destino + QStringLiteral("INSERT INTO SD VALUES (1.25);"));
    dialogs.OnModal = [](QDialog&) { return QDialog::Accepted; };   // "valor convertido", "valor arredondado"
    SwitchOn();
    window.btnCheckAll->click();
    Import();
    EXPECT_EQ(Rejected().size(), 1) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("SW", 2))) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("SC", 2))) << Log();
    EXPECT_TRUE(Log().contains(PassedOver("SD", 1))) << Log();
    EXPECT_EQ(DestinoCount("SD"), 2);
    window.btnVerificar->click();
    EXPECT_TRUE(Log().contains(QStringLiteral("Verificação SW: 4 iguais, 0 diferentes, 0 faltando, 0 sobrando"))) << Log();
}

// The rows of a cycle copied with the box on get their references in the second pass, though the
// destination keeps the CHAR key as a VARCHAR: its value is the same without the padding (which
// a CHAR of UTF8 reads as up to four blanks a character).
TEST_F(ResumeCopy, ASecondPassFillsTheReferencesWhereTheDestinationKeepsACharKeyAsAVarchar) {
    const QString ciclo = QStringLiteral(
        "CREATE TABLE P (K %1(10) CHARACTER SET UTF8 NOT NULL PRIMARY KEY, Q_ID INTEGER, N VARCHAR(10));"
        "CREATE TABLE Q (ID INTEGER NOT NULL PRIMARY KEY, P_K %1(10) CHARACTER SET UTF8 REFERENCES P);"
        "ALTER TABLE P ADD FOREIGN KEY (Q_ID) REFERENCES Q;");
    const QString um = QStringLiteral("INSERT INTO P VALUES ('a', NULL, 'pa'); INSERT INTO Q VALUES (1, 'a'); UPDATE P SET Q_ID = 1;");
    ConnectPair(ciclo.arg(QStringLiteral("CHAR")), ciclo.arg(QStringLiteral("VARCHAR")),
                um + QStringLiteral("INSERT INTO P VALUES ('b', NULL, 'pb'); INSERT INTO Q VALUES (2, 'b');"
                                    "UPDATE P SET Q_ID = 2 WHERE K = 'b';"),
                um);
    ShowTab(window.TabConfiguracao);
    window.cbbCopiarReferenciasCirculares->click();
    SwitchOn();
    window.btnCheckAll->click();
    Import();
    EXPECT_TRUE(Rejected().isEmpty()) << Log();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(TRIM(K) || Q_ID) FROM (SELECT K, Q_ID FROM P ORDER BY K)")), QStringLiteral("a1,b2"));
}
