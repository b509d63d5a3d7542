#pragma once

#include "FbRef.h"
#include "FieldList.h"
#include "ParameterWriter.h"

#include <QByteArray>
#include <QString>
#include <vector>

class TSQLConnection;

// Appended rows of one table sent many to a statement: an EXECUTE BLOCK of INSERTs whose values
// are its parameters, so that one network round trip carries a block of rows instead of one.
// Each INSERT is undone alone when the server refuses it, and the block tells which were.
class InsertBlock {
public:
    using Row = const std::vector<TFieldValue>*;

    // How many rows one block of these fields carries at most: Firebird takes up to 256 INSERTs
    // in a statement, and the parameters and the message are kept to a size it prepares quickly.
    // Below 2 the rows are better sent alone; an array column (which PSQL cannot hold) gives 0.
    static int Capacity(const FieldList& fields);

    // Sends up to Capacity rows of the table and returns the positions (in rows) of those the
    // server refused, in order. When the block cannot be prepared or run as a whole, every
    // position is returned, nothing having been written. A lost connection or a cancel raises.
    std::vector<size_t> Send(const QString& table, const FieldList& fields, const std::vector<Row>& rows,
                             TSQLConnection& connection, Firebird::ITransaction* transaction);
    // Frees the prepared block (the dataset closes, or its connection does).
    void Reset();

private:
    // The block prepared on one connection: the copy's transactions take turns on two connections
    // to the same database, and a statement runs only in a transaction of its own connection.
    struct Prepared {
        Firebird::IAttachment* on = nullptr;
        FbRef<Firebird::IStatement> statement;
        int rows = 0;   // the rows the block holds; fewer are sent with the rest left NULL
        unsigned long epoch = 0;   // see MetadataEpoch
        FbRef<Firebird::IMessageMetadata> output;
        QByteArray outputBuffer;
    };
    void Prepare(Prepared& prepared, const QString& table, const FieldList& fields, int rows,
                 TSQLConnection& connection, Firebird::ITransaction* transaction);
    void Fill(const FieldList& fields, const std::vector<Row>& rows, int blockRows);
    static std::vector<size_t> Refused(const Prepared& prepared, size_t rows);

    std::vector<Prepared> prepared_;
    bool unprepared_ = false;   // the server refused to prepare a block for these fields
    std::vector<TFieldValue> values_;
    std::vector<ParameterValue> parameters_;
    ParameterWriter writer_;
};
