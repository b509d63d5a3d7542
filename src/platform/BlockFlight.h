#pragma once

#include "Exceptions.h"
#include "PendingChange.h"
#include "InsertBlock.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TSQLConnection;

// Appended rows written in blocks on a thread of their own while the caller goes on: through a
// server, the next rows are read while the last ones travel and the server writes them. A row a
// block refused is sent again alone on that thread too, for the server's own message. The thread
// lives as long as the flight: starting one for every block cost more than a round trip.
class BlockFlight {
public:
    BlockFlight() = default;
    ~BlockFlight();
    BlockFlight(const BlockFlight&) = delete;
    BlockFlight& operator=(const BlockFlight&) = delete;

    // Writes one row alone in the flight's transaction; raises what the server answered.
    using WriteAlone = std::function<void(const PendingChange& change)>;

    // A row the server refused alone too: nothing of it was written.
    struct Refusal {
        size_t index;   // in changes
        EDatabaseError error;
    };
    // What came of the rows: those refused, in order, and on a failure (a lost connection, a
    // cancel) the failure and the rows not written besides them, in order.
    struct Landing {
        std::vector<PendingChange> changes;
        std::vector<Refusal> refusals;
        std::vector<size_t> unwritten;
        std::exception_ptr failure;
    };

    // Takes the rows and starts writing them into the table, up to a block's capacity at a time.
    // Until Land the caller leaves the block, the fields, the connection, the transaction and
    // whatever the alone writer uses alone.
    void Start(std::vector<PendingChange>& changes, const QString& table, const FieldList& fields,
               TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block,
               WriteAlone alone);
    // Waits up to the timeout for the server's answer; true once no rows are on their way.
    bool Answered(std::chrono::milliseconds timeout);
    // Waits for the rows on their way; an empty landing when there are none.
    Landing Land();
    size_t Rows() const { return landing_.changes.size(); }

private:
    void Fly(const QString& table, const FieldList& fields, TSQLConnection& connection,
             Firebird::ITransaction* transaction, InsertBlock& block, const WriteAlone& alone);

    void Serve();

    Landing landing_;
    std::function<void()> trip_;   // the rows to write next, taken by the thread
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable started_, answered_;
    bool flying_ = false;
    bool closing_ = false;
};
