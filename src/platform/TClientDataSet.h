#pragma once

#include "TField.h"

#include <QString>
#include <functional>
#include <memory>

class TDataSetProvider;
class TSQLTransaction;
class EDatabaseError;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TUpdateKind { ukModify, ukInsert, ukDelete };
enum class TReconcileAction { raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh };

class TClientDataSet;
using TReconcileErrorEvent =
    std::function<void(TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind kind, TReconcileAction& action)>;

// Rows read through a provider, with local edits that ApplyUpdates writes back.
//
// Three ways to open:
//  - PacketRecords = -1 (default): every row is fetched into memory; the statement is closed.
//  - FetchOnDemand: the row count and the rows come from one snapshot, rows are read as the
//    walk reaches them; nothing is held in memory beyond the current row.
//  - PacketRecords = 0: only the fields are described; used to append rows to a table without
//    reading the rows it already holds.
// An append applied through ApplyUpdates is written with one prepared INSERT reused for every
// row until Close; a row the server rejects goes to OnReconcileError and the others stay.
class TClientDataSet {
public:
    explicit TClientDataSet(TDataSetProvider* provider = nullptr);
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    QString Name;   // the component's name, as the log names it
    void SetProvider(TDataSetProvider* provider);
    TDataSetProvider* Provider() const { return provider_; }

    // The transaction applies run in; none: each apply commits in a transaction of its own.
    TSQLTransaction* Transaction = nullptr;
    int PacketRecords = -1;
    bool FetchOnDemand = false;

    void Open();
    void Close();
    bool Active() const;
    TDataSetState State() const;

    void First();
    void Next();
    bool Eof() const;
    int RecordCount() const;
    int RecNo() const;   // 0-based position of the current row
    // Moves to the held row at a 0-based position.
    void SetRecNo(int recNo);
    // Moves to the first row whose field holds value, compared case-insensitively on the whole text.
    bool Locate(const QString& fieldName, const QString& value);

    int FieldCount() const;
    TField* Fields(int index);
    TField* FieldByName(const QString& name);   // case-insensitive; raises when absent
    TField* FindField(const QString& name);

    void Append();
    void Edit();
    void Post();
    void Cancel();

    // Writes the pending changes; returns how many rows the server rejected.
    // maxErrors -1 means no limit; past the limit the apply stops and raises.
    // While OnReconcileError runs, the fields hold the refused row as it was to be written.
    int ApplyUpdates(int maxErrors);
    int ChangeCount() const;
    TReconcileErrorEvent OnReconcileError;

    // Called after every move to another row, including the first row on open.
    std::function<void()> AfterScroll;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    TDataSetProvider* provider_;
};
