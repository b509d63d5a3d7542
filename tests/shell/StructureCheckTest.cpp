#include "CopyWindow.h"

#include "copy/StructureDifferencesDialog.h"

namespace {

// Every kind of difference the import checks, a table or two of each; INTACTA is the same on both
// sides and SEM_COLUNA depends on it. SEM_TABELA leaves the destination after connecting.
const QString OrigemDdl = QStringLiteral(
    "CREATE TABLE INTACTA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20));"
    "CREATE TABLE VALORES (ID INTEGER NOT NULL PRIMARY KEY, PRECO NUMERIC(15,4), PESO DOUBLE PRECISION,"
    " TAXA NUMERIC(9,2), CONTADOR INTEGER, MOMENTO TIMESTAMP, INSTANTE TIMESTAMP, DIA DATE,"
    " TEXTO VARCHAR(20) CHARACTER SET WIN1252, BRUTO VARCHAR(20) CHARACTER SET OCTETS, NOTA BLOB SUB_TYPE TEXT,"
    " TOTAL COMPUTED BY (ID * 2), LIGADO BOOLEAN, CODIGO INTEGER);"
    "CREATE TABLE RECUSA (ID INTEGER NOT NULL PRIMARY KEY, QUANTIDADE BIGINT, NOME VARCHAR(40), OBS VARCHAR(10),"
    " CRU VARCHAR(10) CHARACTER SET NONE, LATIM VARCHAR(10) CHARACTER SET UTF8, FSS VARCHAR(10) CHARACTER SET UTF8);"
    "CREATE TABLE SEM_COLUNA (ID INTEGER NOT NULL PRIMARY KEY, INTACTA_ID INTEGER REFERENCES INTACTA, EMAIL VARCHAR(40));"
    "CREATE TABLE SEM_TABELA (ID INTEGER NOT NULL PRIMARY KEY);"
    "CREATE TABLE CALCULADA (ID INTEGER NOT NULL PRIMARY KEY, DOBRO INTEGER);"
    "CREATE TABLE CICLO (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CICLO);");
const QString DestinoDdl = QStringLiteral(
    "CREATE TABLE INTACTA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(20));"
    "CREATE TABLE VALORES (ID INTEGER NOT NULL PRIMARY KEY, PRECO NUMERIC(15,2), PESO NUMERIC(15,3),"
    " TAXA DOUBLE PRECISION, CONTADOR DOUBLE PRECISION, MOMENTO DATE, INSTANTE TIME, DIA TIMESTAMP,"
    " TEXTO VARCHAR(20) CHARACTER SET UTF8, BRUTO VARCHAR(20) CHARACTER SET WIN1252, NOTA BLOB SUB_TYPE BINARY,"
    " TOTAL INTEGER, LIGADO SMALLINT, CODIGO VARCHAR(5));"
    "CREATE TABLE RECUSA (ID INTEGER NOT NULL PRIMARY KEY, QUANTIDADE INTEGER, NOME VARCHAR(20),"
    " OBS VARCHAR(10) NOT NULL, EXIGIDA INTEGER NOT NULL, COM_PADRAO INTEGER DEFAULT 0 NOT NULL,"
    " CRU VARCHAR(10) CHARACTER SET UTF8, LATIM VARCHAR(10) CHARACTER SET WIN1252,"
    " FSS VARCHAR(10) CHARACTER SET UNICODE_FSS);"
    "CREATE TABLE SEM_COLUNA (ID INTEGER NOT NULL PRIMARY KEY, INTACTA_ID INTEGER REFERENCES INTACTA);"
    "CREATE TABLE SEM_TABELA (ID INTEGER NOT NULL PRIMARY KEY);"
    "CREATE TABLE CALCULADA (ID INTEGER NOT NULL PRIMARY KEY, DOBRO COMPUTED BY (ID * 2));"
    "CREATE TABLE CICLO (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER NOT NULL REFERENCES CICLO);");
const QString Linhas = QStringLiteral(
    "INSERT INTO INTACTA VALUES (1, 'um');"
    "INSERT INTO VALORES VALUES (1, 1.2345, 2.5, 1.25, 7, '2024-05-06 13:45:00', '2024-05-06 13:45:00',"
    " '2024-05-06', 'texto', 'bruto', 'nota', NULL, 12345);"
    "INSERT INTO RECUSA VALUES (1, 5, 'nome', NULL, 'cru', NULL, NULL);"
    "INSERT INTO SEM_COLUNA VALUES (1, 1, 'a@b.c'); INSERT INTO SEM_TABELA VALUES (1);"
    "INSERT INTO CALCULADA VALUES (1, 2); INSERT INTO CICLO VALUES (1, NULL);");

const QStringList Differences = {
    "CALCULADA", "  DOBRO | INTEGER | calculada | tabela não será copiada",
    "CICLO", "  PAI | INTEGER, NULL na primeira etapa | INTEGER NOT NULL | registros recusados",
    "RECUSA", "  QUANTIDADE | BIGINT | INTEGER | registros recusados",
    "  NOME | VARCHAR(40) | VARCHAR(20) | registros recusados",
    "  OBS | VARCHAR(10) | VARCHAR(10) NOT NULL | registros recusados",
    "  CRU | VARCHAR(10) CHARACTER SET NONE | VARCHAR(10) CHARACTER SET UTF8 | registros recusados",
    "  LATIM | VARCHAR(10) CHARACTER SET UTF8 | VARCHAR(10) CHARACTER SET WIN1252 | valor convertido, registros recusados",
    "  FSS | VARCHAR(10) CHARACTER SET UTF8 | VARCHAR(10) CHARACTER SET UNICODE_FSS | valor convertido, registros recusados",
    "  EXIGIDA | ausente | INTEGER NOT NULL | registros recusados",
    "SEM_COLUNA", "  EMAIL | VARCHAR(40) | ausente | tabela não será copiada",
    "SEM_TABELA", "  (tabela) | tabela | ausente | tabela não será copiada",
    "VALORES", "  PRECO | NUMERIC(15,4) | NUMERIC(15,2) | valor arredondado",
    "  PESO | DOUBLE PRECISION | NUMERIC(15,3) | valor arredondado, registros recusados",
    "  TAXA | NUMERIC(9,2) | DOUBLE PRECISION | valor arredondado",
    "  MOMENTO | TIMESTAMP | DATE | hora descartada",
    "  INSTANTE | TIMESTAMP | TIME | data descartada",
    "  TEXTO | VARCHAR(20) CHARACTER SET WIN1252 | VARCHAR(20) CHARACTER SET UTF8 | valor convertido",
    "  NOTA | BLOB SUB_TYPE TEXT CHARACTER SET NONE | BLOB SUB_TYPE BINARY | bytes copiados sem conversão",
    "  LIGADO | BOOLEAN | SMALLINT | valor convertido, registros recusados",
    "  CODIGO | INTEGER | VARCHAR(5) CHARACTER SET NONE | valor convertido, registros recusados",
    "  TOTAL | calculada | INTEGER | valor calculado não copiado"};

class StructureCheck : public CopyWindow {
protected:
    // Connects the pair, copying in two passes, marks every table but INTACTA and imports,
    // answering the question with the given answer.
    void ImportAnswering(int answer) {
        ConnectPair(OrigemDdl, DestinoDdl, Linhas, {});
        DatabaseFactory::Execute(destino, QStringLiteral("DROP TABLE SEM_TABELA;"));
        CopiarReferenciasCirculares = true;
        for (TTabela* tabela : ListaTabelas.Items())
            if (tabela->NomeTabela() != QLatin1String("INTACTA")) tabela->SetChecked(true);
        Ask(answer);
        Import();
    }

    // Answers the next modal dialog, which must be the question, keeping what it listed.
    void Ask(int answer) {
        dialogs.OnModal = [this, answer](QDialog& shown) {
            auto* question = dynamic_cast<StructureDifferencesDialog*>(&shown);
            EXPECT_NE(question, nullptr);
            if (question) listed = Listed(*question->Differences);
            return answer;
        };
    }

    static QStringList Listed(const QTreeWidget& tree) {
        QStringList lines;
        for (int i = 0; i < tree.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* table = tree.topLevelItem(i);
            lines << table->text(0);
            for (int j = 0; j < table->childCount(); ++j) {
                const QTreeWidgetItem* row = table->child(j);
                lines << QStringLiteral("  %1 | %2 | %3 | %4").arg(row->text(0), row->text(1), row->text(2), row->text(3));
            }
        }
        return lines;
    }

    QStringList listed;
};

}  // namespace

TEST_F(StructureCheck, NaoListsEveryDifferenceGroupedByTableAndSendsNothing) {
    ImportAnswering(QDialog::Rejected);
    EXPECT_EQ(listed, Differences);
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 22) << log;
    EXPECT_EQ(log.filter(QStringLiteral("Estrutura diferente: ")).size(), 21);
    EXPECT_TRUE(log.contains(
        QStringLiteral("Estrutura diferente: VALORES.PRECO: origem NUMERIC(15,4), destino NUMERIC(15,2): valor arredondado")));
    EXPECT_EQ(log.last(), QStringLiteral("Importação cancelada: a estrutura do destino difere da origem"));
    for (const char* table : {"INTACTA", "VALORES", "RECUSA", "SEM_COLUNA", "CALCULADA", "CICLO"})
        EXPECT_EQ(DestinoCount(QString::fromLatin1(table)), 0) << table;
}

TEST_F(StructureCheck, SimSkipsTheTablesTheDestinationCannotTakeAndCopiesTheRest) {
    ImportAnswering(QDialog::Accepted);
    const QStringList log = Log();
    for (const char* skipped : {"CALCULADA não copiada: coluna DOBRO calculada no destino",
                                "SEM_COLUNA não copiada: coluna EMAIL ausente no destino",
                                "SEM_TABELA não copiada: tabela ausente no destino"})
        EXPECT_EQ(log.filter(QString::fromUtf8(skipped)).size(), 1) << skipped << log;
    EXPECT_EQ(log.filter(QStringLiteral(" não copiada: ")).size(), 3) << log;
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 4, 2, 2).match(log.last()).hasMatch()) << log;
    EXPECT_EQ(DestinoCount(QStringLiteral("INTACTA")), 1);   // the dependence of a skipped table
    EXPECT_EQ(Destino(QStringLiteral("SELECT PRECO || ' ' || MOMENTO || ' ' || INSTANTE FROM VALORES")),
              QStringLiteral("1.23 2024-05-06 13:45:00.0000"));
    EXPECT_EQ(log.filter(QStringLiteral("-> RECUSA O campo 'OBS'")).size(), 1) << log;
    EXPECT_EQ(log.filter(QStringLiteral("-> CICLO O campo 'PAI'")).size(), 1) << log;
}

// Rows copied into a global temporary table are gone at the commit or with the connection: it is
// no table to copy into, and "Sim" leaves it out instead of reporting rows it does not keep.
TEST_F(StructureCheck, AGlobalTemporaryTableInTheDestinationIsNoTableToCopyInto) {
    ConnectPair(QStringLiteral("CREATE TABLE TEMPO (ID INTEGER NOT NULL PRIMARY KEY);"),
                QStringLiteral("CREATE GLOBAL TEMPORARY TABLE TEMPO (ID INTEGER NOT NULL PRIMARY KEY) ON COMMIT PRESERVE ROWS;"),
                QStringLiteral("INSERT INTO TEMPO VALUES (1);"), {});
    Mark("TEMPO");
    Ask(QDialog::Accepted);
    Import();
    EXPECT_EQ(listed, QStringList({"TEMPO", "  (tabela) | tabela | ausente | tabela não será copiada"}));
    EXPECT_TRUE(Summary(QStringLiteral("Importação concluída"), 0, 0, 0).match(Log().last()).hasMatch()) << Log();
}

TEST_F(StructureCheck, IdenticalStructuresShowNoQuestion) {
    Connect(Vendas, Vendas, UmCliente);
    Mark("CLIENTE");
    Import();   // a modal dialog would fail the test: no one answers it
    EXPECT_EQ(DestinoCount(QStringLiteral("CLIENTE")), 1);
    EXPECT_TRUE(Log().filter(QStringLiteral("Estrutura")).isEmpty());
}

TEST_F(StructureCheck, AColumnOfADomainWithTheSameTypeIsNotReported) {
    ConnectPair(QStringLiteral("CREATE DOMAIN DINHEIRO AS NUMERIC(15,2);"
                               "CREATE DOMAIN NOME_CURTO AS VARCHAR(20) NOT NULL;"
                               "CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, SALDO DINHEIRO, TITULAR NOME_CURTO);"),
                QStringLiteral("CREATE TABLE CONTA (ID INTEGER NOT NULL PRIMARY KEY, SALDO NUMERIC(15,2),"
                               " TITULAR VARCHAR(20) NOT NULL);"),
                QStringLiteral("INSERT INTO CONTA VALUES (1, 10.25, 'Ana');"), {});
    Mark("CONTA");
    Import();
    EXPECT_EQ(Destino(QStringLiteral("SELECT SALDO || TITULAR FROM CONTA")), QStringLiteral("10.25Ana"));
}

// Marked tables of a cycle wait for each other, and the import copies them at its end: the check
// looks at them before anything is sent, as at the others.
TEST_F(StructureCheck, TablesOfACycleAllMarkedAreCheckedToo) {
    const QString ciclo = QStringLiteral(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, B_ID INTEGER);"
        "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER REFERENCES A%1);"
        "ALTER TABLE A ADD FOREIGN KEY (B_ID) REFERENCES B;");
    ConnectPair(ciclo.arg(QStringLiteral(", NOME VARCHAR(10)")), ciclo.arg(QString()),
                QStringLiteral("INSERT INTO A VALUES (1, NULL); INSERT INTO B VALUES (1, 1, 'x');"), {});
    CopiarReferenciasCirculares = false;
    Mark("A");
    Mark("B");
    Tabela("A")->MarcarDependencias(true);
    Tabela("B")->MarcarDependencias(true);
    Ask(QDialog::Rejected);
    Import();
    EXPECT_EQ(listed, QStringList({"B", "  NOME | VARCHAR(10) | ausente | tabela não será copiada"}));
    EXPECT_EQ(DestinoCount(QStringLiteral("A")), 0);
}
