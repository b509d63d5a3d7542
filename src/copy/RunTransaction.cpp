#include "RunTransaction.h"

#include "platform/Application.h"

TSQLTransaction* RunTransaction::Applies() {
    AwaitBackgroundCommit();
    if (!transaction_.InTransaction()) {
        transaction_.StartTransaction();
        lastCommit_ = Clock::now();
    }
    return &transaction_;
}

void RunTransaction::Commit() {
    AwaitBackgroundCommit();
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.CommitRetaining();
}

void RunTransaction::CommitIfDue() {
    if (committing_ || Clock::now() - lastCommit_ < std::chrono::seconds(1)) return;
    lastCommit_ = Clock::now();
    if (!transaction_.InTransaction()) return;
    committing_ = true;
    RunWhileProcessingMessages([this] {
        // Cleared by the work itself, so that a command waiting for it inside the message
        // handling above sees the end.
        struct Done {
            std::atomic<bool>& flag;
            ~Done() { flag = false; }
        } done{committing_};
        transaction_.CommitRetaining();
    });
}

void RunTransaction::End() {
    AwaitBackgroundCommit();
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.Commit();
}

void RunTransaction::AwaitBackgroundCommit() {
    while (committing_) WaitForMessages(5);
}
