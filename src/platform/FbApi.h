#pragma once

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

class EDatabaseError;

Firebird::IMaster* FbMaster();
Firebird::IUtil* FbUtil();

// Status wrapper whose failures are raised as EDatabaseError carrying the whole status vector.
class FbStatus : public Firebird::BaseStatusWrapper<FbStatus> {
public:
    FbStatus();
    ~FbStatus();
    FbStatus(const FbStatus&) = delete;
    FbStatus& operator=(const FbStatus&) = delete;
    static void checkException(FbStatus* status);
};

EDatabaseError DatabaseErrorFrom(Firebird::IStatus* status);

// Text for the server: names and SQL travel as UTF-8, as the catalogue stores them.
inline QByteArray ServerText(const QString& text) { return text.toUtf8(); }

// Transaction kinds the layer starts.
enum class FbTransactionKind { ReadCommittedWrite, ReadCommittedRead, SnapshotRead };
Firebird::ITransaction* FbStartTransaction(Firebird::IAttachment* attachment, FbTransactionKind kind);
// Commits or rolls back and lets go of the transaction either way; a failure is raised after the
// interface has been released, so nothing dangles.
void FbEndTransaction(Firebird::ITransaction* transaction, bool commit);

// Connection-level failures (network, shutdown) must not be mistaken for a rejected row.
bool IsConnectionLost(const EDatabaseError& error);

constexpr unsigned SqlDialect = 3;
