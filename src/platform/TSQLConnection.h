#pragma once

#include "TStringList.h"

#include <QString>
#include <memory>

namespace Firebird {
class IAttachment;
class ITransaction;
}

// A dataset using a connection; told to drop its server handles before the connection closes.
class ConnectionClient {
public:
    virtual ~ConnectionClient() = default;
    virtual void ConnectionClosing() = 0;
};

// One Firebird attachment. A plain path opens the file with the embedded engine; host:/path
// goes through a server. No connection character set: bytes travel as stored.
// Unless a caller holds a transaction (StartTransaction), each statement commits on its own.
class TSQLConnection {
public:
    TSQLConnection();
    ~TSQLConnection();
    TSQLConnection(const TSQLConnection&) = delete;
    TSQLConnection& operator=(const TSQLConnection&) = delete;

    // Name=Value parameters; "Database" is set at run time, user and password default to
    // SYSDBA/masterkey unless ISC_USER and ISC_PASSWORD say otherwise.
    TStringList Params;

    void Open();
    void Close();
    bool Connected() const;

    // User tables (no system tables, no views) in name order, names trimmed.
    void GetTableNames(TStringList& list, bool systemTables = false);
    // Columns of a table in column-position order, names trimmed.
    void GetFieldNames(const QString& tableName, TStringList& list);

    // A transaction held by the caller; every statement of this connection runs in it until
    // Commit or Rollback ends it. CommitRetaining makes its work permanent and keeps it going.
    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    bool InTransaction() const;

    // For the datasets of this layer.
    Firebird::IAttachment* Attachment() const;   // raises when not connected
    Firebird::ITransaction* HeldTransaction() const;
    void AddClient(ConnectionClient* client);
    void RemoveClient(ConnectionClient* client);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
