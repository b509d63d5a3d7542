#pragma once

class QAbstractButton;
class QAction;
class QMenu;
class QTabWidget;
class QTreeWidget;
class QWidget;
class TImageList;

// The main window's controls that show and mark the catalogue; the window owns every one.
struct CatalogueControls {
    QTreeWidget* TreeView = nullptr;          // selection tree, tab TabSelecao
    QTreeWidget* TreeViewDelecao = nullptr;   // cleanup tree, tab TabLimpeza
    QTabWidget* PageControlTabelas = nullptr;
    QWidget* TabSelecao = nullptr;
    QWidget* TabLimpeza = nullptr;

    QMenu* PopupMenuTabelas = nullptr;
    QAction* SomenteestaTabela1 = nullptr;
    QAction* EstaTabelaetodasassuasdependncias1 = nullptr;
    QAction* SomenteestaTabela2 = nullptr;
    QAction* EstaTabelaetodasassuasdependncias2 = nullptr;

    QAbstractButton* btnCheckAll = nullptr;
    QAbstractButton* btnUnCheckAll = nullptr;
    QAbstractButton* cbbWaitDependence = nullptr;
    QAbstractButton* cbbCopiarReferenciasCirculares = nullptr;

    const TImageList* ImageList = nullptr;          // 0 not marked, 1 marked
    const TImageList* ImageList_Status = nullptr;   // 0 not copied, 1 copied
};
