#pragma once

#include "CatalogueControls.h"

#include <QObject>

class QPoint;
class QTreeWidgetItem;
class TTabela;

// The marking commands of both trees: the shared pop-up menu, "Marcar Todos",
// "Desmarcar Todos", "Esperar Dependências?" and "Copiar referências circulares em duas etapas". Each acts on the tab that is showing:
// Checked on the selection tab, CheckedDelete on the cleanup tab, nothing elsewhere.
// It connects the controls to its handlers, each run through the command guard; the trees' own
// drawing must be in place first, since a click on a mark reaches it there.
class TableMarking : public QObject {
public:
    TableMarking(const CatalogueControls& controls, QObject* parent);

    // Selects the node under pos (viewport coordinates), or nothing, and shows the menu.
    void TreeViewContextPopup(QTreeWidget& tree, const QPoint& pos);
    void SomenteestaTabela1Click(QAction* item);
    // A click on the node's mark, or Space on it: "Somente esta Tabela", marking or unmarking.
    void ToggleMark(QTreeWidget& tree, QTreeWidgetItem* node);
    void EstaTabelaetodasassuasdependncias1Click(QAction* item);
    void btnCheckAllClick();
    void btnUnCheckAllClick();
    void cbbWaitDependenceClick();
    void cbbCopiarReferenciasCircularesClick();

private:
    // The record of the selected node of the tab showing, marked with value; nullptr when
    // there is none.
    TTabela* MarkSelected(bool value);
    bool OnSelecao() const;
    bool OnLimpeza() const;
    bool MarkOf(const QAction* item) const;
    void Connect();

    CatalogueControls controls_;
};
