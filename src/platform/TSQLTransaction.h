#pragma once

#include "FbRef.h"

class TSQLConnection;

// A transaction the caller holds on one connection. Only the datasets given it run in it;
// every other statement of the connection runs in a transaction of its own and commits alone.
// A cursor opened in it ends with Commit or Rollback (not with CommitRetaining).
class TSQLTransaction {
public:
    explicit TSQLTransaction(TSQLConnection* connection);
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
    FbRef<Firebird::ITransaction> transaction_;
};
