#pragma once

class ActivityLogView;
class QAbstractButton;
class QTimer;
class QTreeWidget;

// The main window's controls that drive an import.
struct ImportControls {
    QAbstractButton* btnImportar = nullptr;
    QAbstractButton* btnAtualizar = nullptr;
    QAbstractButton* btnParar = nullptr;
    QAbstractButton* btnPausar = nullptr;
    QTreeWidget* TreeView = nullptr;   // the selection tree
    QTreeWidget* ListView = nullptr;   // the progress rows
    QTimer* TimerAtualiza = nullptr;
    ActivityLogView* log = nullptr;
};
