#include "BlockFlight.h"

#include "FbApi.h"

#include <algorithm>
#include <utility>

BlockFlight::~BlockFlight() {
    if (!worker_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    started_.notify_one();
    worker_.join();
}

void BlockFlight::Start(std::vector<PendingChange>& changes, const QString& table, const FieldList& fields,
                        TSQLConnection& connection, Firebird::ITransaction* transaction, InsertBlock& block,
                        WriteAlone alone) {
    Land();
    // Before the rows are taken: when no thread can be had, they stay with the caller.
    if (!worker_.joinable()) worker_ = std::thread([this] { Serve(); });
    {
        const std::lock_guard lock(mutex_);
        landing_ = Landing{std::exchange(changes, {}), {}, {}, nullptr};
        trip_ = [this, table, &fields, &connection, transaction, &block, alone = std::move(alone)] {
            Fly(table, fields, connection, transaction, block, alone);
        };
        flying_ = true;
    }
    started_.notify_one();
}

void BlockFlight::Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        started_.wait(lock, [this] { return trip_ || closing_; });
        if (!trip_) return;
        const std::function<void()> trip = std::exchange(trip_, nullptr);
        lock.unlock();
        trip();
        lock.lock();
        flying_ = false;
        answered_.notify_all();
    }
}

void BlockFlight::Fly(const QString& table, const FieldList& fields, TSQLConnection& connection,
                      Firebird::ITransaction* transaction, InsertBlock& block, const WriteAlone& alone) {
    const size_t capacity = size_t(std::max(1, InsertBlock::Capacity(fields)));
    std::vector<PendingChange>& changes = landing_.changes;
    const auto doing = [&] { return QStringLiteral("ao gravar na tabela %1").arg(table); };
    size_t first = 0;
    // The rows not written when the connection is lost or the request cancelled: those of the
    // block refused and not yet tried alone, then every row from the next block on.
    auto lost = [&](std::exception_ptr failure, std::vector<size_t> untried, size_t from) {
        for (size_t i = from; i < changes.size(); ++i) untried.push_back(i);
        landing_.unwritten = std::move(untried);
        landing_.failure = std::move(failure);
    };
    try {
        for (; first < changes.size();) {
            const size_t end = std::min(changes.size(), first + capacity);
            std::vector<InsertBlock::Row> rows;
            for (size_t i = first; i < end; ++i) rows.push_back(&changes[i].newValues);
            const std::vector<size_t> refused =
                Doing(doing, [&] { return block.Send(table, fields, rows, connection, transaction); });
            for (size_t r = 0; r < refused.size(); ++r) {
                const size_t index = first + refused[r];
                try {
                    alone(changes[index]);
                } catch (const EDatabaseError& error) {
                    if (!IsInterruption(error)) {
                        landing_.refusals.push_back({index, error});
                        continue;
                    }
                    std::vector<size_t> untried;
                    for (size_t k = r; k < refused.size(); ++k) untried.push_back(first + refused[k]);
                    lost(std::make_exception_ptr(error.While(doing())), std::move(untried), end);
                    return;
                }
            }
            first = end;
        }
    } catch (...) {
        lost(std::current_exception(), {}, first);
    }
}

bool BlockFlight::Answered(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return answered_.wait_for(lock, timeout, [this] { return !flying_; });
}

BlockFlight::Landing BlockFlight::Land() {
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [this] { return !flying_; });
    return std::exchange(landing_, Landing{});
}
