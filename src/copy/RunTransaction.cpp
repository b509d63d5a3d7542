#include "RunTransaction.h"

TSQLTransaction* RunTransaction::Applies() {
    if (!transaction_.InTransaction()) {
        transaction_.StartTransaction();
        lastCommit_ = Clock::now();
    }
    return &transaction_;
}

void RunTransaction::Commit() {
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.CommitRetaining();
}

void RunTransaction::CommitIfDue() {
    if (Clock::now() - lastCommit_ >= std::chrono::seconds(1)) Commit();
}

void RunTransaction::End() {
    lastCommit_ = Clock::now();
    if (transaction_.InTransaction()) transaction_.Commit();
}
