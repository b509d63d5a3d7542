#include "FbApi.h"

#include "Exceptions.h"

#include <ibase.h>

using namespace Firebird;

IMaster* FbMaster() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* FbUtil() { return FbMaster()->getUtilInterface(); }

namespace {

// Every call raises its error at once, so one status object per thread serves all of them.
IStatus* ThreadStatus() {
    struct Holder {
        IStatus* status = FbMaster()->getStatus();
        ~Holder() { status->dispose(); }
    };
    thread_local Holder holder;
    return holder.status;
}

}  // namespace

FbStatus::FbStatus() : BaseStatusWrapper(ThreadStatus()) { status->init(); }

FbStatus::~FbStatus() = default;

void FbStatus::checkException(FbStatus* status) {
    if (status->dirty && (status->getState() & IStatus::STATE_ERRORS)) {
        EDatabaseError error = DatabaseErrorFrom(status->status);
        status->clearException();
        throw error;
    }
}

EDatabaseError DatabaseErrorFrom(IStatus* status) {
    char text[8192];
    FbUtil()->formatStatus(text, sizeof text, status);
    const ISC_STATUS* vector = status->getErrors();
    const int sqlCode = int(isc_sqlcode(vector));
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, vector);
    return EDatabaseError(QString::fromUtf8(text).trimmed(), sqlCode, QString::fromLatin1(state));
}

ITransaction* FbStartTransaction(IAttachment* attachment, FbTransactionKind kind) {
    FbStatus status;
    IXpbBuilder* tpb = FbUtil()->getXpbBuilder(&status, IXpbBuilder::TPB, nullptr, 0);
    switch (kind) {
    case FbTransactionKind::ReadCommittedWrite:
        tpb->insertTag(&status, isc_tpb_read_committed);
        tpb->insertTag(&status, isc_tpb_rec_version);
        tpb->insertTag(&status, isc_tpb_write);
        break;
    case FbTransactionKind::ReadCommittedRead:
        tpb->insertTag(&status, isc_tpb_read_committed);
        tpb->insertTag(&status, isc_tpb_rec_version);
        tpb->insertTag(&status, isc_tpb_read);
        break;
    case FbTransactionKind::SnapshotRead:
        tpb->insertTag(&status, isc_tpb_concurrency);
        tpb->insertTag(&status, isc_tpb_read);
        break;
    }
    tpb->insertTag(&status, isc_tpb_wait);
    ITransaction* transaction = nullptr;
    try {
        transaction = attachment->startTransaction(&status, tpb->getBufferLength(&status), tpb->getBuffer(&status));
    } catch (...) {
        tpb->dispose();
        throw;
    }
    tpb->dispose();
    return transaction;
}

void FbEndTransaction(ITransaction* transaction, bool commit) {
    FbStatus status;
    try {
        if (commit)
            transaction->commit(&status);
        else
            transaction->rollback(&status);
    } catch (...) {
        transaction->release();
        throw;
    }
}

// By the SQLSTATE class alone: SQLCODE -902 also covers refusals of a single statement, such as
// an update of a system table.
bool IsConnectionLost(const EDatabaseError& error) { return error.SqlState().startsWith(QLatin1String("08")); }
