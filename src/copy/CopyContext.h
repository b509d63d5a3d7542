#pragma once

#include "CopyTotals.h"
#include "EqualCountsNotice.h"
#include "OverallProgress.h"
#include "RunTransaction.h"
#include "TwoPassWork.h"

#include <QHash>
#include <chrono>

class ActivityLogView;
class QTreeWidget;
struct Workspace;

// What every copy job of the main window shares: the window's pieces it shows itself in, the
// transaction of the applies and the running totals.
struct CopyContext {
    CopyContext(Workspace& workspace, QTreeWidget* listView, ActivityLogView& log);

    Workspace& workspace;
    QTreeWidget* ListView;   // one progress row per running job
    ActivityLogView& log;    // the "Log" tab's memo
    CopyTotals totals;       // before the transaction, which counts the inserted rows in it
    RunTransaction transaction;
    TwoPassWork twoPass;
    bool sendOnlyMissing = false;   // "Enviar somente os registros que faltam" as the import began
    QHash<QString, QString> uncopyable;   // tables the destination cannot take, with the reason
    EqualCountsNotice equalCounts;
    OverallProgress overall;   // the line for the whole import
    std::chrono::steady_clock::time_point listened;   // the window's last turn (ListenToTheWindow)
};
