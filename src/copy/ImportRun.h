#pragma once

#include "CopyContext.h"

#include <QObject>

class ActivityLogView;
class QAbstractButton;
class QTimer;
class QTreeWidget;
struct Workspace;

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

// "Importar Dados", "Atualizar Tabelas", "Parar" and "Pausar"/"Continuar". It connects the
// controls to its handlers, each run through the command guard, and owns what the copy jobs share.
class ImportRun : public QObject {
public:
    ImportRun(Workspace& workspace, const ImportControls& controls, QObject* parent);

    void btnImportarClick();
    void btnAtualizarClick();
    void btnPararClick();
    void btnPausarClick();

    CopyContext& Context() { return context_; }

private:
    void Summarize(const CopyTotals& before, double seconds, bool interrupted);
    void Connect();

    Workspace& workspace_;
    ImportControls controls_;
    CopyContext context_;
    int running_ = 0;   // imports under way, a nested one counting too
};
