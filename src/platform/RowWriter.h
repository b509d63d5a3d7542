#pragma once

#include "FbRef.h"
#include "FieldList.h"
#include "ParameterWriter.h"
#include "PendingChange.h"

#include <vector>

class TDataSetProvider;
class TSQLConnection;

// Writes one change alone to the server: an appended row through one prepared INSERT reused until
// Reset, an edited row through an UPDATE that must change exactly one row (undone otherwise).
// Raises what the server refused.
class RowWriter {
public:
    void Write(const PendingChange& change, const QString& table, const FieldList& fields,
               const TDataSetProvider& provider, TSQLConnection& connection, Firebird::ITransaction* transaction);
    void Insert(const QString& table, const FieldList& fields, const std::vector<TFieldValue>& values,
                TSQLConnection& connection, Firebird::ITransaction* transaction);
    // Frees the prepared INSERTs: the dataset closes, or its connection does.
    void Reset() { inserts_.clear(); }

private:
    void Modify(const QString& table, const FieldList& fields, const PendingChange& change,
                const TDataSetProvider& provider, TSQLConnection& connection, Firebird::ITransaction* transaction);

    // The INSERT prepared on each connection the rows went through: the copy's transactions take
    // turns on two connections to the same database, and preparing again on the one whose turn
    // comes waits for the other's commit.
    struct PreparedInsert {
        Firebird::IAttachment* on;
        FbRef<Firebird::IStatement> statement;
        unsigned long epoch;   // see MetadataEpoch
    };
    std::vector<PreparedInsert> inserts_;
    ParameterWriter insertWriter_;
    // Set with the prepared INSERT: the inserted fields' positions and their parameters, whose
    // values alone change from row to row.
    std::vector<size_t> inserted_;
    std::vector<ParameterValue> insertParameters_;
};
