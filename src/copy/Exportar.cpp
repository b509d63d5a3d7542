#include "Exportar.h"

#include "CopyContext.h"
#include "TThreadExport.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"
#include "platform/ErrorGuard.h"
#include "platform/KernelHandles.h"

#include <exception>

namespace {

// A table waiting for this run's second pass has its rows in already, even when a refresh
// meanwhile shows it not imported.
bool LeftAlone(TTabela& tabela, const CopyContext& context) {
    return tabela.Importada() || tabela.Importando() || tabela.WaitDependence() ||
           context.twoPass.secondPass.contains(&tabela);
}

// Builds the table's job, which copies it, and lets the job go.
void ExportJob(TTabela& tabela, CopyContext& context) {
    std::exception_ptr failure;
    ++context.twoPass.chainDepth;
    try {
        tabela.SetThreadExport(TThreadExport::Create(context.ListView, tabela.NomeTabela(), context));
    } catch (...) {
        failure = std::current_exception();
    }
    --context.twoPass.chainDepth;
    if (tabela.MutexHandle()) CloseHandle(tabela.MutexHandle());
    if (tabela.SemaphoreHandle()) CloseHandle(tabela.SemaphoreHandle());
    tabela.SetMutexHandle(0);
    tabela.SetSemaphoreHandle(0);
    if (TThreadExport* job = tabela.ThreadExport()) {
        try {
            job->Destroy();
        } catch (const std::exception& error) {
            RegistrarLog(QStringLiteral("Erro inesperado na execução da Thread ") + tabela.NomeTabela() +
                         QLatin1Char(' ') + ErrorMessage(error));
        }
        delete job;
        tabela.SetThreadExport(nullptr);
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

void Exportar(TTabela& tabela, CopyContext& context) {
    context.equalCounts.Reached(tabela);
    if (LeftAlone(tabela, context)) return;
    TwoPassWork& work = context.twoPass;
    if (work.chainDepth > 0) return ExportJob(tabela, context);
    // The outermost call of a chain. The dependences its jobs met through cut keys come now, when
    // the tables they reference in turn have their rows in.
    try {
        ExportJob(tabela, context);
        while (!work.deferred.isEmpty()) {
            TTabela* dependence = work.deferred.takeFirst();
            dependence->SetWaitDependence(false);
            if (!LeftAlone(*dependence, context)) ExportJob(*dependence, context);
        }
    } catch (...) {
        work.deferred.clear();
        throw;
    }
}
