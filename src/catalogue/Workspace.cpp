#include "Workspace.h"

#include "RecordsGuard.h"
#include "platform/Application.h"
#include "platform/ECriticalError.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

void Workspace::RequireConnections() const {
    if (!SQLConnection || !SQLConnection->Connected() || !SQLConnectionDestino || !SQLConnectionDestino->Connected())
        ErroCritico(QStringLiteral("Não há conexão com os bancos de dados: clique em \"Conectar\"."));
    RequirePathsAsConnected();
}

void Workspace::RequirePathsAsConnected() const {
    if (PathsAsConnected && !PathsAsConnected())
        ErroCritico(QStringLiteral("Os bancos conectados não são mais os dos caminhos indicados: clique em \"Conectar\"."));
}

void Workspace::OnDestination(const std::function<void()>& work, SourceUse source) const {
    if (DestinationWait)
        DestinationWait(work, source);
    else
        RunWhileProcessingMessages(work);
}

void Workspace::Read(const std::function<void()>& work) const {
    if (RecordsGuard::Running())
        OnDestination(work);
    else
        work();
}

namespace {

constexpr int MaintenanceLockTimeout = 10;   // seconds

}  // namespace

void Workspace::ExecuteOnDestination(const QString& sql) const {
    // Setting the text drops the statement before, which is a request to the server too.
    OnDestination(
        [&] {
            SQLDSDestino->SetCommandText(sql);
            // A table or trigger another connection holds ends the statement with the server's
            // word for it, rather than holding the command (and a command line) for as long as
            // that transaction lasts: "Parar" cannot cancel every such wait.
            SQLDSDestino->LockTimeout = MaintenanceLockTimeout;
            SQLDSDestino->ExecSQL();
        },
        SourceUse::Untouched);
}
