#pragma once

#include "BlockSender.h"
#include "EDatabaseError.h"
#include "FbRef.h"
#include "FieldList.h"
#include "InsertBlock.h"
#include "PendingChange.h"
#include "RowWriter.h"
#include "TClientDataSet.h"

#include <functional>
#include <vector>

class TDataSetProvider;
class TSQLConnection;
class TSQLTransaction;

// Writes a client dataset's pending changes to the server; a change written alone goes through a RowWriter.
// Through a server, appended rows in a row go many to a round trip (InsertBlock) when no limit
// is put on the errors; a row the block refused is sent again alone, for the server's own message.
// Threads: the caller's thread runs all of it; the rows Send starts are written on BlockSender's
// own thread, and AwaitInFlight may run on a worker while the caller's thread waits for it.
class ApplyEngine {
public:
    // Tells what becomes of a change the server rejected.
    using Reconcile = std::function<TReconcileAction(const PendingChange& change, const EDatabaseError& error)>;

    // Applies the changes in order, in the caller's transaction (through its connection, which
    // may be another one to the same database than the dataset's) or in one of its own committed at
    // the end, and takes the applied and cancelled ones out of the list; returns the rejected count.
    // A row sent in a block is reported after the whole block went in: when its reconcile stops
    // the apply, the later rows of its block are already written. The changes before `from` were
    // reported already and stay as they are.
    int Apply(std::vector<PendingChange>& changes, const FieldList& fields, const TDataSetProvider& provider,
              TSQLConnection& dataSetConnection, TSQLTransaction* transaction, int maxErrors, const Reconcile& reconcile,
              size_t from = 0);
    // Starts writing the changes in blocks on a thread of its own, in the caller's transaction,
    // and takes them out of the list: false, touching nothing, unless they are all appended rows
    // not held by the dataset, going through a server. TakeAnswer takes the answer.
    // The changes before `from` stay in the list, untouched.
    bool Send(std::vector<PendingChange>& changes, const FieldList& fields, const TDataSetProvider& provider,
              TSQLConnection& dataSetConnection, TSQLTransaction* transaction, size_t from = 0);
    // Whether Send takes appended rows of these fields through this connection: embedded, or
    // through a server with columns a block can carry (no array); such a row would cost a round
    // trip or two alone, and many of them in flight would hold the caller's next wait too long.
    static bool SendsInBackground(TSQLConnection& connection, const FieldList& fields);
    // Waits for the rows Send started to land (a row a block refused was sent again alone on their way)
    // and reports those refused alone too; returns their count. What stays pending goes back to the
    // front of the list; a lost connection or a cancel raises, every row not written back in the
    // list.
    // Reported rows kept pending are not tried again by an Apply of the same call (see Apply's from).
    int TakeAnswer(std::vector<PendingChange>& changes, const Reconcile& reconcile);
    // Waits up to the timeout for the rows Send started to land; true once none are in flight.
    // TakeAnswer takes the answer.
    bool AwaitInFlight(std::chrono::milliseconds timeout) { return sender_.AwaitInFlight(timeout); }
    // The rows Send started whose answer TakeAnswer has not taken yet.
    size_t RowsInFlight() const { return sender_.RowsInFlight(); }
    // Drops the rows in flight (once the server has answered) and frees the prepared
    // statements (the dataset closes, or its connection does).
    void Reset();

private:
    // The connection the changes are written through: the transaction's, when there is one.
    static TSQLConnection& WritingConnection(TSQLConnection& dataSetConnection, TSQLTransaction* held);
    enum class Outcome { Pending, Applied, Cancelled };
    struct Written {
        Outcome outcome;
        bool stop;   // the reconcile asked to stop, or the errors passed their limit
    };
    // Writes the change alone; a refusal goes to reconcile.
    Written WriteAlone(const PendingChange& change, const QString& table, const FieldList& fields,
                       const TDataSetProvider& provider, TSQLConnection& connection, Firebird::ITransaction* transaction,
                       int maxErrors, int& errors, const Reconcile& reconcile);
    // The inserts from that index on that go in one block: [index, end).
    size_t BlockEnd(const std::vector<PendingChange>& changes, size_t index, int capacity) const;
    RowWriter writer_;
    InsertBlock block_;
    BlockSender sender_;
    std::vector<Outcome> outcomes_;   // kept between applies: the copy applies every few rows
};
