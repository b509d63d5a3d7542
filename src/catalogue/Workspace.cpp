#include "Workspace.h"

#include "platform/ECriticalError.h"
#include "platform/TSQLConnection.h"

void Workspace::RequireConnections() const {
    if (!SQLConnection || !SQLConnection->Connected() || !SQLConnectionDestino || !SQLConnectionDestino->Connected())
        ErroCritico(QStringLiteral("Não há conexão com os bancos de dados: clique em \"Conectar\"."));
}
