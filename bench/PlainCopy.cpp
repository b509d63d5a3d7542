#include "PlainCopy.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

using namespace Firebird;

namespace {

// Both ends of a plain copy: the attachments, a transaction on each, the SELECT and the INSERT.
struct PlainEnds {
    PlainEnds(const std::string& source, const std::string& destination) {
        from.Attach(source);
        to.Attach(destination);
        ThrowStatusWrapper* status = from.Status();
        read = from.Attachment()->startTransaction(status, 0, nullptr);
        write = to.Attachment()->startTransaction(status, 0, nullptr);
        select = from.Attachment()->prepare(
            status, read, 0, (std::string("SELECT ") + kCopyColumns + " FROM MOVIMENTO").c_str(), 3, 0);
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

}  // namespace

CopyResult CopyPlain(const std::string& source, const std::string& destination) {
    CopyResult result;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    PlainEnds ends(source, destination);
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

CopyResult CopyPlainAhead(const std::string& source, const std::string& destination, bool commitEverySecond) {
    CopyResult result;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    PlainEnds ends(source, destination);
    ThrowStatusWrapper* status = ends.to.Status();
    const unsigned length = ends.meta->getMessageLength(status);

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

    auto lastCommit = Clock::now();
    AheadRow row;
    try {
        while (queue.Take(row)) {
            for (size_t b = 0; b < ends.blobs.size(); ++b) {
                ISC_QUAD* id = ends.BlobId(status, row.buffer.data(), ends.blobs[b]);
                if (!id) continue;
                IBlob* blob = ends.to.Attachment()->createBlob(status, ends.write, id, 0, nullptr);
                for (size_t at = 0; at < row.blobs[b].size(); at += 65535)
                    blob->putSegment(status, unsigned(std::min<size_t>(65535, row.blobs[b].size() - at)),
                                     row.blobs[b].data() + at);
                blob->close(status);
            }
            ends.insert->execute(status, ends.write, ends.meta, row.buffer.data(), nullptr, nullptr);
            ++result.rows;
            if (commitEverySecond && Clock::now() - lastCommit >= std::chrono::seconds(1)) {
                const auto committing = Clock::now();
                ends.write->commitRetaining(status);
                result.commitSeconds += Seconds(committing);
                ++result.commits;
                lastCommit = Clock::now();
            }
        }
    } catch (...) {
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
    ends.Finish(result);
    result.seconds = Seconds(start);
    result.cpuSeconds = CpuSeconds() - cpuStart;
    return result;
}
