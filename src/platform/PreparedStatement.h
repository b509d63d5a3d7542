#pragma once

#include "FieldList.h"
#include "ParameterWriter.h"

#include <QString>
#include <memory>
#include <vector>

class TSQLConnection;
class TSQLTransaction;

// A statement with ? markers, prepared on its first run and kept for every later one, run in
// the caller's transaction. Its parameters take values exactly as stored (type, bytes, NULL
// flag): a key found through them is found by its own bytes, never through text.
class PreparedStatement {
public:
    PreparedStatement(TSQLConnection& connection, QString sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Prepares it now, so that a statement the server cannot prepare fails before the first run.
    void Prepare(TSQLTransaction& transaction);
    // Runs it with one value per marker, in order, and returns the rows it changed. A statement
    // the server refuses raises EDatabaseError with the server's own message; the server undoes
    // that statement alone and the transaction goes on.
    int Execute(TSQLTransaction& transaction, const std::vector<ParameterValue>& values);
    // Runs a SELECT with one value per marker and reads its first row, blobs and arrays with
    // their contents, into Row(); false when it finds none.
    bool FetchFirst(TSQLTransaction& transaction, const std::vector<ParameterValue>& values);
    const FieldList& Row() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
