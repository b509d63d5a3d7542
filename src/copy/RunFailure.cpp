#include "RunFailure.h"

#include "RunControl.h"
#include "ServerWait.h"
#include "catalogue/ActivityLog.h"
#include "platform/DatabaseErrors.h"
#include "platform/Dialogs.h"
#include "platform/ECriticalError.h"
#include "platform/ENotice.h"
#include "platform/ErrorGuard.h"

bool LostConnection(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const EDatabaseError& error) {
        return IsConnectionLost(error);
    } catch (...) {
    }
    return false;
}

RunEnd RunEnd::Of(const ServerWait& waits) {
    return {waits.StopAsked(), waits.Abandoned() || waits.SourceAbandoned(), !waits.Abandoned() && waits.SourceAbandoned()};
}

void RaiseRunFailure(const std::exception_ptr& failure, RunEnd end) {
    const bool stopped = end.stopped;
    const bool connectionLost = end.abandoned || LostConnection(failure);
    if (!stopped && !connectionLost && !Encerrando) std::rethrow_exception(failure);
    QString message;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        message = ErrorMessage(error);
    }
    // Whatever a wait that "Parar" cut short raised, the user asked for the stop.
    if (stopped) message = QStringLiteral("Processo Parado!");
    if (connectionLost)
        message += QStringLiteral("\n\nA conexão com o banco de dados%1 foi perdida%2. Pressione \"Conectar\" para "
                                  "conectar de novo.")
                       .arg(end.source ? QStringLiteral(" de origem") : QString(),
                            end.abandoned ? QStringLiteral(": o servidor não respondeu e a conexão foi encerrada")
                                              : QString());
    // The window is gone: the log file keeps what went wrong.
    if (Encerrando) {
        if (!stopped) RegistrarLog(message);
        return;
    }
    // The user's own stop is no error; a stop that also lost the connection says what to do next.
    if (stopped && !connectionLost) throw ENotice(message, MB_ICONINFORMATION);
    throw ECriticalError(message);
}
