#include "FbApi.h"

#include <ibase.h>

using namespace Firebird;

IMaster* FbMaster() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* FbUtil() { return FbMaster()->getUtilInterface(); }

EDatabaseError DatabaseErrorFrom(IStatus* status) {
    char text[8192];
    FbUtil()->formatStatus(text, sizeof text, status);
    const ISC_STATUS* vector = status->getErrors();
    const int sqlCode = int(isc_sqlcode(vector));
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, vector);
    return EDatabaseError(QString::fromUtf8(text).trimmed(), sqlCode, QString::fromLatin1(state));
}

FbRef<ITransaction> FbStartTransaction(IAttachment* attachment, const FbTransactionOptions& options) {
    FbStatus status;
    FbRef<IXpbBuilder> tpb(FbUtil()->getXpbBuilder(&status, IXpbBuilder::TPB, nullptr, 0));
    if (options.isolation == FbIsolation::Snapshot) {
        tpb->insertTag(&status, isc_tpb_concurrency);
    } else {
        tpb->insertTag(&status, isc_tpb_read_committed);
        tpb->insertTag(&status, isc_tpb_rec_version);
    }
    tpb->insertTag(&status, options.readOnly ? isc_tpb_read : isc_tpb_write);
    tpb->insertTag(&status, options.wait ? isc_tpb_wait : isc_tpb_nowait);
    return FbRef<ITransaction>(
        attachment->startTransaction(&status, tpb->getBufferLength(&status), tpb->getBuffer(&status)));
}

void FbEndTransaction(FbRef<ITransaction>& transaction, bool commit) {
    FbRef<ITransaction> ending = std::move(transaction);
    if (!ending) return;
    FbStatus status;
    ending.End([&](ITransaction* t) {
        if (commit)
            t->commit(&status);
        else
            t->rollback(&status);
    });
}

// By the SQLSTATE class alone: SQLCODE -902 also covers refusals of a single statement, such as
// an update of a system table.
bool IsConnectionLost(const EDatabaseError& error) { return error.SqlState().startsWith(QLatin1String("08")); }

bool IsInterruption(const EDatabaseError& error) {
    return IsConnectionLost(error) || error.SqlState() == QLatin1String("HY008");
}

QString StatementForMessage(const QString& sql) {
    constexpr int limit = 200;
    const QString text = sql.simplified();
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("...");
}

void ShutDownDatabaseClient() { fb_shutdown(0, fb_shutrsn_app_stopped); }
