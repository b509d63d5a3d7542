#include "Exportar.h"

#include "CopyContext.h"
#include "TThreadExport.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"
#include "platform/KernelHandles.h"

#include <exception>

void Exportar(TTabela& tabela, CopyContext& context) {
    if (tabela.Importada() || tabela.Importando() || tabela.WaitDependence()) return;
    std::exception_ptr failure;
    try {
        tabela.SetThreadExport(TThreadExport::Create(context.ListView, tabela.NomeTabela(), context));
    } catch (...) {
        failure = std::current_exception();
    }
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
