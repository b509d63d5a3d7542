#pragma once

#include "ConnectionClient.h"
#include "FbApi.h"
#include "NoCopy.h"
#include "TStringList.h"

#include <QString>
#include <functional>
#include <memory>

class TSQLTransaction;

// What a transaction the layer starts on its own is for.
enum class TransactionUse {
    Write,      // a statement, an apply, or a TSQLTransaction
    Read,       // a cursor
    Snapshot,   // a walk that must see one unchanging set of rows
};

// One Firebird attachment. A plain path opens the file with the embedded engine; host:/path
// goes through a server. Each statement runs in a transaction of its own and commits alone,
// unless a dataset is given a TSQLTransaction.
// Clients (datasets, transactions) are destroyed before their connection.
class TSQLConnection : private NoCopy {
public:
    TSQLConnection();
    ~TSQLConnection();

    // Name=Value parameters, read by Open: "Database" (set at run time), "User_Name" and
    // "Password" (SYSDBA/masterkey unless ISC_USER and ISC_PASSWORD say otherwise), "RoleName",
    // "SQLDialect", "ServerCharSet" (the connection character set; empty: none, bytes travel as
    // stored), "WaitOnLocks" (whether a transaction waits for a row another one holds) and
    // "Interbase TransIsolation" (ReadCommited, RepeatableRead or DirtyRead).
    TStringList Params;
    // Pages of cache the embedded engine keeps for the database when this connection is the first
    // to open it and the database names no size of its own; 0 leaves the engine's default. A
    // server keeps its own setting.
    int CachePages = 0;

    // Raises, with the server's message, when the database cannot be opened or a parameter
    // holds a value it cannot take. With meanwhile, the attach runs on a thread of its own and
    // meanwhile is called every few milliseconds until it ends; when it returns false, the opening
    // is given up (raised) and the attach left to end by itself.
    void Open(const std::function<bool()>& meanwhile = {});
    // Commits every TSQLTransaction still open on it; a failed commit is raised after the
    // connection has closed. A server that does not answer a ping within a second is abandoned
    // first (see Abandon): the close then fails at once rather than wait on it.
    void Close();
    bool Connected() const;
    // Whether the database is reached through a server rather than the embedded engine: asked of
    // the server once per open, since a plain path may also go through one (false when the server
    // cannot tell).
    bool Remote();
    // Whether the database takes no writes (made read-only with gfix), asked of it now.
    bool ReadOnly();

    // For a request that another thread is waiting on (through a server, one the server holds):
    // asks for it to end at once with "operation was cancelled"; the transaction goes on. Does
    // nothing when no request runs.
    void CancelOperation();
    // Forgets a cancel that came after its request had ended, so that it cannot end the next one.
    void ForgetCancel();
    // Closes this side of the connection at once, for a server that does not answer even a
    // cancel: every call waiting on it returns with a lost connection, every later call fails at
    // once, and the server rolls back what was not committed.
    void Abandon();
    // Raises a lost connection when the database no longer answers on it.
    void Ping();

    // User tables (no system tables, no views, no external tables) in name order, names trimmed.
    void GetTableNames(TStringList& list, bool systemTables = false);
    // Columns of a table in column-position order, names trimmed.
    void GetFieldNames(const QString& tableName, TStringList& list);

    // For the classes of this layer.
    Firebird::IAttachment* Attachment() const;   // raises when not connected
    unsigned Dialect() const;
    // lockTimeout: seconds a wait for another transaction's lock lasts at most; 0, as long as it holds.
    FbRef<Firebird::ITransaction> BeginTransaction(TransactionUse use, int lockTimeout = 0) const;
    void AddClient(ConnectionClient* client);
    void RemoveClient(ConnectionClient* client);
    void AddTransaction(TSQLTransaction* transaction);
    void RemoveTransaction(TSQLTransaction* transaction);

private:
    void AbandonIfSilent();

    struct Impl;
    std::unique_ptr<Impl> d;
};
