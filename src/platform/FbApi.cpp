#include "FbApi.h"

#include <ibase.h>

#include <langinfo.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Firebird;

IMaster* FbMaster() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* FbUtil() { return FbMaster()->getUtilInterface(); }

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
    if (options.wait && options.lockTimeout > 0) tpb->insertInt(&status, isc_tpb_lock_timeout, options.lockTimeout);
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

namespace {

std::atomic<int> connectingCalls{0};

}  // namespace

FbConnectingCall::FbConnectingCall() { ++connectingCalls; }

FbConnectingCall::~FbConnectingCall() { --connectingCalls; }

IAttachment* FbAttachDatabase(FbStatus& status, const QByteArray& database, const QByteArray& dpb) {
    const FbConnectingCall attaching;
    FbRef<IProvider> provider(FbMaster()->getDispatcher());
    return provider->attachDatabase(&status, database.constData(), unsigned(dpb.size()),
                                    reinterpret_cast<const unsigned char*>(dpb.constData()));
}

void PrepareDatabaseClient() {
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return;
    // LC_ALL, when set, wins over LC_CTYPE.
    const char* all = std::getenv("LC_ALL");
    setenv(all && *all ? "LC_ALL" : "LC_CTYPE", "C.UTF-8", 1);
    std::setlocale(LC_CTYPE, "");
}

void ShutDownDatabaseClient(int exitCode) {
    if (connectingCalls > 0) {
        // Nothing of the program's is open by now; what stdio holds is all that is left to write.
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    fb_shutdown(0, fb_shutrsn_app_stopped);
}
