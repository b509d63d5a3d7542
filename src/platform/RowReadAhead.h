#pragma once

#include "TFieldValue.h"
#include "TSQLDataSet.h"
#include "TSQLTransaction.h"

#include <QString>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The rows of a query, read from one snapshot of the database on a thread of their own, ahead of
// the caller: the server's sorting and sending never hold the caller's thread, which handles the
// window's messages meanwhile. Only a few thousand rows, and a few megabytes of values, wait at a
// time, so memory stays flat whatever the query's size.
// Threads: the caller's thread builds it, starts it, takes the rows and destroys it; the reader
// thread alone uses its statements and its transaction from Start until it ends.
class RowReadAhead {
public:
    using Row = std::vector<TFieldValue>;

    RowReadAhead(TSQLConnection& connection, const QString& sql);
    // The rows of a dataset already open, from its current row on, in its own transaction; the
    // dataset stays open and is the caller's again once the reader has stopped.
    explicit RowReadAhead(TSQLDataSet& openRows);
    // Stops the reader and waits for it.
    ~RowReadAhead();
    RowReadAhead(const RowReadAhead&) = delete;
    RowReadAhead& operator=(const RowReadAhead&) = delete;

    void Start();
    // The next row, false after the last; while none is ready it calls idle every few
    // milliseconds. What went wrong in the reader is raised here, after the rows read before it.
    bool Next(Row& row, const std::function<void()>& idle);
    // Stops the reader and waits for it, calling idle meanwhile: the server may be in the middle of
    // a sort, which the reader cannot leave.
    void Stop(const std::function<void()>& idle);

private:
    void Read();
    // Hands the rows read to the caller once there is room for them; false when stopped.
    bool Hand(std::vector<Row>& batch, qsizetype& bytes);
    void WaitFor(const std::function<bool()>& done, const std::function<void()>& idle);

    // Held only when the reader opens the query itself.
    std::unique_ptr<TSQLTransaction> snapshot_;
    std::unique_ptr<TSQLDataSet> ownRows_;
    TSQLDataSet& rows_;
    std::thread reader_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Row> waiting_;   // handed over by the reader, not yet taken
    qsizetype waitingBytes_ = 0;
    std::vector<Row> taken_;     // the caller's, read from the front
    size_t next_ = 0;
    // Rows the caller is done with, freed by the reader: memory freed by the thread that took it
    // costs no lock between the two.
    std::vector<std::vector<Row>> spent_;
    bool stop_ = false;
    bool finished_ = false;
    std::exception_ptr failure_;
};
