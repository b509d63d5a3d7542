// "Verificar Dados": what it finds, row by row, and what it leaves on the trees.
#include "CopyWindow.h"

#include <QDialog>

namespace {

const QString Tabelas = QStringLiteral(
    "CREATE TABLE MOVIMENTO (ID INTEGER NOT NULL PRIMARY KEY, VALOR NUMERIC(15,4), NOTA VARCHAR(20), DADOS BLOB);"
    "CREATE TABLE AVULSO (NOME VARCHAR(10), QTD INTEGER);"
    "CREATE TABLE IGUAL (CODIGO VARCHAR(10) NOT NULL PRIMARY KEY, NOME VARCHAR(12));");

// Both sides hold as many rows of every table: only the rows themselves differ.
const QString OrigemRows = QStringLiteral(
    "INSERT INTO MOVIMENTO VALUES (1, 10.1234, 'igual', x'00FF10');"
    "INSERT INTO MOVIMENTO VALUES (2, 10.1234, 'numero', NULL);"
    "INSERT INTO MOVIMENTO VALUES (3, NULL, 'blob', x'00FF10');"
    "INSERT INTO MOVIMENTO VALUES (4, NULL, NULL, NULL);"
    "INSERT INTO MOVIMENTO VALUES (5, NULL, 'só na origem', NULL);"
    "INSERT INTO AVULSO VALUES ('x', 1); INSERT INTO AVULSO VALUES ('x', 1); INSERT INTO AVULSO VALUES ('y', 2);"
    "INSERT INTO IGUAL VALUES ('São', 'a'); INSERT INTO IGUAL VALUES ('b', NULL);");
const QString DestinoRows = QStringLiteral(
    "INSERT INTO MOVIMENTO VALUES (1, 10.1234, 'igual', x'00FF10');"
    "INSERT INTO MOVIMENTO VALUES (2, 10.1235, 'numero', NULL);"
    "INSERT INTO MOVIMENTO VALUES (3, NULL, 'blob', x'00FF11');"
    "INSERT INTO MOVIMENTO VALUES (4, NULL, '', NULL);"
    "INSERT INTO MOVIMENTO VALUES (6, NULL, 'só no destino', NULL);"
    "INSERT INTO AVULSO VALUES ('x', 1); INSERT INTO AVULSO VALUES ('y', 2); INSERT INTO AVULSO VALUES ('y', 2);"
    "INSERT INTO IGUAL VALUES ('b', NULL); INSERT INTO IGUAL VALUES ('São', 'a');");

// A key in a collation whose order is not the bytes'; a table without a key, with text long enough to
// be sorted by a hash, and blobs; a unique key that lets rows hold NULL.
const QString Ordens = QStringLiteral(
    "CREATE TABLE NOMES (NOME VARCHAR(20) CHARACTER SET WIN1252 NOT NULL PRIMARY KEY COLLATE WIN_PTBR, VALOR INTEGER);"
    "CREATE TABLE SOLTA (TEXTO VARCHAR(400), DADOS BLOB SUB_TYPE TEXT);"
    "CREATE TABLE UNICA (CODIGO INTEGER UNIQUE, NOME VARCHAR(10));");
const QString OrdensRows = QStringLiteral(
    "INSERT INTO NOMES VALUES ('Bola', 1); INSERT INTO NOMES VALUES ('abacate', 2);"
    "INSERT INTO NOMES VALUES (CAST(x'E1677561' AS VARCHAR(20) CHARACTER SET WIN1252), 3);"
    "INSERT INTO NOMES VALUES (CAST(x'C172766F7265' AS VARCHAR(20) CHARACTER SET WIN1252), 4);"
    "INSERT INTO SOLTA VALUES (RPAD('x', 300, 'y'), 'blob um'); INSERT INTO SOLTA VALUES ('curto', NULL);"
    "INSERT INTO SOLTA VALUES (NULL, 'blob dois');"
    "INSERT INTO UNICA VALUES (NULL, 'b'); INSERT INTO UNICA VALUES (1, 'c');");

class DataVerificationTest : public CopyWindow {
protected:
    void Verify() { window.btnVerificar->click(); }

    static QRegularExpression Closing(const QString& how, int equal, int different) {
        return QRegularExpression(
            QRegularExpression::escape(QStringLiteral("%1: %2 tabela(s) iguais, %3 com diferenças, em ").arg(how).arg(equal).arg(different)) +
            QStringLiteral("\\d\\d:\\d\\d:\\d\\d$"));
    }
};

}  // namespace

TEST_F(DataVerificationTest, NamesEveryKeyThatDiffersAndEveryRowHeldMoreOftenOnOneSide) {
    ConnectPair(Tabelas, Tabelas, OrigemRows, DestinoRows);
    ASSERT_TRUE(Tabela("MOVIMENTO")->Importada());   // equal counts
    window.btnCheckAll->click();
    Verify();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 11) << log;
    EXPECT_EQ(log.mid(0, 10), QStringList({
        "Verificação AVULSO: 2 iguais, 0 diferentes, 1 faltando, 1 sobrando",
        "    faltando: (\"NOME\" = 'x', \"QTD\" = 1)",
        "    sobrando: (\"NOME\" = 'y', \"QTD\" = 2)",
        "Verificação IGUAL: 2 iguais, 0 diferentes, 0 faltando, 0 sobrando",
        "Verificação MOVIMENTO: 1 iguais, 3 diferentes, 1 faltando, 1 sobrando",
        "    diferente: (\"ID\" = 2)",
        "    diferente: (\"ID\" = 3)",
        "    diferente: (\"ID\" = 4)",
        "    faltando: (\"ID\" = 5)",
        "    sobrando: (\"ID\" = 6)",
    }));
    EXPECT_TRUE(Closing(QStringLiteral("Verificação concluída"), 1, 2).match(log[10]).hasMatch()) << log;
    EXPECT_EQ(window.lblStatus->text(), log[10]);
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);

    // The thumbs follow the rows until the rows are counted again.
    EXPECT_FALSE(Tabela("MOVIMENTO")->Importada());
    EXPECT_FALSE(Tabela("AVULSO")->Importada());
    EXPECT_TRUE(Tabela("IGUAL")->Importada());
    window.btnAtualizar->click();
    EXPECT_TRUE(Tabela("MOVIMENTO")->Importada());

    // Emptied by a cleanup, it is not passed over by the next import.
    Tabela("MOVIMENTO")->SetCheckedDelete(true);
    dialogs.AnswerQuestion(IDYES);
    window.btnEfetuarLimpeza->click();
    EXPECT_FALSE(Tabela("MOVIMENTO")->Importada());
}

TEST_F(DataVerificationTest, PararEndsItAndAnImportMeanwhileIsRefused) {
    // More rows than wait read ahead: the stop finds both readers in the middle of the table.
    ConnectPair(Tabelas, Tabelas, ManyRows(QStringLiteral("IGUAL"), 20000), ManyRows(QStringLiteral("IGUAL"), 20000));
    Mark("IGUAL");
    // Its first look at the window comes as the table begins.
    WhenTheWindowListens([this] {
        window.btnImportar->click();
        window.btnParar->click();
    });
    Verify();
    ASSERT_EQ(Errors(), QStringList({"Aguarde: a verificação dos dados está em andamento.", "Processo Parado!"}));
    ASSERT_EQ(Log().size(), 1) << Log();
    EXPECT_TRUE(Closing(QStringLiteral("Verificação interrompida"), 0, 0).match(Log()[0]).hasMatch()) << Log();
    EXPECT_EQ(window.ListView->topLevelItemCount(), 0);
    EXPECT_FALSE(PararProcesso);

    Verify();
    ASSERT_EQ(Log().size(), 3) << Log();
    EXPECT_EQ(Log()[1], QStringLiteral("Verificação IGUAL: 20000 iguais, 0 diferentes, 0 faltando, 0 sobrando"));
    EXPECT_TRUE(Closing(QStringLiteral("Verificação concluída"), 1, 0).match(Log()[2]).hasMatch()) << Log();
}

// Closing the window in the middle asks first; the verification then stops with the program.
TEST_F(DataVerificationTest, ClosingTheWindowAsksAndStopsIt) {
    ConnectPair(Tabelas, Tabelas, ManyRows(QStringLiteral("IGUAL"), 20000), ManyRows(QStringLiteral("IGUAL"), 20000));
    Mark("IGUAL");
    dialogs.AnswerQuestion(IDYES);
    WhenTheWindowListens([this] { window.close(); });
    Verify();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("Há uma verificação em andamento. Parar e sair?")});
    ASSERT_EQ(Log().size(), 1) << Log();
    EXPECT_TRUE(Closing(QStringLiteral("Verificação interrompida"), 0, 0).match(Log()[0]).hasMatch()) << Log();
}

TEST_F(DataVerificationTest, MeetsEveryRowWhateverTheCollationTheHashedValuesOrTheNullKeys) {
    ConnectPair(Ordens, Ordens,
                OrdensRows + "INSERT INTO NOMES VALUES ('casa', 5); INSERT INTO NOMES VALUES ('Zebra', 7);"
                             "INSERT INTO SOLTA VALUES (RPAD('x', 300, 'y'), 'blob um');"
                             "INSERT INTO UNICA VALUES (NULL, 'a'); INSERT INTO UNICA VALUES (2, 'd');",
                OrdensRows + "INSERT INTO NOMES VALUES ('casa', 6); INSERT INTO NOMES VALUES ('Dado', 7);"
                             "INSERT INTO SOLTA VALUES (NULL, 'blob tres');"
                             "INSERT INTO UNICA VALUES (NULL, 'z'); INSERT INTO UNICA VALUES (2, 'e');");
    window.btnCheckAll->click();
    Verify();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 12) << log;
    EXPECT_EQ(log.mid(0, 4), QStringList({"Verificação NOMES: 4 iguais, 1 diferentes, 1 faltando, 1 sobrando",
                                          "    diferente: (\"NOME\" = 'casa')", "    faltando: (\"NOME\" = 'Zebra')",
                                          "    sobrando: (\"NOME\" = 'Dado')"}));
    EXPECT_EQ(log[4], QStringLiteral("Verificação SOLTA: 3 iguais, 0 diferentes, 1 faltando, 1 sobrando"));
    EXPECT_EQ(log[5], QStringLiteral("    faltando: (\"TEXTO\" = 'x%1...', \"DADOS\" = 'blob um')").arg(QString(59, 'y')));
    EXPECT_EQ(log[6], QStringLiteral("    sobrando: (\"TEXTO\" = NULL, \"DADOS\" = 'blob tres')"));
    EXPECT_EQ(log.mid(7, 4), QStringList({"Verificação UNICA: 2 iguais, 1 diferentes, 1 faltando, 1 sobrando",
                                          "    diferente: (\"CODIGO\" = 2)",
                                          "    faltando: (\"CODIGO\" = NULL, \"NOME\" = 'a')",
                                          "    sobrando: (\"CODIGO\" = NULL, \"NOME\" = 'z')"}));
}

// Keys the server sorts alike, told apart only by trailing zero bytes, come in no set order: each
// row is paired with the one of the very same key.
TEST_F(DataVerificationTest, KeysToldApartOnlyByTrailingZeroBytesArePairedByTheirBytes) {
    const QString ddl = QStringLiteral("CREATE TABLE KN (K VARCHAR(4) CHARACTER SET NONE NOT NULL PRIMARY KEY, X INTEGER);");
    ConnectPair(ddl, ddl,
                QStringLiteral("INSERT INTO KN VALUES (_NONE x'61', 1); INSERT INTO KN VALUES (_NONE x'6100', 2); INSERT INTO KN VALUES (_NONE x'62', 3);"),
                QStringLiteral("INSERT INTO KN VALUES (_NONE x'6100', 2); INSERT INTO KN VALUES (_NONE x'62', 4);"));
    Mark("KN");
    Verify();
    ASSERT_FALSE(Log().isEmpty());
    EXPECT_EQ(Log()[0], QStringLiteral("Verificação KN: 1 iguais, 1 diferentes, 1 faltando, 0 sobrando")) << Log();
}

TEST_F(DataVerificationTest, ATableTheDestinationCannotShowIsLoggedAsNotVerifiedAndTheOthersGoOn) {
    ConnectPair(Tabelas, Tabelas, OrigemRows, DestinoRows);
    DatabaseFactory::Execute(destino, QStringLiteral("ALTER TABLE AVULSO DROP QTD;"));
    window.btnCheckAll->click();
    Verify();
    ASSERT_GE(Log().size(), 2) << Log();
    EXPECT_TRUE(Log()[0].startsWith(QStringLiteral("Verificação AVULSO: não verificada: "))) << Log()[0];
    EXPECT_TRUE(Log()[0].contains(QStringLiteral("QTD"))) << Log()[0];
    EXPECT_EQ(Log()[1], QStringLiteral("Verificação IGUAL: 2 iguais, 0 diferentes, 0 faltando, 0 sobrando"));
    EXPECT_TRUE(Closing(QStringLiteral("Verificação concluída"), 1, 2).match(Log().last()).hasMatch()) << Log();
    EXPECT_FALSE(Tabela("AVULSO")->Importada());
}

// A copy from WIN1252 into UTF8 or ISO8859_1, from INTEGER into BIGINT, from VARCHAR into CHAR and
// from DOUBLE PRECISION into NUMERIC holds the same values as other bytes: it verifies equal, and a
// character changed afterwards is still told.
TEST_F(DataVerificationTest, ACopyIntoAnotherCharacterSetOrTypeVerifiesEqual) {
    const QString ddl = QStringLiteral(
        "CREATE TABLE PESSOA (CODIGO CHAR(4) CHARACTER SET %1 NOT NULL PRIMARY KEY, NOME VARCHAR(20) CHARACTER SET %1,"
        " NOTA BLOB SUB_TYPE TEXT CHARACTER SET %1, IDADE %2, SIGLA %3 CHARACTER SET WIN1252, PESO %4);"
        "CREATE TABLE SOLTA (NOME CHAR(6) CHARACTER SET %1, NOTA VARCHAR(400) CHARACTER SET %1,"
        " LONGA VARCHAR(9000) CHARACTER SET %5);");
    // "João", "açúcar", "Ç", "çã" and "ç" in WIN1252's bytes.
    const auto win1252 = [](const char* hex) {
        return QStringLiteral("CAST(x'%1' AS VARCHAR(20) CHARACTER SET WIN1252)").arg(QLatin1String(hex));
    };
    ConnectPair(ddl.arg(QStringLiteral("WIN1252"), QStringLiteral("INTEGER"), QStringLiteral("VARCHAR(5)"),
                        QStringLiteral("DOUBLE PRECISION"), QStringLiteral("WIN1252")) +
                    QStringLiteral("CREATE TABLE MEDIDA (ID INTEGER NOT NULL PRIMARY KEY, N NUMERIC(9,2), OBS VARCHAR(10),"
                                   " SIGLA CHAR(4) CHARACTER SET UTF8);"),
                ddl.arg(QStringLiteral("UTF8"), QStringLiteral("BIGINT"), QStringLiteral("CHAR(8)"),
                        QStringLiteral("NUMERIC(18,4)"), QStringLiteral("ISO8859_1")) +
                    QStringLiteral("CREATE TABLE MEDIDA (ID INTEGER NOT NULL PRIMARY KEY, N DOUBLE PRECISION, OBS BLOB SUB_TYPE TEXT,"
                                   " SIGLA BLOB SUB_TYPE TEXT CHARACTER SET UTF8);"),
                // The server keeps 0.00015 as 0.0002: the float's error rounds up.
                QStringLiteral("INSERT INTO PESSOA VALUES ('A', %1, %2, 30, 'SP', 0.00015);").arg(win1252("4A6FE36F"), win1252("61E7FA636172")) +
                    QStringLiteral("INSERT INTO MEDIDA VALUES (1, 1.23, 'x ', 'ç'); INSERT INTO MEDIDA VALUES (2, 5, 'y', NULL);") +
                    QStringLiteral("INSERT INTO PESSOA VALUES (%1, 'Ana', NULL, NULL, NULL, NULL);").arg(win1252("C7")) +
                    QStringLiteral("INSERT INTO SOLTA VALUES (%1, RPAD('', 300, %2), RPAD('', 8500, %2));")
                        .arg(win1252("E7E3"), win1252("E7")),
                {});
    dialogs.OnModal = [](QDialog&) { return QDialog::Accepted; };   // "valor convertido", "valor arredondado"
    window.btnCheckAll->click();
    Import();
    // A float keeps digits the exact number did not have: they differ.
    DatabaseFactory::Execute(destino, QStringLiteral("UPDATE PESSOA SET NOME = 'Anã' WHERE NOME = 'Ana';"
                                                     "UPDATE MEDIDA SET N = 1.234 WHERE ID = 1;"));
    Verify();
    const QStringList log = Log();
    EXPECT_TRUE(log.contains(QStringLiteral("Verificação MEDIDA: 1 iguais, 1 diferentes, 0 faltando, 0 sobrando"))) << log;
    // A CHAR(4) is four characters, not the sixteen bytes its buffer takes.
    EXPECT_EQ(Destino(QStringLiteral("SELECT CHAR_LENGTH(SIGLA) FROM MEDIDA WHERE ID = 1")), QStringLiteral("4"));
    EXPECT_TRUE(log.contains(QStringLiteral("Verificação PESSOA: 1 iguais, 1 diferentes, 0 faltando, 0 sobrando"))) << log;
    EXPECT_TRUE(log.contains(QStringLiteral("Verificação SOLTA: 1 iguais, 0 diferentes, 0 faltando, 0 sobrando"))) << log;
}

// -0.0 and 0.0 are two keys: the lines under the table tell them apart.
TEST_F(DataVerificationTest, ANegativeZeroKeyIsNamedApartFromZero) {
    const QString ddl = QStringLiteral("CREATE TABLE MEDIDA (K DOUBLE PRECISION NOT NULL PRIMARY KEY);");
    ConnectPair(ddl, ddl, QStringLiteral("INSERT INTO MEDIDA VALUES (-CAST(0 AS DOUBLE PRECISION));"),
                QStringLiteral("INSERT INTO MEDIDA VALUES (0);"));
    window.btnCheckAll->click();
    Verify();
    EXPECT_EQ(Log().mid(0, 3), QStringList({"Verificação MEDIDA: 0 iguais, 0 diferentes, 1 faltando, 1 sobrando",
                                             "    faltando: (\"K\" = -0)", "    sobrando: (\"K\" = 0)"}));
}

// Floats at the edges of the destination's exact types: 2^63, the nearest float to a BIGINT's top,
// and 5000 in a NUMERIC(4,2) are refused; the edges themselves arrive, and a difference there is seen.
TEST_F(DataVerificationTest, FloatsAtTheEdgeOfAnExactTypeArriveOrAreRefusedAndVerifyAsTheyAre) {
    const QString ddl = QStringLiteral("CREATE TABLE BORDA (ID INTEGER NOT NULL PRIMARY KEY, F %1, B %2);");
    // 327.674 rounds to the top, 327.67.
    ConnectPair(ddl.arg(QStringLiteral("DOUBLE PRECISION"), QStringLiteral("DOUBLE PRECISION")),
                ddl.arg(QStringLiteral("NUMERIC(4,2)"), QStringLiteral("BIGINT")),
                QStringLiteral("INSERT INTO BORDA VALUES (1, 327.67, POWER(2, 63));"
                               "INSERT INTO BORDA VALUES (2, -327.68, -POWER(2, 63));"
                               "INSERT INTO BORDA VALUES (3, 5000, 1); INSERT INTO BORDA VALUES (4, 327.66, 7);"
                               "INSERT INTO BORDA VALUES (5, 327.674, 8);"),
                {});
    dialogs.OnModal = [](QDialog&) { return QDialog::Accepted; };   // "valor arredondado"
    window.btnCheckAll->click();
    Import();
    EXPECT_EQ(Log().filter(QRegularExpression(QStringLiteral("BORDA.*(ERRO|out of range)"))).size(), 2) << Log();
    EXPECT_EQ(Destino(QStringLiteral("SELECT LIST(ID || ':' || F || ':' || B) FROM (SELECT * FROM BORDA ORDER BY ID)")),
              QStringLiteral("2:-327.68:-9223372036854775808,4:327.66:7,5:327.67:8"));
    DatabaseFactory::Execute(destino, QStringLiteral("UPDATE BORDA SET F = 327.67 WHERE ID = 4;"));
    Verify();
    EXPECT_TRUE(Log().contains(QStringLiteral("Verificação BORDA: 2 iguais, 1 diferentes, 2 faltando, 0 sobrando"))) << Log();
}
