#include "RowReadAhead.h"

#include <chrono>

namespace {

// Rows go over in batches, so the two threads meet once in many rows; a row of large blobs goes
// over alone.
constexpr size_t BatchRows = 256;
constexpr size_t WaitingRows = 4096;
constexpr qsizetype WaitingBytes = 8 << 20;
constexpr auto IdleEvery = std::chrono::milliseconds(10);

}  // namespace

RowReadAhead::RowReadAhead(TSQLConnection& connection, const QString& sql)
    : snapshot_(std::make_unique<TSQLTransaction>(&connection, TransactionUse::Snapshot)),
      ownRows_(std::make_unique<TSQLDataSet>(&connection)), rows_(*ownRows_) {
    rows_.SetCommandText(sql);
    rows_.Transaction = snapshot_.get();
}

RowReadAhead::RowReadAhead(TSQLDataSet& openRows) : rows_(openRows) {}

RowReadAhead::~RowReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable()) reader_.join();
}

void RowReadAhead::Start() { reader_ = std::thread([this] { Read(); }); }

void RowReadAhead::Read() {
    std::vector<Row> batch;
    qsizetype bytes = 0;
    try {
        if (ownRows_) rows_.Open();
        bool handed = true;
        for (; handed && !rows_.Eof(); rows_.Next()) {
            Row row;
            row.reserve(size_t(rows_.FieldCount()));
            for (int i = 0; i < rows_.FieldCount(); ++i) {
                row.push_back(rows_.Fields(i)->Value());
                bytes += row.back().data.size();
            }
            batch.push_back(std::move(row));
            if (batch.size() >= BatchRows || bytes >= WaitingBytes / 4) handed = Hand(batch, bytes);
        }
        if (handed && Hand(batch, bytes) && ownRows_) {
            rows_.Close();
            snapshot_->Commit();
        }
    } catch (...) {
        // The rows read before the failure go over first: the caller takes them, then the failure.
        const std::exception_ptr failure = std::current_exception();
        try {
            Hand(batch, bytes);
        } catch (...) {
            // No room for them: the failure is raised after the rows handed before.
        }
        std::lock_guard lock(mutex_);
        failure_ = failure;
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

bool RowReadAhead::Hand(std::vector<Row>& batch, qsizetype& bytes) {
    std::vector<std::vector<Row>> spent;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return stop_ || waiting_.empty() ||
                   (waiting_.size() + batch.size() <= WaitingRows && waitingBytes_ + bytes <= WaitingBytes);
        });
        spent.swap(spent_);
        if (stop_) return false;
        waiting_.insert(waiting_.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        waitingBytes_ += bytes;
    }
    changed_.notify_all();
    batch.clear();
    bytes = 0;
    return true;
}

void RowReadAhead::WaitFor(const std::function<bool()>& done, const std::function<void()>& idle) {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (changed_.wait_for(lock, IdleEvery, done)) return;
        }
        idle();
    }
}

bool RowReadAhead::Next(Row& row, const std::function<void()>& idle) {
    if (next_ == taken_.size()) {
        WaitFor([this] { return !waiting_.empty() || finished_; }, idle);
        {
            std::lock_guard lock(mutex_);
            if (!taken_.empty() && !finished_) spent_.push_back(std::move(taken_));
            taken_.clear();
            next_ = 0;
            if (waiting_.empty()) {
                if (failure_) std::rethrow_exception(failure_);
                return false;
            }
            std::swap(taken_, waiting_);
            waitingBytes_ = 0;
        }
        changed_.notify_all();
    }
    // The caller's last row goes back in its place, to be freed with the rest.
    std::swap(row, taken_[next_++]);
    return true;
}

void RowReadAhead::Stop(const std::function<void()>& idle) {
    if (!reader_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    WaitFor([this] { return finished_; }, idle);
    reader_.join();
}
