#include "RunTransaction.h"

#include "catalogue/ActivityLog.h"
#include "platform/Application.h"
#include "platform/DatabaseErrors.h"
#include "platform/EDatabaseError.h"
#include "platform/OnFailure.h"
#include "platform/TSQLConnection.h"

#include <QScopeGuard>
#include <thread>

RunTransaction::RunTransaction(TSQLConnection* destino, long long& insertedRows, ServerWait::Tell tell)
    : destino_(destino), transaction_(destino), insertedRows_(insertedRows), wait_(destino, std::move(tell)) {}

TSQLTransaction* RunTransaction::Applies() {
    AwaitBackgroundWork();
    // Not used while it commits beside the rows.
    if (committing_.valid() && committingOn_ == &transaction_) TakeCommitBeside();
    return Started(transaction_);
}

TSQLTransaction* RunTransaction::RowsTransaction() {
    AwaitBackgroundWork();
    return Started(*rows_);
}

TSQLTransaction* RunTransaction::Started(TSQLTransaction& transaction) {
    if (!transaction.InTransaction()) {
        transaction.StartTransaction();
        lastCommit_ = Clock::now();
    }
    return &transaction;
}

void RunTransaction::OpenBeside() {
    std::promise<std::unique_ptr<TSQLConnection>> opened;
    opening_ = opened.get_future();
    std::thread([params = destino_->Params, opened = std::move(opened)]() mutable {
        try {
            auto connection = std::make_unique<TSQLConnection>();
            connection->Params = params;
            connection->Open();
            // Asked here: the rows' first send asks it, on the window's thread.
            connection->Remote();
            opened.set_value(std::move(connection));
        } catch (...) {
            opened.set_exception(std::current_exception());
        }
    }).detach();
}

TSQLTransaction* RunTransaction::Beside() {
    if (beside_ || besideRefused_) return beside_.get();
    // Until it is open the commits are made in turn with the rows.
    if (opening_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
    try {
        besideConnection_ = opening_.get();
    } catch (const EDatabaseError&) {
        besideRefused_ = true;
        return nullptr;
    }
    beside_ = std::make_unique<TSQLTransaction>(besideConnection_.get());
    wait_.AlsoOn(besideConnection_.get());
    return beside_.get();
}

void RunTransaction::CommitRowsIfDue() {
    if (!destino_->Connected()) return;
    // Opened from the first rows on, to be there for the first commit.
    if (!opening_.valid() && !beside_ && !besideRefused_) OpenBeside();
    if (background_ > 0 || Clock::now() - lastCommit_ < std::chrono::seconds(1)) return;
    TakeCommitBeside();
    TSQLTransaction* committing = rows_;
    if (!committing->InTransaction()) return;
    TSQLTransaction* next = committing == &transaction_ ? Beside() : &transaction_;
    if (!next) return;
    Started(*next);
    lastCommit_ = Clock::now();
    committingRows_ = std::exchange(uncommitted_[committing], {});
    committingOn_ = committing;
    committing_ = std::async(std::launch::async, [committing] { committing->CommitRetaining(); });
    rows_ = next;
}

void RunTransaction::TakeCommitBeside() {
    if (!committing_.valid()) return;
    // Watched as any commit: a stop lets it finish, a frozen server is abandoned.
    wait_.Run([this] { committing_.wait(); }, ServerWait::OnStop::LetFinish);
    // Taken meanwhile by a command run while the window handled its messages.
    if (!committing_.valid()) return;
    const QMap<QString, long long> rows = std::exchange(committingRows_, {});
    try {
        committing_.get();
    } catch (const EDatabaseError& error) {
        CommitFailed(rows, *committingOn_, error);
        throw;
    }
}

void RunTransaction::Commit() {
    AwaitBackgroundWork();
    CommitBoth(false);
}

void RunTransaction::CommitIfDue() {
    if (background_ > 0 || Clock::now() - lastCommit_ < std::chrono::seconds(1)) return;
    CommitBoth(false);
}

void RunTransaction::End() {
    AwaitBackgroundWork();
    // The second connection goes with the run, however the run ends.
    const auto closed = qScopeGuard([this] {
        rows_ = &transaction_;
        uncommitted_.erase(beside_.get());
        wait_.AlsoOn(nullptr);
        // Opened and not taken: closed at once when the server was abandoned, which would hold its
        // close for good. One still opening closes itself on its thread.
        if (wait_.Abandoned() && opening_.valid() && opening_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            try {
                opening_.get()->Abandon();
            } catch (const EDatabaseError&) {
                // It never opened.
            }
        }
        opening_ = {};
        beside_.reset();
        besideConnection_.reset();
        besideRefused_ = false;
    });
    CommitBoth(true);
}

void RunTransaction::CommitBoth(bool end) {
    TakeCommitBeside();
    lastCommit_ = Clock::now();
    std::exception_ptr failure;
    // The rows' transaction first: it holds the latest rows.
    for (TSQLTransaction* transaction : {rows_, rows_ == &transaction_ ? beside_.get() : &transaction_}) {
        if (!transaction || !transaction->InTransaction()) continue;
        try {
            Committing(*transaction, end);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

TSQLConnection* RunTransaction::RowsConnection() const {
    return rows_ == &transaction_ ? destino_ : besideConnection_.get();
}

void RunTransaction::InBackground(const std::function<void()>& work, ServerWait::OnStop onStop, TSQLConnection* on) {
    ++background_;
    std::atomic<bool> started{false};
    // Work that never started is counted off here.
    const OnFailure neverStarted([&] {
        if (!started) --background_;
    });
    wait_.Run([&] {
        // Counted off by the work itself, so that a command waiting for it inside the message
        // handling above sees the end.
        started = true;
        const auto done = qScopeGuard([this] { --background_; });
        work();
    }, onStop, on);
}

void RunTransaction::CountWritten(const QString& table, long long rows) {
    if (rows <= 0) return;
    insertedRows_ += rows;
    uncommitted_[rows_][table] += rows;
}

void RunTransaction::Committing(TSQLTransaction& transaction, bool end) {
    // Rows counted while the commit is on its way wait for the next one.
    const QMap<QString, long long> rows = std::exchange(uncommitted_[&transaction], {});
    try {
        // Cancelled, End's commit would roll its rows back: a stop lets it finish.
        InBackground([&transaction, end] { end ? transaction.Commit() : transaction.CommitRetaining(); },
                     ServerWait::OnStop::LetFinish);
    } catch (const EDatabaseError& error) {
        CommitFailed(rows, transaction, error);
        throw;
    }
}

void RunTransaction::CommitFailed(const QMap<QString, long long>& rows, const TSQLTransaction& transaction,
                                  const EDatabaseError& error) {
    // Not lost while the transaction holds them: its next commit tries again.
    const bool lost = !transaction.InTransaction() || IsConnectionLost(error);
    long long total = 0;
    for (auto table = rows.begin(); table != rows.end(); ++table) {
        (lost ? lost_ : uncommitted_[&transaction])[table.key()] += table.value();
        total += table.value();
    }
    if (lost && total > 0) {
        insertedRows_ -= total;
        // Given up on a silent server, the commit may still have reached it: only what is certain
        // is counted, and the log says the rest is in doubt.
        RegistrarLog(rows.keys().join(QStringLiteral(", ")) +
                     (wait_.Abandoned()
                          ? QStringLiteral(" ERRO ao gravar as linhas já enviadas: %1 registro(s) enviado(s) desde a "
                                           "última confirmação podem não ter sido gravados (o servidor não respondeu à "
                                           "confirmação; confira com Atualizar ou Verificar Dados): %2")
                          : QStringLiteral(" ERRO ao gravar as linhas já enviadas: %1 registro(s) enviado(s) desde a "
                                           "última confirmação não foram gravados: %2"))
                         .arg(total)
                         .arg(error.Message()));
    }
}

void RunTransaction::AwaitBackgroundWork() {
    while (background_ > 0) {
        WaitForMessages(5);
        wait_.Watch();
    }
}
