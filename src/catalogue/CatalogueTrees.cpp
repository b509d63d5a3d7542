#include "CatalogueTrees.h"

#include "TListaTabelas.h"
#include "TTabela.h"
#include "TableNodes.h"
#include "TableStateWording.h"
#include "TableTreeDelegate.h"
#include "Workspace.h"
#include "platform/Application.h"
#include "platform/TSQLConnection.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

CatalogueTrees::CatalogueTrees(Workspace& workspace, const CatalogueControls& controls)
    : workspace_(workspace), treeView_(*controls.TreeView), treeViewDelecao_(*controls.TreeViewDelecao) {
    treeView_.setItemDelegate(new TableTreeDelegate(*controls.ImageList, &TTabela::Checked, &CopyMarkHint,
                                                    controls.ImageList_Status, &treeView_));
    treeViewDelecao_.setItemDelegate(new TableTreeDelegate(*controls.ImageList, &TTabela::CheckedDelete,
                                                           &CleanupMarkHint, nullptr, &treeViewDelecao_));
    // The name with its icons, then the row counts. Each column grows with its longest text, so
    // none is cut off and the tree scrolls; the counts line up beside the longest name.
    for (QTreeWidget* tree : {&treeView_, &treeViewDelecao_}) {
        tree->setColumnCount(RowCountsColumn + 1);
        // A count changed measures no row's height: with thousands of tables that held the window.
        tree->setUniformRowHeights(true);
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
    workspace_.Read([&] { workspace_.SQLConnection->GetTableNames(names, false); });
    Status(QStringLiteral("Tabelas Capturadas"));
    for (const QString& name : names.Items()) {
        Status(name);
        ListaTabelas.Add(new TTabela(name, workspace_));
    }
    ListaTabelas.AdjustDependences(workspace_);
    Fill(treeView_, &TTabela::Dependences);
    ShowRowCounts(treeView_);
}

void CatalogueTrees::ListarTabelasDependenciasDelecao() {
    treeViewDelecao_.clear();
    Fill(treeViewDelecao_, &TTabela::DependencesDelete);
    ShowRowCounts(treeViewDelecao_);
}

bool CatalogueTrees::ShowRowCounts() {
    const bool changed = ShowRowCounts(treeView_);
    return ShowRowCounts(treeViewDelecao_) || changed;
}

bool CatalogueTrees::ShowRowCounts(QTreeWidget& tree) {
    bool changed = false;
    {
        // The tree hears of the new counts once, not once a node: measuring its columns at each
        // changed node held the window for seconds once thousands of counts changed together.
        const QSignalBlocker quiet(tree.model());
        for (QTreeWidgetItemIterator node(&tree); *node; ++node)
            if (const TTabela* tabela = NodeTable(*node)) {
                const QString counts = RowCountsText(*tabela);
                if ((*node)->text(RowCountsColumn) == counts) continue;
                (*node)->setText(RowCountsColumn, counts);
                changed = true;
            }
    }
    if (changed) {
        tree.header()->resizeSections(QHeaderView::ResizeToContents);
        tree.viewport()->update();
    }
    return changed;
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
