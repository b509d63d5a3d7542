#pragma once

#include "FbRef.h"
#include "FieldCodec.h"
#include "TClientDataSet.h"

#include <functional>
#include <vector>

class TDataSetProvider;
class TSQLConnection;
class TSQLTransaction;

// A change posted to a client dataset, waiting to be applied.
struct PendingChange {
    TUpdateKind kind;
    int row;                              // index into the held rows; -1 when rows are not held
    std::vector<TFieldValue> oldValues;   // before the change (modify)
    std::vector<TFieldValue> newValues;
};

// Writes a client dataset's pending changes to the server: appended rows through one prepared
// INSERT reused until Reset, edited rows through an UPDATE that must change exactly one row.
class ApplyEngine {
public:
    // Tells what becomes of the change at that index, which the server rejected.
    using Reconcile = std::function<TReconcileAction(size_t index, const EDatabaseError& error)>;

    // Applies the changes in order, in the caller's transaction or in one of its own committed at
    // the end, and takes the applied and cancelled ones out of the list; returns the rejected count.
    int Apply(std::vector<PendingChange>& changes, const FieldList& fields, const TDataSetProvider& provider,
              TSQLConnection& connection, TSQLTransaction* transaction, int maxErrors, const Reconcile& reconcile);
    // Frees the prepared INSERT (the dataset closes, or its connection does).
    void Reset();

private:
    void Write(const PendingChange& change, const QString& table, const FieldList& fields,
               const TDataSetProvider& provider, TSQLConnection& connection, Firebird::ITransaction* transaction);
    void Insert(const QString& table, const FieldList& fields, const std::vector<TFieldValue>& values,
                TSQLConnection& connection, Firebird::ITransaction* transaction);
    void Modify(const QString& table, const FieldList& fields, const PendingChange& change,
                const TDataSetProvider& provider, TSQLConnection& connection, Firebird::ITransaction* transaction);

    enum class Outcome { Pending, Applied, Cancelled };

    FbRef<Firebird::IStatement> insert_;
    ParameterWriter insertWriter_;
    std::vector<Outcome> outcomes_;   // kept between applies: the copy applies every row alone
};
