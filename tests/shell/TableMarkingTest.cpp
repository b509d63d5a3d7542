#include "CatalogueWindowTest.h"

#include <QCheckBox>
#include <QToolButton>

namespace {

TEST_F(CatalogueWindow, ASelfReferencingTableMarkedWithItsDependencesWaitsForItself) {
    Connect(Vendas, Vendas);

    Choose(window.TreeView, Root(window.TreeView, "CATEGORIA"), window.EstaTabelaetodasassuasdependncias1);

    EXPECT_TRUE(Tabela("CATEGORIA")->Checked());
    EXPECT_TRUE(Tabela("CATEGORIA")->WaitDependence());
}

TEST_F(CatalogueWindow, MarkingWithDependencesReachesTheDirectDependencesOnly) {
    Connect(Vendas, Vendas);

    Choose(window.TreeView, Root(window.TreeView, "ITEM"), window.EstaTabelaetodasassuasdependncias1);

    EXPECT_TRUE(Tabela("ITEM")->Checked());
    EXPECT_FALSE(Tabela("ITEM")->WaitDependence());
    EXPECT_TRUE(Tabela("PEDIDO")->Checked());
    EXPECT_TRUE(Tabela("PEDIDO")->WaitDependence());
    EXPECT_FALSE(Tabela("CLIENTE")->Checked());
    EXPECT_FALSE(Tabela("CLIENTE")->WaitDependence());
}

TEST_F(CatalogueWindow, UnmarkingWithDependencesStillLeavesThemWaiting) {
    Connect(Vendas, Vendas);
    Choose(window.TreeView, Root(window.TreeView, "PEDIDO"), window.SomenteestaTabela1);
    Choose(window.TreeView, Root(window.TreeView, "CLIENTE"), window.SomenteestaTabela1);

    Choose(window.TreeView, Root(window.TreeView, "PEDIDO"), window.EstaTabelaetodasassuasdependncias2);
    EXPECT_FALSE(Tabela("PEDIDO")->Checked());
    EXPECT_FALSE(Tabela("CLIENTE")->Checked());
    EXPECT_TRUE(Tabela("CLIENTE")->WaitDependence());

    // Marking it alone again does not end the wait.
    Choose(window.TreeView, Root(window.TreeView, "CLIENTE"), window.SomenteestaTabela1);
    EXPECT_TRUE(Tabela("CLIENTE")->Checked());
    EXPECT_TRUE(Tabela("CLIENTE")->WaitDependence());
}

TEST_F(CatalogueWindow, WithoutWaitingForDependencesMarkedDependencesDoNotWait) {
    Connect(Vendas, Vendas);
    ShowTab(window.TabConfiguracao);
    window.cbbWaitDependence->click();
    EXPECT_FALSE(EsperarDependencias);
    ShowTab(window.TabSelecao);

    Choose(window.TreeView, Root(window.TreeView, "PEDIDO"), window.EstaTabelaetodasassuasdependncias1);
    EXPECT_TRUE(Tabela("CLIENTE")->Checked());
    EXPECT_FALSE(Tabela("CLIENTE")->WaitDependence());

    window.cbbWaitDependence->click();
    EXPECT_TRUE(EsperarDependencias);
    EXPECT_FALSE(Tabela("CLIENTE")->WaitDependence()) << "the setting acts on later marks only";
}

TEST_F(CatalogueWindow, TheCleanupTabMarksTheTablesThatReferenceTheChosenOne) {
    Connect(Vendas, Vendas);
    ShowTab(window.TabLimpeza);

    Choose(window.TreeViewDelecao, Root(window.TreeViewDelecao, "CLIENTE"), window.EstaTabelaetodasassuasdependncias1);

    EXPECT_TRUE(Tabela("CLIENTE")->CheckedDelete());
    EXPECT_TRUE(Tabela("PEDIDO")->CheckedDelete());
    EXPECT_FALSE(Tabela("ITEM")->CheckedDelete());
    EXPECT_FALSE(Tabela("CLIENTE")->Checked() || Tabela("PEDIDO")->Checked() || Tabela("PEDIDO")->WaitDependence());

    Choose(window.TreeViewDelecao, Child(window.TreeViewDelecao, "CLIENTE", "PEDIDO"), window.SomenteestaTabela2);
    EXPECT_FALSE(Tabela("PEDIDO")->CheckedDelete());
}

TEST_F(CatalogueWindow, MarkAllOnTheSelectionTabLeavesEveryReferencedTableWaiting) {
    Connect(Vendas, Vendas);

    window.btnCheckAll->click();

    for (TTabela* tabela : ListaTabelas.Items()) EXPECT_TRUE(tabela->Checked()) << tabela->NomeTabela().toStdString();
    for (const char* referenced : {"CLIENTE", "PEDIDO", "CATEGORIA"}) EXPECT_TRUE(Tabela(referenced)->WaitDependence());
    for (const char* unreferenced : {"ITEM", "AVULSA"}) EXPECT_FALSE(Tabela(unreferenced)->WaitDependence());

    window.btnUnCheckAll->click();
    for (TTabela* tabela : ListaTabelas.Items()) EXPECT_FALSE(tabela->Checked());
    EXPECT_TRUE(Tabela("CLIENTE")->WaitDependence()) << "unmarking all leaves the waiting marks";
}

TEST_F(CatalogueWindow, MarkAllOnTheCleanupTabTouchesOnlyTheCleanupMarks) {
    Connect(Vendas, Vendas);
    ShowTab(window.TabLimpeza);

    window.btnCheckAll->click();
    for (TTabela* tabela : ListaTabelas.Items()) {
        EXPECT_TRUE(tabela->CheckedDelete());
        EXPECT_FALSE(tabela->Checked() || tabela->WaitDependence());
    }
    window.btnUnCheckAll->click();
    for (TTabela* tabela : ListaTabelas.Items()) EXPECT_FALSE(tabela->CheckedDelete());
}

TEST_F(CatalogueWindow, OnTheSettingsTabNeitherButtonNorMenuMarksAnything) {
    Connect(Vendas, Vendas);
    Choose(window.TreeView, Root(window.TreeView, "AVULSA"), window.SomenteestaTabela1);
    ShowTab(window.TabConfiguracao);

    window.btnUnCheckAll->click();
    EXPECT_TRUE(Tabela("AVULSA")->Checked());
    window.btnCheckAll->click();
    window.EstaTabelaetodasassuasdependncias1->trigger();
    for (TTabela* tabela : ListaTabelas.Items()) {
        EXPECT_EQ(tabela->Checked(), tabela->NomeTabela() == "AVULSA");
        EXPECT_FALSE(tabela->CheckedDelete() || tabela->WaitDependence());
    }
}

TEST_F(CatalogueWindow, ARightClickOnEmptySpaceClearsTheSelectionAndTheMenuDoesNothing) {
    Connect(Vendas, Vendas);
    RightClick(window.TreeView, Root(window.TreeView, "PEDIDO"));
    ASSERT_EQ(window.TreeView->selectedItems().size(), 1);
    window.PopupMenuTabelas->close();

    const QPoint below(10, window.TreeView->viewport()->height() - 3);
    ASSERT_EQ(window.TreeView->itemAt(below), nullptr);
    RightClick(window.TreeView, below);

    EXPECT_TRUE(window.PopupMenuTabelas->isVisible());
    EXPECT_TRUE(window.TreeView->selectedItems().isEmpty());
    window.EstaTabelaetodasassuasdependncias1->trigger();
    window.PopupMenuTabelas->close();
    for (TTabela* tabela : ListaTabelas.Items()) EXPECT_FALSE(tabela->Checked());
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(CatalogueWindow, ADependenceOutsideTheCatalogueIsShownButNeverMarked) {
    Connect(Vendas, Vendas);
    // A referenced table the listing did not report: named, without a record.
    Tabela("AVULSA")->Dependences()->Add("FANTASMA");
    AddTableNode(*Root(window.TreeView, "AVULSA"), "FANTASMA", ListaTabelas.TableByName("FANTASMA"));

    Choose(window.TreeView, Root(window.TreeView, "AVULSA"), window.EstaTabelaetodasassuasdependncias1);
    EXPECT_TRUE(Tabela("AVULSA")->Checked());
    Choose(window.TreeView, Child(window.TreeView, "AVULSA", "FANTASMA"), window.SomenteestaTabela2);
    EXPECT_TRUE(Tabela("AVULSA")->Checked());
    window.btnCheckAll->click();
    window.btnUnCheckAll->click();

    EXPECT_TRUE(Errors().isEmpty()) << Errors().join('\n').toStdString();
}

}  // namespace
