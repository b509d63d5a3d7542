#include "ApplyEngine.h"

#include "DatabaseErrors.h"
#include "FbApi.h"
#include "SendBlock.h"
#include "TDataSetProvider.h"
#include "TSQLConnection.h"
#include "TSQLTransaction.h"
#include "UpdateStatements.h"

#include <algorithm>
#include <iterator>
#include <utility>

using namespace Firebird;

void ApplyEngine::Reset() {
    sender_.TakeAnswer();
    writer_.Reset();
    block_.Reset();
}

size_t ApplyEngine::BlockEnd(const std::vector<PendingChange>& changes, size_t index, int capacity) const {
    size_t end = index;
    while (end < changes.size() && end - index < size_t(capacity) && changes[end].kind == TUpdateKind::ukInsert) ++end;
    return end;
}

ApplyEngine::Written ApplyEngine::WriteAlone(const PendingChange& change, const QString& table, const FieldList& fields,
                                             const TDataSetProvider& provider, TSQLConnection& connection,
                                             ITransaction* transaction, int maxErrors, int& errors,
                                             const Reconcile& reconcile) {
    try {
        writer_.Write(change, table, fields, provider, connection, transaction);
        return {Outcome::Applied, false};
    } catch (const EDatabaseError& error) {
        // The server undoes the failed statement alone; the transaction goes on.
        if (IsInterruption(error)) throw error.While(QStringLiteral("ao gravar na tabela %1").arg(table));
        ++errors;
        const TReconcileAction action = reconcile(change, error);
        return {action == TReconcileAction::raCancel ? Outcome::Cancelled : Outcome::Pending,
                action == TReconcileAction::raAbort || (maxErrors >= 0 && errors > maxErrors)};
    }
}

int ApplyEngine::Apply(std::vector<PendingChange>& changes, const FieldList& fields, const TDataSetProvider& provider,
                       TSQLConnection& dataSetConnection, TSQLTransaction* held, int maxErrors, const Reconcile& reconcile,
                       size_t from) {
    if (changes.size() <= from) return 0;
    // Worked out before any transaction starts, so that a failure here leaves none open.
    const QString table = UpdateTable(provider, fields);
    TSQLConnection& connection = WritingConnection(dataSetConnection, held);
    // Embedded, the engine is in this process and a block only adds its own work: rows go alone.
    const int capacity = maxErrors < 0 && connection.Remote() ? InsertBlock::Capacity(fields) : 0;
    FbRef<ITransaction> own;
    ITransaction* transaction = held ? held->Handle() : (own = connection.BeginTransaction(TransactionUse::Write)).get();

    std::vector<Outcome>& outcomes = outcomes_;
    outcomes.assign(changes.size(), Outcome::Pending);
    auto leaveLog = [&](bool applied) {
        size_t kept = 0;
        for (size_t i = 0; i < changes.size(); ++i) {
            const bool leaves = outcomes[i] == Outcome::Cancelled || (applied && outcomes[i] == Outcome::Applied);
            if (leaves) continue;
            // A change that stays where it is must not be moved onto itself: that would empty it.
            if (kept != i) changes[kept] = std::move(changes[i]);
            ++kept;
        }
        changes.resize(kept);
    };
    int errors = 0;
    auto alone = [&](size_t index) {
        const Written written = WriteAlone(changes[index], table, fields, provider, connection, transaction, maxErrors,
                                           errors, reconcile);
        outcomes[index] = written.outcome;
        return !written.stop;
    };
    try {
        for (size_t i = from; i < changes.size();) {
            const size_t end = BlockEnd(changes, i, capacity);
            if (end - i < 2) {
                if (!alone(i)) break;
                ++i;
                continue;
            }
            std::vector<InsertBlock::Row> rows;
            for (size_t k = i; k < end; ++k) rows.push_back(&changes[k].newValues);
            bool goOn = true;
            std::vector<size_t> untried;
            SendBlock(block_, table, fields, rows, connection, transaction,
                      [&](size_t k) { outcomes[i + k] = Outcome::Applied; },
                      [&](size_t k) { return goOn = alone(i + k); }, untried);
            if (!goOn) break;
            i = end;
        }
        if (own)
            Doing([&] { return QStringLiteral("ao confirmar as alterações na tabela %1").arg(table); },
                  [&] { FbEndTransaction(own, true); });
    } catch (...) {
        // In the caller's transaction the applied changes stay with it for the caller to commit;
        // an own transaction is rolled back, and its changes wait to be applied again.
        leaveLog(held != nullptr);
        throw;
    }
    leaveLog(true);
    return errors;
}

bool ApplyEngine::Send(std::vector<PendingChange>& changes, const FieldList& fields, const TDataSetProvider& provider,
                       TSQLConnection& dataSetConnection, TSQLTransaction* held, size_t from) {
    const auto sent = changes.begin() + std::ptrdiff_t(std::min(from, changes.size()));
    const bool appendedOnly = std::all_of(sent, changes.end(), [](const PendingChange& change) {
        return change.kind == TUpdateKind::ukInsert && change.row < 0;
    });
    if (sent == changes.end() || !held || !appendedOnly) return false;
    TSQLConnection& connection = WritingConnection(dataSetConnection, held);
    if (!SendsInBackground(connection, fields)) return false;
    const QString table = UpdateTable(provider, fields);
    ITransaction* transaction = held->Handle();
    std::vector<PendingChange> rows(std::make_move_iterator(sent), std::make_move_iterator(changes.end()));
    changes.erase(sent, changes.end());
    try {
        // Embedded, a block measured slower than the prepared INSERT row by row.
        const size_t blockRows = connection.Remote() ? size_t(InsertBlock::Capacity(fields)) : 1;
        sender_.Send(rows, table, fields, connection, transaction, block_, blockRows,
                      [this, table, &fields, &connection, transaction](const PendingChange& change) {
                          writer_.Insert(table, fields, change.newValues, connection, transaction);
                      });
    } catch (...) {
        changes.insert(changes.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        throw;
    }
    return true;
}

TSQLConnection& ApplyEngine::WritingConnection(TSQLConnection& dataSetConnection, TSQLTransaction* held) {
    if (!held) return dataSetConnection;
    if (!held->Connection()) throw EDatabaseError(QStringLiteral("A transação não tem mais conexão"));
    return *held->Connection();
}

bool ApplyEngine::SendsInBackground(TSQLConnection& connection, const FieldList& fields) {
    return !connection.Remote() || InsertBlock::Capacity(fields) >= 2;
}

int ApplyEngine::TakeAnswer(std::vector<PendingChange>& changes, const Reconcile& reconcile) {
    BlockSender::Answer answer = sender_.TakeAnswer();
    if (answer.changes.empty()) return 0;
    std::vector<size_t> back;   // positions of the rows not written, in order
    auto putBack = [&] {
        std::sort(back.begin(), back.end());
        std::vector<PendingChange> rows;
        for (size_t i : back) rows.push_back(std::move(answer.changes[i]));
        changes.insert(changes.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    };
    const std::vector<BlockSender::Refusal>& refusals = answer.refusals;
    if (answer.failure) {
        // The connection is gone: the refused rows wait with the unwritten ones, unreported.
        for (const BlockSender::Refusal& refusal : refusals) back.push_back(refusal.index);
        back.insert(back.end(), answer.unwritten.begin(), answer.unwritten.end());
        putBack();
        std::rethrow_exception(answer.failure);
    }
    int errors = 0;
    for (size_t r = 0; r < refusals.size(); ++r) {
        ++errors;
        const TReconcileAction action = reconcile(answer.changes[refusals[r].index], refusals[r].error);
        if (action != TReconcileAction::raCancel) back.push_back(refusals[r].index);
        if (action == TReconcileAction::raAbort) {
            for (size_t k = r + 1; k < refusals.size(); ++k) back.push_back(refusals[k].index);
            break;
        }
    }
    putBack();
    return errors;
}
