#include "TSQLTransaction.h"

#include "TSQLConnection.h"

TSQLTransaction::TSQLTransaction(TSQLConnection* connection) : connection_(connection) {}

TSQLTransaction::~TSQLTransaction() {
    try {
        Commit();
    } catch (...) {
    }
}

void TSQLTransaction::StartTransaction() { connection_->StartTransaction(); }
void TSQLTransaction::Commit() { connection_->Commit(); }
void TSQLTransaction::CommitRetaining() { connection_->CommitRetaining(); }
void TSQLTransaction::Rollback() { connection_->Rollback(); }
bool TSQLTransaction::InTransaction() const { return connection_->Connected() && connection_->InTransaction(); }
