#pragma once

#include "NoCopy.h"
#include "TComponent.h"
#include "TField.h"
#include "TFields.h"
#include "TParam.h"

#include <QString>
#include <memory>
#include <vector>

class TSQLConnection;
class TSQLTransaction;

// A statement on one connection: a forward-only cursor for a SELECT, or ExecSQL for the rest.
class TSQLDataSet : public TComponent, public TFields, private NoCopy {
public:
    explicit TSQLDataSet(TSQLConnection* connection = nullptr);
    ~TSQLDataSet();

    // Setting the text closes the dataset and re-reads the :NAME parameters.
    void SetCommandText(const QString& text);
    const QString& CommandText() const { return commandText_; }
    TParam& ParamByName(const QString& name);
    void SetSQLConnection(TSQLConnection* connection);
    TSQLConnection* SQLConnection() const { return connection_; }

    // The caller's transaction that Open and ExecSQL run in, started when it is not yet; null:
    // each runs in a transaction of its own, ended on Close or at the end of ExecSQL.
    TSQLTransaction* Transaction = nullptr;
    // Seconds the statement's own transaction waits at most for a lock another transaction
    // holds; 0: as long as it holds.
    int LockTimeout = 0;

    // Opens the cursor on the first row.
    void Open();
    void Close();
    bool Active() const;
    bool Eof() const;
    void Next();
    // Reads again from the first row, in the same transaction: a snapshot gives the same rows.
    void Restart();


    // Runs a statement that returns no rows; returns the rows it changed.
    int ExecSQL();

    // Reading from a consistent snapshot, always in a transaction of its own (never Transaction),
    // so that the caller's commits do not touch a walk: the row count of the statement read
    // first, in the same transaction as the rows. Used by client datasets that fetch on demand.
    bool Snapshot = false;
    int SnapshotRecordCount() const;

    // The output columns described as fields, available after Open or Prepare.
    void Prepare();
    const std::vector<std::unique_ptr<TField>>& FieldList() const;

private:
    const std::vector<std::unique_ptr<TField>>& HeldFields() const override;
    struct Impl;
    std::unique_ptr<Impl> d;
    TSQLConnection* connection_;
    QString commandText_;
    std::vector<std::unique_ptr<TParam>> params_;
};
