#pragma once

#include "PendingChange.h"
#include "InsertBlock.h"

#include <QString>
#include <exception>
#include <thread>
#include <vector>

class TSQLConnection;

// Appended rows written in blocks on a thread of their own while the caller goes on: through a
// server, the next rows are read while the last ones travel and the server writes them.
class BlockFlight {
public:
    BlockFlight() = default;
    ~BlockFlight() { Land(); }
    BlockFlight(const BlockFlight&) = delete;
    BlockFlight& operator=(const BlockFlight&) = delete;

    // What came of the rows: those refused (positions in changes), how many went in whole
    // blocks before a failure, and the failure (a lost connection) when there was one.
    struct Landing {
        std::vector<PendingChange> changes;
        Firebird::ITransaction* transaction = nullptr;   // the rows were written in
        std::vector<size_t> refused;
        size_t written = 0;
        std::exception_ptr failure;
    };

    // Starts writing the rows into the table, up to a block's capacity at a time. Until Land the
    // caller leaves the block, the fields, the connection and the transaction alone.
    void Start(std::vector<PendingChange> changes, const QString& table, const FieldList& fields,
               TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block);
    // Waits for the rows on their way; an empty landing when there are none.
    Landing Land();
    size_t Rows() const { return landing_.changes.size(); }

private:
    Landing landing_;
    std::thread worker_;
};
