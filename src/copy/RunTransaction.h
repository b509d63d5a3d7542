#pragma once

#include "ServerWait.h"
#include "platform/TSQLTransaction.h"

#include <QMap>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>

class EDatabaseError;
class TSQLConnection;

// The destination transaction that the applies of an import run share, nested runs included,
// and nothing else. A commit costs a disk flush, so it happens at a table's end, before an error
// leaves a table, when a pause begins and at least once a second, not at every row. Every commit,
// and every other wait on the server that the copy hands over, runs in the background under the
// watch of ServerWait. Rows the server took count as inserted as they are answered, each run its
// own; a commit that fails takes back those it lost.
// A table's rows take turns between that transaction and a second one, on a second connection
// to the destination opened for the run: the once-a-second commit of one runs beside the rows
// going on into the other, so that the inserts never wait for the disk (nor, through a server, for
// its flush). The waits on the server act on both connections.
// Threads: the main thread runs all of it; a commit and the work given to InBackground run on
// ServerWait's thread, the main thread handling the window's messages until they end; a commit
// beside the rows runs on a thread of its own, taken by the main thread at the next turn.
class RunTransaction {
public:
    // Rows written are counted in insertedRows; tell shows a text in the status line.
    RunTransaction(TSQLConnection* destino, long long& insertedRows, ServerWait::Tell tell);

    // The transaction the applies run in, started when it is not.
    TSQLTransaction* Applies();
    // Where a table's rows go now: the applies' transaction, or the second one while the first
    // commits (see CommitRowsIfDue). Started.
    TSQLTransaction* RowsTransaction();
    // For a table's rows, none in flight: once a second has passed since the last commit, the
    // rows' transaction commits on a thread of its own and the rows go on into the other one (the
    // caller's dataset is then given RowsTransaction). The commit before is taken first, and what
    // it raised is raised here. When the second connection cannot be had, CommitIfDue commits.
    void CommitRowsIfDue();
    // Makes what went in permanent, in both transactions, and goes on with the prepared
    // statements intact.
    void Commit();
    // Commit, when a second has passed since the last one. The window keeps handling its messages
    // while the disk catches up: a second of rows can take it longer than the window may wait.
    void CommitIfDue();
    // Commits and ends the transaction, at the end of the outermost run.
    void End();
    // Runs work that uses the transaction on a thread of its own while the window handles its
    // messages; a command run meanwhile that uses the transaction waits for the work first. A stop
    // cancels the request on `on`, the destination connection when null.
    void InBackground(const std::function<void()>& work, ServerWait::OnStop onStop, TSQLConnection* on = nullptr);
    // The connection of RowsTransaction.
    TSQLConnection* RowsConnection() const;

    // Rows of the table the server took in the transaction, counted as inserted. When the next
    // commit fails and they are lost, they are taken back, and one line of the log says how many.
    void CountWritten(const QString& table, long long rows);
    // Rows of the table that failed commits lost, all runs together.
    long long LostRows(const QString& table) const { return lost_.value(table); }

    ServerWait& Waits() { return wait_; }

private:
    using Clock = std::chrono::steady_clock;
    // Handles the window's messages, and looks at the waits on the server, until the work given
    // to InBackground has ended.
    void AwaitBackgroundWork();
    // Commits the transaction (ends it with end) in the background and counts the rows it made
    // permanent, or says in the log which were lost.
    void Committing(TSQLTransaction& transaction, bool end);
    // The commit beside the rows taken, commits the rows' transaction, then the other one.
    void CommitBoth(bool end);
    // A commit of these rows failed: they are lost unless the transaction still holds them, when
    // they wait for its next commit.
    void CommitFailed(const QMap<QString, long long>& rows, const TSQLTransaction& transaction,
                      const EDatabaseError& error);
    // The transaction, started when it is not.
    TSQLTransaction* Started(TSQLTransaction& transaction);
    // The second connection, opened on a thread of its own: an attach can take the server a
    // moment, which the window must not wait for.
    void OpenBeside();
    // The second transaction; null while its connection (OpenBeside) is opening, or when it
    // cannot be had.
    TSQLTransaction* Beside();
    // Waits for the commit made beside the rows, the window handling its messages, and raises
    // what it raised.
    void TakeCommitBeside();

    TSQLConnection* destino_;
    TSQLTransaction transaction_;
    long long& insertedRows_;
    ServerWait wait_;
    // Rows written since the last commit, by transaction and table.
    std::map<const TSQLTransaction*, QMap<QString, long long>> uncommitted_;
    QMap<QString, long long> lost_;
    Clock::time_point lastCommit_ = Clock::now();
    std::atomic<int> background_{0};   // works running in the background, nested ones included
    // The turns: the second connection and its transaction (destroyed in that order, reversed),
    // the rows' transaction, and the commit under way beside the rows with the rows it commits.
    // An opening not taken when the run ends closes its connection itself once it is open.
    std::future<std::unique_ptr<TSQLConnection>> opening_;
    std::unique_ptr<TSQLConnection> besideConnection_;
    std::unique_ptr<TSQLTransaction> beside_;
    bool besideRefused_ = false;   // the second connection could not be opened in this run
    TSQLTransaction* rows_ = &transaction_;
    std::future<void> committing_;
    TSQLTransaction* committingOn_ = nullptr;
    QMap<QString, long long> committingRows_;
};
