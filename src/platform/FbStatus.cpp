#include "FbStatus.h"

#include "DatabaseErrors.h"
#include "EDatabaseError.h"
#include "FbApi.h"

using namespace Firebird;

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
