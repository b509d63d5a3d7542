#pragma once

#include "FbRef.h"
#include "TSQLConnection.h"

// A transaction the caller holds on one connection. Only the datasets given it run in it;
// every other statement of the connection runs in a transaction of its own and commits alone.
// A cursor opened in it ends with Commit or Rollback (not with CommitRetaining).
class TSQLTransaction {
public:
    // A Write transaction sees what others commit as it goes; a Snapshot one reads, from one
    // unchanging set of rows, a walk whose statements must agree.
    explicit TSQLTransaction(TSQLConnection* connection, TransactionUse use = TransactionUse::Write);
    // Still open: committed quietly (rolled back if that fails); callers Commit() to see errors.
    ~TSQLTransaction();
    TSQLTransaction(const TSQLTransaction&) = delete;
    TSQLTransaction& operator=(const TSQLTransaction&) = delete;

    void StartTransaction();   // raises if already started
    // Ends it; a failure raises with the server's message, and the work is rolled back.
    void Commit();
    // Makes the work permanent and keeps it going (prepared statements and cursors stay usable).
    void CommitRetaining();
    void Rollback();
    bool InTransaction() const;
    TSQLConnection* Connection() const { return connection_; }

    // For the datasets of this layer: the transaction, started when it is not yet.
    Firebird::ITransaction* Handle();

private:
    friend class TSQLConnection;
    void ConnectionGone() { connection_ = nullptr; }

    TSQLConnection* connection_;
    TransactionUse use_;
    FbRef<Firebird::ITransaction> transaction_;
};
