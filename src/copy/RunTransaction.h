#pragma once

#include "ServerWait.h"
#include "platform/TSQLTransaction.h"

#include <QMap>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>

class EDatabaseError;
class TSQLConnection;

// The destination transaction that the applies of an import run share, nested runs included,
// and nothing else. A commit costs a disk flush, so it happens at a table's end, before an error
// leaves a table, when a pause begins and at least once a second, not at every row. Every commit,
// and every other wait on the server that the copy hands over, runs in the background under the
// watch of ServerWait. Rows the server took count as inserted as they are answered, each run its
// own; a commit that fails takes back those it lost.
// The rows go through this one connection. A second connection taking the rows while the first
// commits lost committed rows in a database a killed copy had left (the engine's doing, not
// reproduced with one connection), so the commits are made in turn with the rows.
// Threads: the main thread runs all of it; a commit and the work given to InBackground run on
// ServerWait's thread, the main thread handling the window's messages until they end.
class RunTransaction {
public:
    // Rows written are counted in insertedRows; tell shows a text in the status line.
    RunTransaction(TSQLConnection* destino, long long& insertedRows, ServerWait::Tell tell);

    // The transaction the applies run in, started when it is not.
    TSQLTransaction* Applies();
    // Makes what went in permanent and goes on with the prepared statements intact.
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
    void Committing(bool end);
    // A commit of these rows failed: they are lost unless the transaction still holds them, when
    // they wait for its next commit.
    void CommitFailed(const QMap<QString, long long>& rows, const EDatabaseError& error);

    TSQLTransaction transaction_;
    long long& insertedRows_;
    ServerWait wait_;
    // Rows written since the last commit, by table.
    QMap<QString, long long> uncommitted_;
    QMap<QString, long long> lost_;
    Clock::time_point lastCommit_ = Clock::now();
    std::atomic<int> background_{0};   // works running in the background, nested ones included
};
