#pragma once

#include "EqualCountsNotice.h"
#include "OverallProgress.h"
#include "RunTransaction.h"

#include <QHash>
#include <QList>
#include <QSet>

class ActivityLogView;
class QTreeWidget;
class TTabela;
struct Workspace;

// What an import run counts for its closing line.
struct CopyTotals {
    long long tables = 0;     // tables whose rows were walked to the end
    long long inserted = 0;   // rows the destination took, less those a failed commit lost
    long long rejected = 0;   // rows it refused, or that could not be posted
};

// What a copy in two passes leaves for later.
struct TwoPassWork {
    // "Copiar referências circulares em duas etapas" as it was when the import began: a change
    // made during the import is for the next one.
    bool cutCycles = false;
    int chainDepth = 0;           // Exportar calls under way in the current chain
    QList<TTabela*> deferred;     // dependences met through cut keys, copied once the chain ends
    QList<TTabela*> secondPass;   // tables whose cut columns wait for the run's second pass
    // Tables of the second pass whose every source row this run inserted: no row of theirs in
    // the destination is another's.
    QSet<const TTabela*> insertedWhole;
};

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
};
