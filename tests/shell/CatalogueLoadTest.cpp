#include "CatalogueWindowTest.h"

#include <QLabel>
#include <QTimer>

namespace {

TEST_F(CatalogueWindow, ConnectingShowsEveryTableWithWhatItReferencesAndWhatReferencesIt) {
    Connect(Vendas, Vendas);

    EXPECT_TRUE(Errors().isEmpty()) << Errors().join('\n').toStdString();
    EXPECT_EQ(Shape(window.TreeView), QStringList({"AVULSA", "CATEGORIA", "  CATEGORIA", "CLIENTE", "ITEM", "  PEDIDO",
                                                   "PEDIDO", "  CLIENTE"}));
    EXPECT_EQ(Shape(window.TreeViewDelecao), QStringList({"AVULSA", "CATEGORIA", "  CATEGORIA", "CLIENTE", "  PEDIDO",
                                                          "ITEM", "PEDIDO", "  ITEM"}));
    // A child node carries the dependence's own record.
    EXPECT_EQ(NodeTable(Child(window.TreeView, "ITEM", "PEDIDO")), NodeTable(Root(window.TreeView, "PEDIDO")));
    EXPECT_EQ(NodeTable(Child(window.TreeViewDelecao, "CATEGORIA", "CATEGORIA")), Tabela("CATEGORIA"));
}

TEST_F(CatalogueWindow, TheLoadReportsEachStepInTheStatusLine) {
    QStringList statuses;
    const auto show = window.workspace.SetStatus;
    window.workspace.SetStatus = [&](const QString& text) {
        statuses << text;
        show(text);
    };
    Connect(QStringLiteral("CREATE TABLE B (ID INTEGER); CREATE TABLE A (ID INTEGER);"),
            QStringLiteral("CREATE TABLE B (ID INTEGER); CREATE TABLE A (ID INTEGER);"));

    EXPECT_EQ(statuses, QStringList({"Conectado", "ListarTabelasDependencias", "Tabelas Capturadas", "A", "B", "0 A",
                                     "1 B", "ListarTabelasDependenciasDelecao"}));
    EXPECT_EQ(window.lblStatus->text(), "ListarTabelasDependenciasDelecao");
}

TEST_F(CatalogueWindow, ASourceWithoutTablesLeavesBothTreesEmpty) {
    Connect({}, {});

    EXPECT_TRUE(Errors().isEmpty()) << Errors().join('\n').toStdString();
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 0);
    EXPECT_EQ(window.TreeViewDelecao->topLevelItemCount(), 0);
    EXPECT_TRUE(ListaTabelas.Items().isEmpty());
}

TEST_F(CatalogueWindow, ConnectingAgainRebuildsEachTreeOnceWithNewRecords) {
    Connect(Vendas, Vendas);
    Choose(window.TreeView, Root(window.TreeView, "AVULSA"), window.SomenteestaTabela1);
    const QStringList selection = Shape(window.TreeView);
    const QStringList cleanup = Shape(window.TreeViewDelecao);

    Reconnect();

    EXPECT_EQ(Shape(window.TreeView), selection);
    EXPECT_EQ(Shape(window.TreeViewDelecao), cleanup);
    EXPECT_EQ(ListaTabelas.Items().size(), 5);
    EXPECT_FALSE(Tabela("AVULSA")->Checked()) << "marks start cleared after a connect";
}

// "Conectar" is disabled while it loads: a press then does nothing and the load carries on.
TEST_F(CatalogueWindow, ConectarIsDisabledDuringTheLoadAndTheLoadCarriesOn) {
    const auto show = window.workspace.SetStatus;
    bool clicked = false, enabled = true;
    window.workspace.SetStatus = [&](const QString& text) {
        show(text);
        if (text == "CLIENTE" && !clicked) {
            clicked = true;
            enabled = window.btnConecta->isEnabled();
            window.btnConecta->click();
        }
    };
    Connect(Vendas, Vendas);

    EXPECT_TRUE(clicked);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(window.btnConecta->isEnabled());
    EXPECT_EQ(Errors(), QStringList());
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 5);
    EXPECT_EQ(window.TreeViewDelecao->topLevelItemCount(), 5);
}

TEST_F(CatalogueWindow, MarkingDuringTheLoadIsRefused) {
    const auto show = window.workspace.SetStatus;
    window.workspace.SetStatus = [&](const QString& text) {
        show(text);
        if (text == "0 AVULSA") window.btnCheckAll->click();
    };
    Connect(Vendas, Vendas);

    EXPECT_EQ(Errors(), QStringList({"Aguarde: o carregamento das tabelas está em andamento."}));
    EXPECT_FALSE(Tabela("AVULSA")->Checked());
}

// Counting millions of rows takes the engine seconds: the window handles its messages
// meanwhile, and what would change the records waits.
TEST_F(CatalogueWindow, AtualizarHandlesTheWindowsMessagesWhileItCountsAndRefusesMarkingMeanwhile) {
    Connect(Vendas, Vendas);
    QTimer::singleShot(0, window.btnCheckAll, &QAbstractButton::click);
    window.btnAtualizar->click();

    EXPECT_EQ(Errors(), QStringList({"Aguarde: o carregamento das tabelas está em andamento."}));
    EXPECT_FALSE(Tabela("AVULSA")->Checked());
    window.btnCheckAll->click();
    EXPECT_TRUE(Tabela("AVULSA")->Checked());
}

TEST_F(CatalogueWindow, AFailedLoadLeavesBothTreesEmptyAndALaterConnectWorks) {
    Connect(Vendas, Vendas);
    const QString semPedido = QStringLiteral(
        "CREATE TABLE CLIENTE (ID INTEGER NOT NULL PRIMARY KEY);"
        "CREATE TABLE CATEGORIA (ID INTEGER NOT NULL PRIMARY KEY, PAI INTEGER REFERENCES CATEGORIA (ID));"
        "CREATE TABLE AVULSA (ID INTEGER); CREATE TABLE ITEM (ID INTEGER NOT NULL, PEDIDO_ID INTEGER);");
    destino = databases.Create(QStringLiteral("destino_incompleto"), semPedido);
    Reconnect();

    ASSERT_EQ(Errors().size(), 1);
    EXPECT_TRUE(Errors().first().startsWith("Erro ao contar a tabela PEDIDO no banco de destino:"))
        << Errors().first().toStdString();
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 0);
    EXPECT_EQ(window.TreeViewDelecao->topLevelItemCount(), 0);

    // The records built before the error are no node's; marking them all is harmless.
    window.btnCheckAll->click();
    RightClick(window.TreeView, QPoint(5, 5));
    window.SomenteestaTabela1->trigger();
    window.PopupMenuTabelas->close();
    EXPECT_EQ(Errors().size(), 1);

    DatabaseFactory::Execute(destino, QStringLiteral("CREATE TABLE PEDIDO (ID INTEGER NOT NULL PRIMARY KEY,"
                                                     " CLIENTE_ID INTEGER REFERENCES CLIENTE (ID));"));
    Reconnect();
    EXPECT_EQ(Errors().size(), 1);
    EXPECT_EQ(window.TreeView->topLevelItemCount(), 5);
    EXPECT_EQ(window.TreeViewDelecao->topLevelItemCount(), 5);
}

}  // namespace
