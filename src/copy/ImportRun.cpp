#include "ImportRun.h"

#include "Exportar.h"
#include "ImportReach.h"
#include "ResumeByKey.h"
#include "RunControl.h"
#include "RunDuration.h"
#include "RunFailure.h"
#include "SecondPass.h"
#include "StructureCheck.h"
#include "WaitRun.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "catalogue/Workspace.h"
#include "platform/Application.h"
#include "platform/DatabaseErrors.h"
#include "platform/Dialogs.h"
#include "platform/DisabledWhileRunning.h"
#include "platform/ECriticalError.h"
#include "platform/EDatabaseError.h"
#include "platform/ENotice.h"
#include "platform/ErrorGuard.h"
#include "platform/TSQLConnection.h"

#include <QAbstractButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>

ImportRun::ImportRun(Workspace& workspace, const ImportControls& controls, QObject* parent)
    : QObject(parent),
      workspace_(workspace),
      controls_(controls),
      context_(workspace, controls.ListView, *controls.log),
      commands_(context_) {
    workspace_.CommitCopy = [this] {
        if (running_ > 0) context_.transaction.Commit();
    };
    Connect();
}

void ImportRun::Connect() {
    const auto command = [this](void (ImportRun::*handler)()) { return [this, handler] { (this->*handler)(); }; };
    // An import or a refresh cannot be started again from inside itself; "Parar" and "Pausar" act at once.
    WireCommand(controls_.btnImportar, this, command(&ImportRun::btnImportarClick));
    WireCommand(controls_.btnAtualizar, this, command(&ImportRun::btnAtualizarClick));
    WireCommand(controls_.btnParar, this, command(&ImportRun::btnPararClick), WhileRunning::StaysEnabled);
    WireCommand(controls_.btnPausar, this, command(&ImportRun::btnPausarClick), WhileRunning::StaysEnabled);
}

void ImportRun::btnImportarClick() {
    RecordsGuard copying(RecordsGuard::Copy);
    workspace_.RequireConnections();
    // Read once: the box may change while the window handles its messages during the copy.
    if (running_ == 0) context_.twoPass.cutCycles = CopiarReferenciasCirculares;
    if (running_ == 0) context_.sendOnlyMissing = EnviarSomenteFaltantes;
    controls_.TimerAtualiza->stop();
    const auto started = std::chrono::steady_clock::now();
    const CopyTotals before = context_.totals;
    ServerWait& waits = context_.transaction.Waits();
    bool marked = false, declined = false;
    std::exception_ptr failure;
    if (running_ == 0) context_.equalCounts.NewRun();
    if (running_ == 0) context_.overall.Begin(context_.totals);
    // A "Parar" pressed while idle is the import's to take at its first reporting row.
    if (running_ == 0) context_.listened = started;
    // The rows of jobs that earlier runs left interrupted.
    if (running_ == 0) controls_.ListView->clear();
    ++running_;
    // The outermost run begins the waits and finishes them, once its transaction has ended.
    std::optional<WaitRun> waitRun;
    try {
        if (running_ == 1) waitRun.emplace(waits);
        CheckConnections();
        // Nothing is sent before the user has seen what the destination would change or refuse.
        declined = !CheckStructures(TablesTheImportReaches(*controls_.TreeView), controls_.TreeView->window(), context_);
        if (running_ == 1 && !declined)
            context_.overall.Aim(TablesTheImportReaches(*controls_.TreeView), context_.uncopyable);
        // The tree cannot change under the walk: connecting waits for the copy.
        const QList<TTabela*> tables = declined ? QList<TTabela*>() : NodeTablesInOrder(*controls_.TreeView);
        for (TTabela* tabela : tables) {
            if (!tabela || !tabela->Checked()) continue;
            marked = true;
            tabela->SetThreadExport(nullptr);
            Exportar(*tabela, context_);
        }
        for (TTabela* tabela : LeftWaiting(tables)) {
            if (!tabela->WaitDependence()) continue;   // copied meanwhile, as another's dependence
            tabela->SetWaitDependence(false);
            Exportar(*tabela, context_);
        }
        // An import started inside this one leaves the second pass and the transaction to it.
        if (running_ == 1 && !declined) RunSecondPass(context_);
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        if (running_ == 1) context_.transaction.End();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    waitRun.reset();
    // A second pass left undone is kept on the tables, and the next import that copies them does it.
    if (running_ == 1) {
        context_.twoPass.secondPass.clear();
        context_.twoPass.insertedWhole.clear();
    }
    --running_;
    if (running_ == 0) context_.overall.End(context_.totals, bool(failure));
    if (marked || failure)
        Summarize(before, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), bool(failure));
    const RunEnd end = RunEnd::Of(waits);
    const bool connectionLost = end.abandoned || LostConnection(failure);
    // Counting rows needs both connections, and nobody would see the counts of a program ending.
    if (!connectionLost && !Encerrando && !declined) controls_.btnAtualizar->click();
    controls_.TimerAtualiza->start();
    try {
        // Nothing logged so far is lost should the program die later.
        if (workspace_.SaveLog) workspace_.SaveLog();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) RaiseRunFailure(failure, end);
}

void ImportRun::CheckConnections() {
    bool readOnly = false;
    // Watched as the copy's own waits: a server that stops answering here does not hold the window.
    workspace_.OnDestination([&] {
        if (workspace_.SQLConnection && workspace_.SQLConnection->Connected()) workspace_.SQLConnection->Ping();
        TSQLConnection* destino = workspace_.SQLConnectionDestino;
        readOnly = destino && destino->Connected() && destino->ReadOnly();
    });
    // Every row would be refused alone, each with a line in the log.
    if (!readOnly) return;
    const QString reason = QStringLiteral("O banco de dados de destino é somente leitura: nada foi copiado.");
    RegistrarLog(reason);
    ErroCritico(reason);
}

void ImportRun::StopForClose() {
    Encerrando = true;
    PararProcesso = true;
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
    BusyCursor busy;
    workspace_.RequireConnections();
    // Rows a running copy has sent count too.
    if (workspace_.CommitCopy) workspace_.CommitCopy();
    // The records are held while they are counted, so that the window handles its messages
    // meanwhile and no command run then replaces them; an import or a verification holds them.
    // The counts are a command's steps: "Parar" ends them, and gives up a server that answers nothing.
    std::optional<RecordsGuard> counting;
    if (!RecordsGuard::Running()) counting.emplace(RecordsGuard::Load);
    commands_.Run([] {
        for (TTabela* tabela : ListaTabelas.Items()) {
            tabela->VerificarImportada();
            tabela->SetWaitDependence(false);
            tabela->SetDeletada(false);
        }
    });
}

void ImportRun::btnPararClick() {
    PararProcesso = true;
    if (Pausado && running_ > 0) workspace_.SetStatus(StopWhilePausedText());
}

void ImportRun::btnPausarClick() {
    Pausado = !Pausado;
    controls_.btnPausar->setText(Pausado ? QStringLiteral("Continuar") : QStringLiteral("Pausar"));
}
