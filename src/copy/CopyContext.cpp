#include "CopyContext.h"

#include "catalogue/Workspace.h"

CopyContext::CopyContext(Workspace& workspace, QTreeWidget* listView, ActivityLogView& log)
    : workspace(workspace),
      ListView(listView),
      log(log),
      transaction(workspace.SQLConnectionDestino, totals.inserted,
                  [&workspace](const QString& text) { workspace.SetStatus(text); }) {
    transaction.Waits().SourceIs(workspace.SQLConnection);
}
