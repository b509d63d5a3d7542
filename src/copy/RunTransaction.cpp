#include "RunTransaction.h"

#include "platform/Application.h"

TSQLTransaction* RunTransaction::Applies() {
    AwaitBackgroundWork();
    if (!transaction_.InTransaction()) {
        transaction_.StartTransaction();
        lastCommit_ = Clock::now();
    }
    return &transaction_;
}

void RunTransaction::Commit() {
    AwaitBackgroundWork();
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.CommitRetaining();
}

void RunTransaction::CommitIfDue() {
    if (background_ > 0 || Clock::now() - lastCommit_ < std::chrono::seconds(1)) return;
    lastCommit_ = Clock::now();
    if (!transaction_.InTransaction()) return;
    InBackground([this] { transaction_.CommitRetaining(); });
}

void RunTransaction::InBackground(const std::function<void()>& work) {
    ++background_;
    std::atomic<bool> started{false};
    try {
        RunWhileProcessingMessages([&] {
            // Counted off by the work itself, so that a command waiting for it inside the message
            // handling above sees the end.
            started = true;
            struct Done {
                std::atomic<int>& works;
                ~Done() { --works; }
            } done{background_};
            work();
        });
    } catch (...) {
        if (!started) --background_;
        throw;
    }
}

void RunTransaction::End() {
    AwaitBackgroundWork();
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.Commit();
}

void RunTransaction::AwaitBackgroundWork() {
    while (background_ > 0) WaitForMessages(5);
}
