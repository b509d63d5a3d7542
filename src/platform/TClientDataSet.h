#pragma once

#include "NoCopy.h"
#include "TComponent.h"
#include "TField.h"
#include "TFields.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class TDataSetProvider;
class TSQLTransaction;
class EDatabaseError;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TUpdateKind { ukModify, ukInsert, ukDelete };
// What becomes of a change the server rejected: raSkip keeps it pending and goes on with the
// next; raAbort keeps it pending and stops the apply; raCancel drops it and restores the row.
enum class TReconcileAction { raSkip, raAbort, raCancel };

class TClientDataSet;
using TReconcileErrorEvent =
    std::function<void(TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind kind, TReconcileAction& action)>;

// Rows read through a provider, with local edits that ApplyUpdates writes back.
//
// Three ways to open:
//  - PacketRecords = -1 (default): every row is fetched into memory; the statement is closed.
//  - FetchOnDemand: the row count and the rows come from one snapshot; a thread of their own
//    reads the rows, blobs with them, a bounded way ahead of the walk, so memory stays flat.
//  - PacketRecords = 0: only the fields are described; used to append rows to a table without
//    reading the rows it already holds.
// An append applied through ApplyUpdates is written with one prepared INSERT reused for every
// row until Close, or through a server in blocks of many rows to a statement; a row the server
// rejects goes to OnReconcileError and the others stay. An edited row is written by an UPDATE
// that must change exactly that row.
// Threads: the caller's thread runs all of it. A FetchOnDemand walk's rows are read on a
// RowReadAhead's thread, the appends SendUpdates sends are written on its ApplyEngine's sender
// thread, and AwaitInFlight may run on a worker while the caller's thread waits for it.
class TClientDataSet : public TComponent, public TFields, private NoCopy {
public:
    explicit TClientDataSet(TDataSetProvider* provider = nullptr);
    ~TClientDataSet();

    void SetProvider(TDataSetProvider* provider);
    TDataSetProvider* Provider() const { return provider_; }

    int PacketRecords = -1;
    bool FetchOnDemand = false;

    void Open();
    void Close();
    bool Active() const;
    TDataSetState State() const;

    void First();
    void Next();
    bool Eof() const;
    int RecordCount() const;
    int RecNo() const;   // 0-based position of the current row
    // Moves to the held row at a 0-based position.
    void SetRecNo(int recNo);
    // Moves to the first row whose field holds value, compared case-insensitively on the whole text.
    bool Locate(const QString& fieldName, const QString& value);


    void Append();
    void Edit();
    void Post();
    void Cancel();

    // The caller's transaction that ApplyUpdates runs in, started when it is not yet; null: each
    // ApplyUpdates runs in a transaction of its own, committed at its end.
    TSQLTransaction* Transaction = nullptr;

    // Writes the pending changes in order and returns how many the server rejected, each one
    // passed to OnReconcileError. maxErrors -1 means no limit; past the limit, or on raAbort, the
    // apply stops. Every change the server accepted leaves the change log and is committed (or
    // stays in Transaction); the rejected and untried ones stay pending unless cancelled. Never
    // raises for a rejected row; a lost connection, a cancelled request or a failed commit raises,
    // and then only the cancelled changes have left the log (in Transaction, the accepted ones too).
    // While OnReconcileError runs, the fields hold the refused row as it was to be written.
    int ApplyUpdates(int maxErrors);
    // ApplyUpdates(-1) that does not wait, for appended rows not held (PacketRecords = 0) in
    // Transaction: they leave on a thread of their own (through a server in blocks) and the call
    // returns while they are written, so that the caller prepares the next ones meanwhile. The next ApplyUpdates or
    // SendUpdates first takes the answer, and only then are their refused rows passed to
    // OnReconcileError (Close waits for it and drops them, as it drops every pending change).
    // Until then the caller leaves Transaction alone. Any other change is
    // applied at once, as by ApplyUpdates(-1). Returns the refused rows reported by this call.
    int SendUpdates();
    // Waits up to the timeout for the rows SendUpdates sent to land; true once none are in flight. May be called from another thread while this one waits; the refusals are
    // reported by the next ApplyUpdates or SendUpdates all the same.
    bool AwaitInFlight(std::chrono::milliseconds timeout);
    // Takes the server's answer on the rows SendUpdates sent, waiting for it, and reports their
    // refusals as the next ApplyUpdates would, but sends nothing more: the changes not sent stay
    // pending, and those a lost connection (or a cancel) left unwritten go back among them as it
    // raises. Returns the refused rows reported.
    int TakeAnswer();
    // Whether SendUpdates sends this dataset's appended rows while the caller goes on (embedded,
    // or through a server with no array column); otherwise it applies them at once, as ApplyUpdates.
    bool SendsInBackground() const;
    // The changes not yet applied, those in flight included.
    int ChangeCount() const;
    TReconcileErrorEvent OnReconcileError;

    // Called every few milliseconds while a walk fetching on demand opens (counting the rows),
    // waits for the next row, and while Close waits for the reader to stop.
    std::function<void()> OnWaitRows;

    // Called after every move to another row, including the first row on open.
    std::function<void()> AfterScroll;

private:
    const std::vector<std::unique_ptr<TField>>& HeldFields() const override;
    struct Impl;
    std::unique_ptr<Impl> d;
    TDataSetProvider* provider_;
};
