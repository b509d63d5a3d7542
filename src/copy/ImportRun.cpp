#include "ImportRun.h"

#include "Exportar.h"
#include "RunControl.h"
#include "RunDuration.h"
#include "SecondPass.h"
#include "StructureCheck.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "catalogue/Workspace.h"
#include "platform/ErrorGuard.h"

#include <QAbstractButton>
#include <QTimer>
#include <chrono>
#include <exception>

ImportRun::ImportRun(Workspace& workspace, const ImportControls& controls, QObject* parent)
    : QObject(parent), workspace_(workspace), controls_(controls), context_(workspace, controls.ListView, *controls.log) {
    workspace_.CommitCopy = [this] {
        if (running_ > 0) context_.transaction.Commit();
    };
    Connect();
}

void ImportRun::Connect() {
    const auto wire = [this](QAbstractButton* button, void (ImportRun::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
    };
    wire(controls_.btnImportar, &ImportRun::btnImportarClick);
    wire(controls_.btnAtualizar, &ImportRun::btnAtualizarClick);
    wire(controls_.btnParar, &ImportRun::btnPararClick);
    wire(controls_.btnPausar, &ImportRun::btnPausarClick);
}

void ImportRun::btnImportarClick() {
    RecordsGuard copying(RecordsGuard::Copy);
    workspace_.RequireConnections();
    // Read once: the box may change while the window handles its messages during the copy.
    if (running_ == 0) context_.twoPass.cutCycles = CopiarReferenciasCirculares;
    // Nothing is sent before the user has seen what the destination would change or refuse.
    if (!CheckStructures(*controls_.TreeView, context_)) return;
    controls_.TimerAtualiza->stop();
    const auto started = std::chrono::steady_clock::now();
    const CopyTotals before = context_.totals;
    bool marked = false;
    std::exception_ptr failure;
    if (running_ == 0) context_.equalCounts.NewRun();
    ++running_;
    try {
        // The tree cannot change under the walk: connecting waits for the copy.
        for (TTabela* tabela : NodeTablesInOrder(*controls_.TreeView)) {
            if (!tabela || !tabela->Checked()) continue;
            marked = true;
            tabela->SetThreadExport(nullptr);
            Exportar(*tabela, context_);
        }
        // An import started inside this one leaves the second pass and the transaction to it.
        if (running_ == 1) RunSecondPass(context_);
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        if (running_ == 1) context_.transaction.End();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    // A second pass left undone is kept on the tables, and the next import that copies them does it.
    if (running_ == 1) {
        context_.twoPass.secondPass.clear();
        context_.twoPass.insertedWhole.clear();
    }
    --running_;
    if (marked)
        Summarize(before, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), bool(failure));
    controls_.btnAtualizar->click();
    controls_.TimerAtualiza->start();
    try {
        // Nothing logged so far is lost should the program die later.
        if (workspace_.SaveLog) workspace_.SaveLog();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) std::rethrow_exception(failure);
}

void ImportRun::Summarize(const CopyTotals& before, double seconds, bool interrupted) {
    const CopyTotals& now = context_.totals;
    const QString line =
        QStringLiteral("%1: %2 tabela(s), %3 registro(s) inseridos, %4 rejeitado(s), em %5")
            .arg(interrupted ? QStringLiteral("Importação interrompida") : QStringLiteral("Importação concluída"))
            .arg(now.tables - before.tables)
            .arg(now.inserted - before.inserted)
            .arg(now.rejected - before.rejected)
            .arg(RunDuration(seconds));
    RegistrarLog(line);
    workspace_.SetStatus(line);
}

void ImportRun::btnAtualizarClick() {
    RecordsGuard::EnsureLoaded();
    workspace_.RequireConnections();
    // Rows a running copy has sent count too.
    if (workspace_.CommitCopy) workspace_.CommitCopy();
    for (TTabela* tabela : ListaTabelas.Items()) {
        tabela->VerificarImportada();
        tabela->SetWaitDependence(false);
        tabela->SetDeletada(false);
    }
}

void ImportRun::btnPararClick() { PararProcesso = true; }

void ImportRun::btnPausarClick() {
    Pausado = !Pausado;
    controls_.btnPausar->setText(Pausado ? QStringLiteral("Continuar") : QStringLiteral("Pausar"));
}
