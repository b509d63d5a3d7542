#include "WorkspaceFixture.h"

WorkspaceFixture::WorkspaceFixture(const QString& origem, const QString& destino) {
    SQLConnection.Params.SetValue(QStringLiteral("Database"), origem);
    SQLConnection.Open();
    SQLConnectionDestino.Params.SetValue(QStringLiteral("Database"), destino);
    SQLConnectionDestino.Open();
    Lend(workspace);
    workspace.SyncItemIndex = [this] { return syncItemIndex; };
    workspace.SetStatus = [this](const QString& text) { statuses.append(text); };
}
