#include "TableMarking.h"

#include "RecordsGuard.h"
#include "TListaTabelas.h"
#include "TTabela.h"
#include "TableNodes.h"
#include "TableTreeDelegate.h"
#include "platform/ErrorGuard.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTabWidget>
#include <QTreeWidget>

TableMarking::TableMarking(const CatalogueControls& controls, QObject* parent)
    : QObject(parent), controls_(controls) {
    Connect();
}

void TableMarking::Connect() {
    for (QTreeWidget* tree : {controls_.TreeView, controls_.TreeViewDelecao}) {
        tree->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tree, &QWidget::customContextMenuRequested, this,
                [this, tree](const QPoint& pos) { RunGuarded([&] { TreeViewContextPopup(*tree, pos); }); });
        if (const auto* drawing = qobject_cast<TableTreeDelegate*>(tree->itemDelegate()))
            connect(drawing, &TableTreeDelegate::MarkToggled, this, [this, tree](const QModelIndex& index) {
                RunGuarded([&] { ToggleMark(*tree, tree->itemFromIndex(index)); });
            });
    }
    for (QAction* item : {controls_.SomenteestaTabela1, controls_.SomenteestaTabela2})
        connect(item, &QAction::triggered, this, [this, item] { RunGuarded([&] { SomenteestaTabela1Click(item); }); });
    for (QAction* item : {controls_.EstaTabelaetodasassuasdependncias1, controls_.EstaTabelaetodasassuasdependncias2})
        connect(item, &QAction::triggered, this,
                [this, item] { RunGuarded([&] { EstaTabelaetodasassuasdependncias1Click(item); }); });
    connect(controls_.btnCheckAll, &QAbstractButton::clicked, this, [this] { RunGuarded([&] { btnCheckAllClick(); }); });
    connect(controls_.btnUnCheckAll, &QAbstractButton::clicked, this,
            [this] { RunGuarded([&] { btnUnCheckAllClick(); }); });
    // Whatever changes a box (a click, the keyboard, assistive technology, the program) changes
    // its setting: the screen and the copy never disagree.
    connect(controls_.cbbWaitDependence, &QAbstractButton::toggled, this,
            [this] { RunGuarded([&] { cbbWaitDependenceClick(); }); });
    connect(controls_.cbbCopiarReferenciasCirculares, &QAbstractButton::toggled, this,
            [this] { RunGuarded([&] { cbbCopiarReferenciasCircularesClick(); }); });
}

void TableMarking::TreeViewContextPopup(QTreeWidget& tree, const QPoint& pos) {
    QTreeWidgetItem* node = tree.itemAt(pos);
    tree.setCurrentItem(node);
    if (!node) tree.clearSelection();
    controls_.PopupMenuTabelas->popup(QCursor::pos());
}

void TableMarking::SomenteestaTabela1Click(QAction* item) { MarkSelected(MarkOf(item)); }

void TableMarking::ToggleMark(QTreeWidget& tree, QTreeWidgetItem* node) {
    const TTabela* tabela = NodeTable(node);
    if (!tabela) return;
    tree.setCurrentItem(node);
    const bool marked = &tree == controls_.TreeView ? tabela->Checked() : tabela->CheckedDelete();
    SomenteestaTabela1Click(marked ? controls_.SomenteestaTabela2 : controls_.SomenteestaTabela1);
}

void TableMarking::EstaTabelaetodasassuasdependncias1Click(QAction* item) {
    TTabela* tabela = MarkSelected(MarkOf(item));
    if (!tabela) return;
    if (OnSelecao())
        tabela->MarcarDependencias(tabela->Checked());
    else
        tabela->MarcarDependenciasDelecao(tabela->CheckedDelete());
}

void TableMarking::btnCheckAllClick() {
    RecordsGuard::EnsureLoaded();
    for (TTabela* tabela : ListaTabelas.Items()) {
        if (OnSelecao()) {
            tabela->SetChecked(true);
            tabela->MarcarDependencias(true);
        } else if (OnLimpeza()) {
            tabela->SetCheckedDelete(true);
            tabela->MarcarDependenciasDelecao(true);
        }
    }
}

void TableMarking::btnUnCheckAllClick() {
    RecordsGuard::EnsureLoaded();
    // Unmarking everything leaves the waiting marks as they are: with nothing marked they
    // start no copy, and the next refresh clears them.
    for (TTabela* tabela : ListaTabelas.Items()) {
        if (OnSelecao()) {
            tabela->SetChecked(false);
        } else if (OnLimpeza()) {
            tabela->SetCheckedDelete(false);
            tabela->MarcarDependenciasDelecao(false);
        }
    }
}

void TableMarking::cbbWaitDependenceClick() { EsperarDependencias = controls_.cbbWaitDependence->isChecked(); }

void TableMarking::cbbCopiarReferenciasCircularesClick() {
    CopiarReferenciasCirculares = controls_.cbbCopiarReferenciasCirculares->isChecked();
}

TTabela* TableMarking::MarkSelected(bool value) {
    RecordsGuard::EnsureLoaded();
    QTreeWidget* tree = OnSelecao() ? controls_.TreeView : OnLimpeza() ? controls_.TreeViewDelecao : nullptr;
    if (!tree) return nullptr;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    TTabela* tabela = selected.isEmpty() ? nullptr : NodeTable(selected.first());
    if (!tabela) return nullptr;
    if (OnSelecao())
        tabela->SetChecked(value);
    else
        tabela->SetCheckedDelete(value);
    return tabela;
}

bool TableMarking::OnSelecao() const { return controls_.PageControlTabelas->currentWidget() == controls_.TabSelecao; }

bool TableMarking::OnLimpeza() const { return controls_.PageControlTabelas->currentWidget() == controls_.TabLimpeza; }

// The items that mark carry the ticked box (image 1); those that unmark the empty one.
bool TableMarking::MarkOf(const QAction* item) const {
    return item == controls_.SomenteestaTabela1 || item == controls_.EstaTabelaetodasassuasdependncias1;
}
