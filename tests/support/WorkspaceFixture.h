#pragma once

#include "catalogue/DataComponents.h"
#include "catalogue/Workspace.h"

#include <QString>
#include <QStringList>

// What the main window lends to the catalogue, the copy and the maintenance, built on two test
// databases without the window: both connections open, the working datasets wired.
class WorkspaceFixture : public DataComponents {
public:
    WorkspaceFixture(const QString& origem, const QString& destino);

    Workspace workspace;
    // The radio group's item index the records read; "Semaphore", as the window starts.
    int syncItemIndex = 2;
    // Every text put into the status line, in order.
    QStringList statuses;
};
