#include "RunTransaction.h"

#include "catalogue/ActivityLog.h"
#include "platform/Application.h"
#include "platform/DatabaseErrors.h"
#include "platform/EDatabaseError.h"
#include "platform/OnFailure.h"
#include "platform/TSQLConnection.h"

#include <QScopeGuard>
#include <utility>

RunTransaction::RunTransaction(TSQLConnection* destino, long long& insertedRows, ServerWait::Tell tell)
    : transaction_(destino), insertedRows_(insertedRows), wait_(destino, std::move(tell)) {}

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
    Committing(false);
}

void RunTransaction::CommitIfDue() {
    if (background_ > 0 || Clock::now() - lastCommit_ < std::chrono::seconds(1)) return;
    Committing(false);
}

void RunTransaction::End() {
    AwaitBackgroundWork();
    Committing(true);
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
    uncommitted_[table] += rows;
}

void RunTransaction::Committing(bool end) {
    lastCommit_ = Clock::now();
    if (!transaction_.InTransaction()) return;
    // Rows counted while the commit is on its way wait for the next one.
    const QMap<QString, long long> rows = std::exchange(uncommitted_, {});
    try {
        // Cancelled, End's commit would roll its rows back: a stop lets it finish.
        InBackground([this, end] { end ? transaction_.Commit() : transaction_.CommitRetaining(); },
                     ServerWait::OnStop::LetFinish);
    } catch (const EDatabaseError& error) {
        CommitFailed(rows, error);
        throw;
    }
}

void RunTransaction::CommitFailed(const QMap<QString, long long>& rows, const EDatabaseError& error) {
    // Not lost while the transaction holds them: its next commit tries again.
    const bool lost = !transaction_.InTransaction() || IsConnectionLost(error);
    long long total = 0;
    for (auto table = rows.begin(); table != rows.end(); ++table) {
        (lost ? lost_ : uncommitted_)[table.key()] += table.value();
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
