#pragma once

#include "CopyContext.h"
#include "DestinationCommands.h"
#include "ImportControls.h"

#include <QObject>
#include <exception>

struct Workspace;

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
    // The commands beside the copy on the destination (the refresh among them) run through it.
    DestinationCommands& Commands() { return commands_; }
    // An import is under way (one started inside another counts once).
    bool Running() const { return running_ > 0; }
    // The program ends during the import: it stops at once, paused or not, commits what went in,
    // and says no more to the user than what it writes in the log.
    void StopForClose();

private:
    // Raises a lost connection before anything is copied (the server was restarted, say), and a
    // destination that takes no writes.
    void CheckConnections();
    void Summarize(const CopyTotals& before, double seconds, bool interrupted);
    void Connect();

    Workspace& workspace_;
    ImportControls controls_;
    CopyContext context_;
    DestinationCommands commands_;
    int running_ = 0;   // imports under way, a nested one counting too
};
