#include "CataloguePair.h"

#include "catalogue/TTabela.h"
#include "platform/EDatabaseError.h"
#include "platform/TSQLDataSet.h"

namespace {

using TTabelaColumns = CataloguePair;

TEST_F(TTabelaColumns, ComputedColumnsAreLeftOutAndEveryOtherColumnStays) {
    Open(QStringLiteral(
        "CREATE TABLE PEDIDO (ID INTEGER NOT NULL, QTDE INTEGER, PRECO NUMERIC(9,2),"
        " TOTAL COMPUTED BY (QTDE * PRECO), TOTAL2 INTEGER, DESCRICAO VARCHAR(20));"
        // A regular column of another table with a computed column's name stays in that table.
        "CREATE TABLE ITEM (ID INTEGER, TOTAL INTEGER, DOBRO COMPUTED BY (ID * 2));"));

    EXPECT_EQ(Tabela("PEDIDO")->FieldNames()->Items(),
              QStringList({"ID", "QTDE", "PRECO", "TOTAL2", "DESCRICAO"}));
    EXPECT_EQ(Tabela("ITEM")->FieldNames()->Items(), QStringList({"ID", "TOTAL"}));
}

TEST_F(TTabelaColumns, AComputedNameRemovesOnlyTheColumnSpelledLikeIt) {
    Open(QStringLiteral("CREATE TABLE NOTA (TOTAL INTEGER, \"total\" COMPUTED BY (TOTAL + 1), \"Valor\" INTEGER);"));

    EXPECT_EQ(Tabela("NOTA")->FieldNames()->Items(), QStringList({"TOTAL", "Valor"}));
}

TEST_F(TTabelaColumns, SelectNamesEveryCopiedColumnQualifiedByTheTable) {
    Open(QStringLiteral("CREATE TABLE T (A INTEGER, B VARCHAR(10), C COMPUTED BY (A + 1));"));

    EXPECT_EQ(Tabela("T")->SQLSelect(), "SELECT T.A, T.B FROM T");
}

TEST_F(TTabelaColumns, WithoutColumnsToCopyTheSelectKeepsBothBlanks) {
    // Firebird refuses a table of computed columns alone, so the list is emptied here.
    Open(QStringLiteral("CREATE TABLE SO_CALCULO (UM INTEGER, DOIS COMPUTED BY (2));"));
    auto tabela = Tabela("SO_CALCULO");
    ASSERT_EQ(tabela->FieldNames()->Items(), QStringList({"UM"}));
    tabela->FieldNames()->Clear();

    EXPECT_EQ(tabela->SQLSelect(), "SELECT  FROM SO_CALCULO");
}

TEST_F(TTabelaColumns, NamesThatAreNotPlainIdentifiersAreQuotedAndStillLoad) {
    Open(QStringLiteral(
             "CREATE TABLE \"Pedido's\" (\"valor total\" INTEGER, \"ORDER\" INTEGER,"
             " \"dobro\" COMPUTED BY (\"valor total\" * 2));"
             "CREATE TABLE \"ORDER\" (\"Data\" DATE);"),
         QStringLiteral("INSERT INTO \"Pedido's\" VALUES (1, 2);"),
         QStringLiteral("INSERT INTO \"Pedido's\" VALUES (3, 4);"));

    auto pedido = Tabela("Pedido's");
    EXPECT_EQ(pedido->FieldNames()->Items(), QStringList({"valor total", "ORDER"}));
    EXPECT_EQ(pedido->SQLSelect(), "SELECT \"Pedido's\".\"valor total\", \"Pedido's\".\"ORDER\" FROM \"Pedido's\"");
    EXPECT_TRUE(pedido->Importada());
    EXPECT_EQ(Tabela("ORDER")->SQLSelect(), "SELECT \"ORDER\".\"Data\" FROM \"ORDER\"");

    TSQLDataSet rows(&fixture->SQLConnection);
    rows.SetCommandText(pedido->SQLSelect());
    rows.Open();
    EXPECT_EQ(rows.FieldCount(), 2);
    EXPECT_EQ(rows.Fields(1)->AsInteger(), 2);
}

using TTabelaCounts = CataloguePair;

const QString Contas = QStringLiteral("CREATE TABLE CONTA (ID INTEGER);");

TEST_F(TTabelaCounts, AnEmptyPairCountsAsCopied) {
    Open(Contas);
    EXPECT_TRUE(Tabela("CONTA")->Importada());
}

TEST_F(TTabelaCounts, DifferentRowsInEqualNumberCountAsCopied) {
    Open(Contas, QStringLiteral("INSERT INTO CONTA VALUES (1); INSERT INTO CONTA VALUES (2);"),
         QStringLiteral("INSERT INTO CONTA VALUES (7); INSERT INTO CONTA VALUES (8);"));
    EXPECT_TRUE(Tabela("CONTA")->Importada());
}

TEST_F(TTabelaCounts, UnequalCountsAreNotCopiedEitherWay) {
    Open(Contas, QStringLiteral("INSERT INTO CONTA VALUES (1);"));
    auto tabela = Tabela("CONTA");
    EXPECT_FALSE(tabela->Importada());

    DatabaseFactory::Execute(destino, QStringLiteral("INSERT INTO CONTA VALUES (1); INSERT INTO CONTA VALUES (2);"));
    tabela->VerificarImportada();
    EXPECT_FALSE(tabela->Importada());

    DatabaseFactory::Execute(destino, QStringLiteral("DELETE FROM CONTA WHERE ID = 2;"));
    tabela->VerificarImportada();
    EXPECT_TRUE(tabela->Importada());
}

TEST_F(TTabelaCounts, ATableMissingOnTheDestinationRaisesTheDestinationsError) {
    origem = factory.Create(QStringLiteral("origem"), Contas + QStringLiteral("CREATE TABLE SO_NA_ORIGEM (ID INTEGER);"));
    destino = factory.Create(QStringLiteral("destino"), Contas);
    fixture = std::make_unique<WorkspaceFixture>(origem, destino);

    try {
        Tabela("SO_NA_ORIGEM");
        FAIL() << "the record was built";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains("SO_NA_ORIGEM")) << error.Message().toStdString();
    }
    // Both working datasets are closed again, and the next record builds on them.
    EXPECT_FALSE(fixture->workspace.SQLDSOrigem->Active());
    EXPECT_FALSE(fixture->workspace.SQLDSDestino->Active());
    EXPECT_TRUE(Tabela("CONTA")->Importada());
}

TEST_F(TTabelaCounts, AFailedCountKeepsThePreviousMark) {
    Open(Contas, QStringLiteral("INSERT INTO CONTA VALUES (1);"));
    auto tabela = Tabela("CONTA");
    ASSERT_FALSE(tabela->Importada());
    fixture->SQLConnectionDestino.Close();

    EXPECT_ANY_THROW(tabela->VerificarImportada());
    EXPECT_FALSE(tabela->Importada());
    EXPECT_FALSE(fixture->workspace.SQLDSOrigem->Active());
}

using TTabelaFlags = CataloguePair;

TEST_F(TTabelaFlags, WaitingIsOnlyStoredWhileWaitingForDependencesIsOn) {
    Open(Contas);
    auto tabela = Tabela("CONTA");
    EsperarDependencias = false;
    tabela->SetWaitDependence(true);
    EXPECT_FALSE(tabela->WaitDependence());
    // Through the property system as well: the setter is the only way in.
    tabela->setProperty("WaitDependence", true);
    EXPECT_FALSE(tabela->property("WaitDependence").toBool());

    EsperarDependencias = true;
    tabela->SetWaitDependence(true);
    EXPECT_TRUE(tabela->WaitDependence());
    tabela->SetWaitDependence(false);
    EXPECT_FALSE(tabela->WaitDependence());
}

TEST_F(TTabelaFlags, TheSyncMethodFollowsTheRadioGroupWhenTheRecordIsBuilt) {
    Open(Contas);
    const std::pair<int, TSyncObjMethod> cases[] = {
        {-1, smNull}, {0, smNoSync}, {1, smMutex}, {2, smSemaphore}};
    for (const auto& [itemIndex, method] : cases) {
        fixture->syncItemIndex = itemIndex;
        auto tabela = Tabela("CONTA");
        fixture->syncItemIndex = 0;
        EXPECT_EQ(tabela->SyncObjMethod(), method) << "item " << itemIndex;
    }
}

}  // namespace
