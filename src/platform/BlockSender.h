#pragma once

#include "EDatabaseError.h"
#include "InsertBlock.h"
#include "NoCopy.h"
#include "PendingChange.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TSQLConnection;

// Appended rows written on a thread of their own while the caller goes on. Through a server they
// go in blocks: the next rows are read while the last ones travel and the server writes them, and
// a row a block refused is sent again alone on that thread too, for the server's own message.
// Embedded, each row goes alone through the prepared INSERT: the caller prepares the next rows
// while the engine writes these, and an engine slow on a page write never holds the caller. The
// thread lives as long as the sender: starting one for every block cost more than a round trip.
// Threads: the caller's thread runs Send, AwaitInFlight and TakeAnswer; the sender's own thread
// runs WriteRows and nothing else, and touches only the rows handed to it, the block, the
// connection and the transaction, which the caller leaves alone until it has taken the answer.
class BlockSender : private NoCopy {
public:
    BlockSender() = default;
    ~BlockSender();

    // Writes one row alone in the sender's transaction; raises what the server answered.
    using WriteAlone = std::function<void(const PendingChange& change)>;

    // A row the server refused alone too: nothing of it was written.
    struct Refusal {
        size_t index;   // in changes
        EDatabaseError error;
    };
    // What came of the rows: those refused, in order, and on a failure (a lost connection, a
    // cancel) the failure and the rows not written besides them, in order.
    struct Answer {
        std::vector<PendingChange> changes;
        std::vector<Refusal> refusals;
        std::vector<size_t> unwritten;
        std::exception_ptr failure;
    };

    // Takes the rows and starts writing them into the table, blockRows at a time (1: each row
    // alone, through the alone writer). Until TakeAnswer the caller leaves the block, the fields, the connection, the transaction
    // and whatever the alone writer uses alone.
    void Send(std::vector<PendingChange>& changes, const QString& table, const FieldList& fields,
              TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block,
              size_t blockRows, WriteAlone alone);
    // Waits up to the timeout for the rows in flight to land; true once none are in flight.
    bool AwaitInFlight(std::chrono::milliseconds timeout);
    // Waits for the rows in flight to land and takes the answer on them; an empty answer when
    // there are none.
    Answer TakeAnswer();
    size_t RowsInFlight() const { return answer_.changes.size(); }

private:
    // Runs on the sender's thread.
    void WriteRows(const QString& table, const FieldList& fields, TSQLConnection& connection,
                   Firebird::ITransaction* transaction, InsertBlock& block, size_t blockRows,
                   const WriteAlone& alone);
    void ServeWrites();

    Answer answer_;
    std::function<void()> nextWrite_;   // the rows to write next, taken by the sender's thread
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable started_, landed_;
    bool inFlight_ = false;
    bool closing_ = false;
};
