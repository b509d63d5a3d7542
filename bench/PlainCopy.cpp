#include "PlainCopy.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

using namespace Firebird;

namespace {

// Both ends of a plain copy: the attachments, a transaction on each, the SELECT and the INSERT.
struct PlainEnds {
    PlainEnds(const std::string& source, const std::string& destination, const std::string& where = "") {
        from.Attach(source);
        to.Attach(destination);
        ThrowStatusWrapper* status = from.Status();
        read = from.Attachment()->startTransaction(status, 0, nullptr);
        write = to.Attachment()->startTransaction(status, 0, nullptr);
        select = from.Attachment()->prepare(
            status, read, 0, (std::string("SELECT ") + kCopyColumns + " FROM MOVIMENTO" + where).c_str(), 3, 0);
        meta = select->getOutputMetadata(status);
        insert = to.Attachment()->prepare(
            status, write, 0,
            (std::string("INSERT INTO MOVIMENTO (") + kCopyColumns + ") VALUES (?, ?, ?, ?, ?, ?)").c_str(), 3, 0);
        for (unsigned i = 0; i < meta->getCount(status); ++i)
            if ((meta->getType(status, i) & ~1u) == SQL_BLOB) blobs.push_back(i);
    }

    // The blob id of that column in a row buffer, or null when the blob is NULL.
    ISC_QUAD* BlobId(ThrowStatusWrapper* status, unsigned char* row, unsigned column) const {
        if (*reinterpret_cast<short*>(&row[meta->getNullOffset(status, column)])) return nullptr;
        return reinterpret_cast<ISC_QUAD*>(&row[meta->getOffset(status, column)]);
    }

    // Frees the statements, commits both sides, the destination's commit timed, and detaches.
    void Finish(CopyResult& result) {
        ThrowStatusWrapper* status = to.Status();
        insert->free(status);
        select->free(status);
        meta->release();
        const auto committing = Clock::now();
        write->commit(status);
        result.commitSeconds += Seconds(committing);
        ++result.commits;
        read->commit(status);
        to.Detach();
        from.Detach();
    }

    Database from, to;
    ITransaction* read = nullptr;
    ITransaction* write = nullptr;
    IStatement* select = nullptr;
    IMessageMetadata* meta = nullptr;
    IStatement* insert = nullptr;
    std::vector<unsigned> blobs;   // the positions of the blob columns
};

// A row as the reader hands it over: the cursor's buffer and the content of its blobs.
struct AheadRow {
    std::vector<unsigned char> buffer;
    std::vector<std::string> blobs;   // one per blob column, empty when NULL
};

// The rows read and not yet inserted, handed over a batch at a time: a hand-over per row would
// cost the two threads more in waking each other than the row itself.
class AheadQueue {
public:
    static constexpr size_t BatchRows = 256;
    static constexpr size_t Batches = 16;

    // From the reader: the batch goes once full, or at the end.
    void Put(AheadRow row) {
        filling_.push_back(std::move(row));
        if (filling_.size() == BatchRows) Hand();
    }
    void End(std::exception_ptr failure = nullptr) {
        if (!failure) Hand();
        const std::lock_guard lock(mutex_);
        ended_ = true;
        failure_ = failure;
        ready_.notify_one();
    }
    // From the inserting thread: false once every row was taken and the reader ended; a failed
    // read raises.
    bool Take(AheadRow& row) {
        if (taken_ == taking_.size()) {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return !batches_.empty() || ended_; });
            if (batches_.empty()) {
                if (failure_) std::rethrow_exception(failure_);
                return false;
            }
            taking_ = std::move(batches_.front());
            batches_.pop_front();
            taken_ = 0;
            room_.notify_one();
        }
        row = std::move(taking_[taken_++]);
        return true;
    }

private:
    void Hand() {
        if (filling_.empty()) return;
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return batches_.size() < Batches; });
        batches_.push_back(std::move(filling_));
        filling_.clear();
        ready_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::vector<AheadRow>> batches_;
    bool ended_ = false;
    std::exception_ptr failure_;
    std::vector<AheadRow> filling_;   // the reader's alone
    std::vector<AheadRow> taking_;    // the inserting thread's alone
    size_t taken_ = 0;
};

std::string ReadBlob(ThrowStatusWrapper* status, IAttachment* attachment, ITransaction* transaction, ISC_QUAD* id,
                     std::vector<char>& segment) {
    IBlob* blob = attachment->openBlob(status, transaction, id, 0, nullptr);
    std::string content;
    for (;;) {
        unsigned length = 0;
        const int got = blob->getSegment(status, unsigned(segment.size()), segment.data(), &length);
        if (got != IStatus::RESULT_OK && got != IStatus::RESULT_SEGMENT) break;
        content.append(segment.data(), length);
    }
    blob->close(status);
    return content;
}

// A second attachment to the destination with a transaction and the INSERT of its own: the rows go
// into its transaction while the other one commits.
struct SecondWriter {
    explicit SecondWriter(const std::string& destination) {
        db.Attach(destination);
        write = db.Attachment()->startTransaction(db.Status(), 0, nullptr);
        insert = db.Attachment()->prepare(
            db.Status(), write, 0,
            (std::string("INSERT INTO MOVIMENTO (") + kCopyColumns + ") VALUES (?, ?, ?, ?, ?, ?)").c_str(), 3, 0);
    }
    void Finish() {
        insert->free(db.Status());
        write->commit(db.Status());
        db.Detach();
    }
    Database db;
    ITransaction* write = nullptr;
    IStatement* insert = nullptr;
};

// Where the inserting thread writes a row: an attachment, its transaction and its INSERT.
struct InsertSide {
    IAttachment* attachment;
    ITransaction* write;
    IStatement* insert;
};

void InsertRow(ThrowStatusWrapper* status, const PlainEnds& ends, const InsertSide& side, AheadRow& row) {
    for (size_t b = 0; b < ends.blobs.size(); ++b) {
        ISC_QUAD* id = ends.BlobId(status, row.buffer.data(), ends.blobs[b]);
        if (!id) continue;
        IBlob* blob = side.attachment->createBlob(status, side.write, id, 0, nullptr);
        for (size_t at = 0; at < row.blobs[b].size(); at += 65535)
            blob->putSegment(status, unsigned(std::min<size_t>(65535, row.blobs[b].size() - at)), row.blobs[b].data() + at);
        blob->close(status);
    }
    side.insert->execute(status, side.write, ends.meta, row.buffer.data(), nullptr, nullptr);
}

}  // namespace

CopyResult CopyPlain(const std::string& source, const std::string& destination, const std::string& where) {
    CopyResult result;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    PlainEnds ends(source, destination, where);
    ThrowStatusWrapper* status = ends.from.Status();
    std::vector<unsigned char> row(ends.meta->getMessageLength(status));
    std::vector<char> segment(65535);

    IResultSet* cursor = ends.select->openCursor(status, ends.read, nullptr, nullptr, ends.meta, 0);
    while (cursor->fetchNext(status, row.data()) == IStatus::RESULT_OK) {
        for (unsigned i : ends.blobs)
            if (ISC_QUAD* id = ends.BlobId(status, row.data(), i))
                CopyBlob(status, ends.from.Attachment(), ends.read, ends.to.Attachment(), ends.write, id, segment);
        ends.insert->execute(status, ends.write, ends.meta, row.data(), nullptr, nullptr);
        ++result.rows;
    }
    cursor->close(status);
    ends.Finish(result);
    result.seconds = Seconds(start);
    result.cpuSeconds = CpuSeconds() - cpuStart;
    return result;
}

CopyResult CopyPlainAhead(const std::string& source, const std::string& destination, AheadCommits commits) {
    CopyResult result;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    PlainEnds ends(source, destination);
    ThrowStatusWrapper* status = ends.to.Status();
    const unsigned length = ends.meta->getMessageLength(status);
    std::optional<SecondWriter> second;
    if (commits == AheadCommits::EverySecondBeside) second.emplace(destination);

    AheadQueue queue;
    std::thread reader([&] {
        try {
            ThrowStatusWrapper* readStatus = ends.from.Status();
            std::vector<char> segment(65535);
            IResultSet* cursor = ends.select->openCursor(readStatus, ends.read, nullptr, nullptr, ends.meta, 0);
            for (;;) {
                AheadRow row{std::vector<unsigned char>(length), std::vector<std::string>(ends.blobs.size())};
                if (cursor->fetchNext(readStatus, row.buffer.data()) != IStatus::RESULT_OK) break;
                for (size_t b = 0; b < ends.blobs.size(); ++b)
                    if (ISC_QUAD* id = ends.BlobId(readStatus, row.buffer.data(), ends.blobs[b]))
                        row.blobs[b] = ReadBlob(readStatus, ends.from.Attachment(), ends.read, id, segment);
                queue.Put(std::move(row));
            }
            cursor->close(readStatus);
            queue.End();
        } catch (...) {
            queue.End(std::current_exception());
        }
    });

    const InsertSide sides[2] = {{ends.to.Attachment(), ends.write, ends.insert},
                                 second ? InsertSide{second->db.Attachment(), second->write, second->insert}
                                        : InsertSide{ends.to.Attachment(), ends.write, ends.insert}};
    int current = 0;
    std::thread committing;   // the commit of the side the rows left, beside the inserts
    std::exception_ptr commitFailure;
    // The inserting thread waits only for what is left of the commit before.
    auto awaitCommit = [&] {
        if (!committing.joinable()) return;
        const auto waiting = Clock::now();
        committing.join();
        result.commitSeconds += Seconds(waiting);
        if (commitFailure) std::rethrow_exception(commitFailure);
    };

    auto lastCommit = Clock::now();
    AheadRow row;
    try {
        while (queue.Take(row)) {
            InsertRow(status, ends, sides[current], row);
            ++result.rows;
            if (commits == AheadCommits::AtTheEnd || Clock::now() - lastCommit < std::chrono::seconds(1)) continue;
            ++result.commits;
            if (commits == AheadCommits::EverySecond) {
                const auto committingNow = Clock::now();
                ends.write->commitRetaining(status);
                result.commitSeconds += Seconds(committingNow);
            } else {
                awaitCommit();
                committing = std::thread([side = sides[current], &commitFailure] {
                    ThrowStatusWrapper commitStatus(Master()->getStatus());
                    try {
                        side.write->commitRetaining(&commitStatus);
                    } catch (...) {
                        commitFailure = std::current_exception();
                    }
                    commitStatus.dispose();
                });
                current = 1 - current;
            }
            lastCommit = Clock::now();
        }
        awaitCommit();
    } catch (...) {
        if (committing.joinable()) committing.join();
        // The reader may wait for room: taking every row lets it end.
        try {
            while (queue.Take(row)) {
            }
        } catch (...) {
        }
        reader.join();
        throw;
    }
    reader.join();
    if (second) second->Finish();
    ends.Finish(result);
    result.seconds = Seconds(start);
    result.cpuSeconds = CpuSeconds() - cpuStart;
    return result;
}
