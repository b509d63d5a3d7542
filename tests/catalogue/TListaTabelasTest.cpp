#include "CataloguePair.h"

#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"

#include <QPointer>

namespace {

// CLIENTE <- PEDIDO <- ITEM, PEDIDO twice to CLIENTE, CATEGORIA referencing itself, and
// AVULSA related to nothing. The table listing reports them in name order.
const QString Vendas = QStringLiteral(
    "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY, CPF CHAR(11) NOT NULL UNIQUE);"
    "CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY,"
    " CLIENTE_ID INTEGER REFERENCES CLIENTE (ID), CLIENTE_CPF CHAR(11) REFERENCES CLIENTE (CPF));"
    "CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, PEDIDO_ID INTEGER REFERENCES PEDIDO (ID),"
    " CATEGORIA_ID INTEGER);"
    "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CATEGORIA (ID));"
    "ALTER TABLE ITEM ADD CONSTRAINT FK_ITEM_CATEGORIA FOREIGN KEY (CATEGORIA_ID) REFERENCES CATEGORIA (ID);"
    "CREATE TABLE AVULSA (ID INTEGER);");

QStringList Names(const QList<TTabela*>& tabelas) {
    QStringList names;
    for (const TTabela* tabela : tabelas) names.append(tabela->NomeTabela());
    return names;
}

using TListaTabelasDependences = CataloguePair;

TEST_F(TListaTabelasDependences, EachTableKnowsTheTablesItReferencesAndThoseReferencingIt) {
    Open(Vendas);
    LoadCatalogue();

    ASSERT_EQ(Names(ListaTabelas.Items()), QStringList({"AVULSA", "CATEGORIA", "CLIENTE", "ITEM", "PEDIDO"}));
    auto deps = [](const char* name) { return ListaTabelas.TableByName(name)->Dependences()->Items(); };
    auto children = [](const char* name) { return ListaTabelas.TableByName(name)->DependencesDelete()->Items(); };

    EXPECT_EQ(deps("AVULSA"), QStringList());
    EXPECT_EQ(children("AVULSA"), QStringList());
    // Two foreign keys to the same table give one entry on each side.
    EXPECT_EQ(deps("PEDIDO"), QStringList({"CLIENTE"}));
    EXPECT_EQ(children("CLIENTE"), QStringList({"PEDIDO"}));
    // A self-reference puts the table on both of its own lists.
    EXPECT_EQ(deps("CATEGORIA"), QStringList({"CATEGORIA"}));
    EXPECT_EQ(children("CATEGORIA"), QStringList({"CATEGORIA", "ITEM"}));
    EXPECT_EQ(children("PEDIDO"), QStringList({"ITEM"}));
    QStringList itemDeps = deps("ITEM");
    itemDeps.sort();
    EXPECT_EQ(itemDeps, QStringList({"CATEGORIA", "PEDIDO"}));
}

TEST_F(TListaTabelasDependences, ReferencingTablesFollowTheCatalogueOrderNotTheForeignKeys) {
    Open(QStringLiteral("CREATE TABLE MAE (ID INTEGER NOT NULL PRIMARY KEY);"
                        "CREATE TABLE ZETA (MAE_ID INTEGER REFERENCES MAE (ID));"
                        "CREATE TABLE ALFA (MAE_ID INTEGER REFERENCES MAE (ID));"
                        "CREATE TABLE BETA (MAE_ID INTEGER REFERENCES MAE (ID));"));
    LoadCatalogue();

    EXPECT_EQ(ListaTabelas.TableByName("MAE")->DependencesDelete()->Items(), QStringList({"ALFA", "BETA", "ZETA"}));
}

TEST_F(TListaTabelasDependences, TablesWithNamesThatNeedQuotingAreRelatedToo) {
    Open(QStringLiteral("CREATE TABLE \"Cliente's\" (ID INTEGER NOT NULL PRIMARY KEY);"
                        "CREATE TABLE \"CLIENTE'S\" (ID INTEGER NOT NULL PRIMARY KEY);"
                        "CREATE TABLE \"order\" (C INTEGER REFERENCES \"Cliente's\" (ID));"));
    LoadCatalogue();

    EXPECT_EQ(ListaTabelas.TableByName("order")->Dependences()->Items(), QStringList({"Cliente's"}));
    EXPECT_EQ(ListaTabelas.TableByName("Cliente's")->DependencesDelete()->Items(), QStringList({"order"}));
    // A name that differs only in case is another table's.
    EXPECT_TRUE(ListaTabelas.TableByName("CLIENTE'S")->DependencesDelete()->Items().isEmpty());
}

TEST_F(TListaTabelasDependences, TheStatusLineCountsEachTableFromZero) {
    Open(Vendas);
    LoadCatalogue();

    EXPECT_EQ(fixture->statuses, QStringList({"0 AVULSA", "1 CATEGORIA", "2 CLIENTE", "3 ITEM", "4 PEDIDO"}));
}

TEST_F(TListaTabelasDependences, ASecondRunReplacesTheListsInsteadOfAddingToThem) {
    Open(Vendas);
    LoadCatalogue();
    ListaTabelas.AdjustDependences(fixture->workspace);

    EXPECT_EQ(ListaTabelas.TableByName("PEDIDO")->Dependences()->Items(), QStringList({"CLIENTE"}));
    EXPECT_EQ(ListaTabelas.TableByName("CLIENTE")->DependencesDelete()->Items(), QStringList({"PEDIDO"}));
}

TEST_F(TListaTabelasDependences, AReferencedTableOutsideTheCatalogueIsNamedButNotFound) {
    Open(Vendas);
    ListaTabelas.Add(new TTabela("PEDIDO", fixture->workspace));
    ListaTabelas.AdjustDependences(fixture->workspace);

    TTabela* pedido = ListaTabelas.TableByName("PEDIDO");
    EXPECT_EQ(pedido->Dependences()->Items(), QStringList({"CLIENTE"}));
    EXPECT_EQ(ListaTabelas.TableByName("CLIENTE"), nullptr);
    // Marking passes over the name it cannot find.
    pedido->MarcarDependencias(true);
    pedido->MarcarDependenciasDelecao(true);
    EXPECT_FALSE(pedido->Checked());
}

using TListaTabelasLookup = CataloguePair;

// A name that differs only in case from another table's is that table's own.
TEST_F(TListaTabelasLookup, NamesAreFoundWhateverTheirCaseTheNameAsWrittenFirst) {
    EXPECT_EQ(ListaTabelas.TableByName("CLIENTE"), nullptr);
    Open(Vendas + QStringLiteral("CREATE TABLE \"item\" (ID INTEGER);"));
    LoadCatalogue();

    TTabela* cliente = ListaTabelas.TableByName("cliente");
    ASSERT_NE(cliente, nullptr);
    EXPECT_EQ(cliente->NomeTabela(), "CLIENTE");
    EXPECT_EQ(ListaTabelas.TableByName("item")->NomeTabela(), "item");
    EXPECT_EQ(ListaTabelas.TableByName("ITEM")->NomeTabela(), "ITEM");
    EXPECT_EQ(ListaTabelas.TableByName("Pedido"), ListaTabelas.Items()[4]);
    EXPECT_EQ(ListaTabelas.TableByName("CLIENT"), nullptr);
    EXPECT_EQ(ListaTabelas.TableByName("CLIENTES"), nullptr);
}

TEST_F(TListaTabelasLookup, ClearingFreesEveryRecord) {
    Open(Vendas);
    LoadCatalogue();
    QList<QPointer<TTabela>> records;
    for (TTabela* tabela : ListaTabelas.Items()) records.append(tabela);

    ListaTabelas.Clear();
    EXPECT_TRUE(ListaTabelas.Items().isEmpty());
    for (const QPointer<TTabela>& record : records) EXPECT_TRUE(record.isNull());
}

}  // namespace
