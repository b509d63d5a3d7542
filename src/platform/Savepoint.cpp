#include "Savepoint.h"

#include "FbApi.h"
#include "TSQLConnection.h"

namespace {

void Run(TSQLConnection& connection, Firebird::ITransaction* transaction, const char* sql) {
    FbStatus status;
    connection.Attachment()->execute(&status, transaction, 0, sql, connection.Dialect(), nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

Savepoint::Savepoint(TSQLConnection& connection, Firebird::ITransaction* transaction)
    : connection_(connection), transaction_(transaction) {
    Run(connection_, transaction_, "SAVEPOINT VENDRASOL_APPLY");
}

Savepoint::~Savepoint() {
    try {
        Run(connection_, transaction_, "RELEASE SAVEPOINT VENDRASOL_APPLY ONLY");
    } catch (...) {
        // The transaction's end releases it all the same.
    }
}

void Savepoint::Undo() { Run(connection_, transaction_, "ROLLBACK TO SAVEPOINT VENDRASOL_APPLY"); }
