#include "CatalogueTrees.h"

#include "TListaTabelas.h"
#include "TTabela.h"
#include "TableNodes.h"
#include "TableTreeDelegate.h"
#include "Workspace.h"
#include "platform/Application.h"
#include "platform/TSQLConnection.h"

#include <QHeaderView>
#include <QTreeWidget>

CatalogueTrees::CatalogueTrees(Workspace& workspace, const CatalogueControls& controls)
    : workspace_(workspace), treeView_(*controls.TreeView), treeViewDelecao_(*controls.TreeViewDelecao) {
    treeView_.setItemDelegate(
        new TableTreeDelegate(*controls.ImageList, &TTabela::Checked, controls.ImageList_Status, &treeView_));
    treeViewDelecao_.setItemDelegate(
        new TableTreeDelegate(*controls.ImageList, &TTabela::CheckedDelete, nullptr, &treeViewDelecao_));
    // The column grows with the longest name and its icons, so none is cut off and the tree scrolls.
    for (QTreeWidget* tree : {&treeView_, &treeViewDelecao_}) {
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
}

void CatalogueTrees::Clear() {
    treeView_.clear();
    treeViewDelecao_.clear();
    ListaTabelas.Clear();
}

void CatalogueTrees::ListarTabelasDependencias() {
    Clear();
    TStringList names;
    workspace_.SQLConnection->GetTableNames(names, false);
    Status(QStringLiteral("Tabelas Capturadas"));
    for (const QString& listed : names.Items()) {
        const QString name = listed.trimmed();
        Status(name);
        ListaTabelas.Add(new TTabela(name, workspace_));
    }
    ListaTabelas.AdjustDependences(workspace_);
    Fill(treeView_, &TTabela::Dependences);
}

void CatalogueTrees::ListarTabelasDependenciasDelecao() {
    treeViewDelecao_.clear();
    Fill(treeViewDelecao_, &TTabela::DependencesDelete);
}

void CatalogueTrees::Fill(QTreeWidget& tree, DependencyList dependences) {
    for (TTabela* tabela : ListaTabelas.Items()) {
        QTreeWidgetItem* root = AddTableNode(tree, tabela->NomeTabela(), tabela);
        // A name the catalogue lacks still gets its node, without a record.
        for (const QString& name : (tabela->*dependences)()->Items())
            AddTableNode(*root, name, ListaTabelas.TableByName(name));
    }
}

void CatalogueTrees::Status(const QString& text) {
    workspace_.SetStatus(text);
    ProcessMessages();
}
