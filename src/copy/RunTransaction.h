#pragma once

#include "platform/TSQLTransaction.h"

#include <atomic>
#include <chrono>
#include <functional>

class TSQLConnection;

// The destination transaction that the applies of an import run share, nested runs included,
// and nothing else. A commit costs a disk flush, so it happens at a table's end, before an error
// leaves a table, when a pause begins and at least once a second, not at every row.
class RunTransaction {
public:
    explicit RunTransaction(TSQLConnection* destino) : transaction_(destino) {}

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
    // messages; a command run meanwhile that uses the transaction waits for the work first.
    void InBackground(const std::function<void()>& work);

private:
    using Clock = std::chrono::steady_clock;
    void AwaitBackgroundWork();

    TSQLTransaction transaction_;
    Clock::time_point lastCommit_ = Clock::now();
    std::atomic<int> background_{0};   // works running in the background, nested ones included
};
