#pragma once

class TSQLConnection;

// A transaction the caller holds on one connection. Only the datasets given it run in it;
// every other statement of the connection runs in a transaction of its own and commits alone.
class TSQLTransaction {
public:
    explicit TSQLTransaction(TSQLConnection* connection);
    ~TSQLTransaction();
    TSQLTransaction(const TSQLTransaction&) = delete;
    TSQLTransaction& operator=(const TSQLTransaction&) = delete;

    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    bool InTransaction() const;
    TSQLConnection* Connection() const { return connection_; }

private:
    TSQLConnection* connection_;
};
