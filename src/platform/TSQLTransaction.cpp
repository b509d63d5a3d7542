#include "TSQLTransaction.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"
#include "TSQLConnection.h"

using namespace Firebird;

namespace {

QString Committing() { return QStringLiteral("ao confirmar a transação"); }

}  // namespace

TSQLTransaction::TSQLTransaction(TSQLConnection* connection, TransactionUse use) : connection_(connection), use_(use) {
    if (connection_) connection_->AddTransaction(this);
}

TSQLTransaction::~TSQLTransaction() {
    try {
        FbEndTransaction(transaction_, true);
    } catch (...) {
        // Nobody is left to tell; the server has rolled the work back.
    }
    if (connection_) connection_->RemoveTransaction(this);
}

void TSQLTransaction::StartTransaction() {
    if (transaction_) throw EDatabaseError(QStringLiteral("A transação já foi iniciada"));
    if (!connection_) throw EDatabaseError(QStringLiteral("Transação sem conexão"));
    transaction_ = connection_->BeginTransaction(use_);
}

void TSQLTransaction::Commit() {
    Doing(Committing, [&] { FbEndTransaction(transaction_, true); });
}

void TSQLTransaction::CommitRetaining() {
    if (!transaction_) return;
    FbStatus status;
    Doing(Committing, [&] { transaction_->commitRetaining(&status); });
}

void TSQLTransaction::Rollback() {
    Doing([] { return QStringLiteral("ao desfazer a transação"); }, [&] { FbEndTransaction(transaction_, false); });
}

bool TSQLTransaction::InTransaction() const { return bool(transaction_); }

ITransaction* TSQLTransaction::Handle() {
    if (!transaction_) StartTransaction();
    return transaction_.get();
}
