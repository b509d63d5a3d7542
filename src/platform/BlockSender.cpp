#include "BlockSender.h"

#include "DatabaseErrors.h"
#include "SendBlock.h"

#include <algorithm>
#include <utility>

BlockSender::~BlockSender() {
    if (!worker_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    started_.notify_one();
    worker_.join();
}

void BlockSender::Send(std::vector<PendingChange>& changes, const QString& table, const FieldList& fields,
                       TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block,
                       size_t blockRows, WriteAlone alone) {
    TakeAnswer();
    // Before the rows are taken: when no thread can be had, they stay with the caller.
    if (!worker_.joinable()) worker_ = std::thread([this] { ServeWrites(); });
    {
        const std::lock_guard lock(mutex_);
        answer_ = Answer{std::exchange(changes, {}), {}, {}, nullptr};
        nextWrite_ = [this, table, &fields, &connection, transaction, &block, blockRows, alone = std::move(alone)] {
            WriteRows(table, fields, connection, transaction, block, blockRows, alone);
        };
        inFlight_ = true;
    }
    started_.notify_one();
}

void BlockSender::ServeWrites() {
    std::unique_lock lock(mutex_);
    for (;;) {
        started_.wait(lock, [this] { return nextWrite_ || closing_; });
        if (!nextWrite_) return;
        const std::function<void()> write = std::exchange(nextWrite_, nullptr);
        lock.unlock();
        write();
        lock.lock();
        inFlight_ = false;
        landed_.notify_all();
    }
}

void BlockSender::WriteRows(const QString& table, const FieldList& fields, TSQLConnection& connection,
                            Firebird::ITransaction* transaction, InsertBlock& block, size_t blockRows,
                            const WriteAlone& alone) {
    const size_t capacity = std::max<size_t>(1, blockRows);
    std::vector<PendingChange>& changes = answer_.changes;
    size_t first = 0;
    std::vector<size_t> untried;
    // Writes the row alone; a refusal is kept for the answer, and the writing goes on.
    const auto writeAlone = [&](size_t k) {
        try {
            alone(changes[first + k]);
        } catch (const EDatabaseError& error) {
            if (IsInterruption(error)) throw error.While(QStringLiteral("ao gravar na tabela %1").arg(table));
            answer_.refusals.push_back({first + k, error});
        }
        return true;
    };
    try {
        for (; first < changes.size();) {
            const size_t end = std::min(changes.size(), first + capacity);
            if (capacity == 1) {
                untried = {0};
                writeAlone(0);
            } else {
                std::vector<InsertBlock::Row> rows;
                for (size_t i = first; i < end; ++i) rows.push_back(&changes[i].newValues);
                SendBlock(block, table, fields, rows, connection, transaction, [](size_t) {}, writeAlone, untried);
            }
            first = end;
        }
    } catch (...) {
        // The rows not written when the connection is lost or the request cancelled: those of
        // the block not written nor tried alone, then every row from the next block on.
        for (size_t& k : untried) k += first;
        for (size_t i = std::min(changes.size(), first + capacity); i < changes.size(); ++i) untried.push_back(i);
        answer_.unwritten = std::move(untried);
        answer_.failure = std::current_exception();
    }
}

bool BlockSender::AwaitInFlight(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return landed_.wait_for(lock, timeout, [this] { return !inFlight_; });
}

BlockSender::Answer BlockSender::TakeAnswer() {
    std::unique_lock lock(mutex_);
    landed_.wait(lock, [this] { return !inFlight_; });
    return std::exchange(answer_, Answer{});
}
