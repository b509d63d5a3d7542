#include "SourceWait.h"

#include "RunControl.h"
#include "ServerWait.h"
#include "platform/TSQLConnection.h"

#include <utility>

namespace {

// A live source answers a cancel at its next rescheduling point: well within this.
constexpr auto AnswerToCancel = std::chrono::seconds(1);

}  // namespace

// Known since "Conectar", which asked it as the server answered.
SourceWait::SourceWait(TSQLConnection& origem, ServerWait& waits)
    : origem_(origem), waits_(waits), remote_(origem.Connected() && origem.Remote()) {}

SourceWait::~SourceWait() {
    if (cancelledAt_ && !abandoned_) origem_.ForgetCancel();
}

void SourceWait::Look() {
    if (!remote_) return;
    if (std::exchange(PararProcesso, false)) waits_.AskStop();
    if (!waits_.StopAsked() && !Encerrando) return;
    const Clock::time_point now = Clock::now();
    if (!cancelledAt_) {
        origem_.CancelOperation();
        cancelledAt_ = now;
    } else if (!abandoned_ && now - *cancelledAt_ >= AnswerToCancel) {
        origem_.Abandon();
        abandoned_ = true;
        waits_.SourceWasAbandoned();
    }
}
