#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>

class TClientDataSet;
struct CopyContext;

// The path of a table's rows to the destination, and its pace. Appended rows wait in the
// destination dataset and leave together, written on the dataset's sender thread while the next
// ones are read: through a server in blocks, a block costing about one round trip; embedded each
// row alone. A row no block can carry through a server goes at once. The window gets its turn at a reporting row, due
// ReportEvery after the last one less what that one spent sending, and a slow answer from the
// server never holds the window back.
// Threads: the main thread runs all of it. Only the wait for the rows in flight goes to a worker
// thread (RunTransaction::InBackground) once the window is due its turn, and that worker touches
// nothing but the destination dataset's wait; the dataset's own sender writes the rows.
class DestinationQueue {
public:
    DestinationQueue(TClientDataSet& destino, CopyContext& context, const QString& nomeTabela);

    // After each row appended, posted or not, with the bytes of its values: a full queue leaves
    // without waiting, and a block's worth leaves at once when the server has nothing left to write.
    void RowAppended(qsizetype bytes);
    // Sends every row queued and waits for the answer on all of them, the window handling its
    // messages meanwhile; "Parar" takes effect there.
    void SendAll();
    // Whether the window is due its turn (the first row always is).
    bool ReportDue(bool firstRow) const;
    // SendAll, before the window is shown anything: what it shows next, and the commit its turn
    // may make, count the queued rows as written. Reported marks the end of the window's turn.
    void SendBeforeReport();
    void Reported();
    // After an error or a stop leaves the table: sends what is queued, unless it was a stop, and
    // takes the answer on the rows in flight. Logs how many rows read were not sent, and returns
    // that count.
    int KeepApplied() noexcept;
    // The rows the destination took so far, refused and unanswered ones not counted.
    long long Written() const { return written_; }

private:
    // What a delivery does with the rows queued.
    enum class Delivery {
        SendAndAwait,   // sends them and waits for the server's answer on every row sent
        SendNoWait,     // sends them without waiting: the answer is taken at the next delivery
        AnswerOnly,     // takes the answer on the rows in flight and leaves the queued ones unsent
    };
    // Counts the rows the server took for the next commit, also when it raises.
    void Deliver(Delivery how);
    // Waits for the rows in flight to land. Once the window is due its turn, it handles its
    // messages while the copy waits; true when it did so.
    bool AwaitInFlight();
    // A SendNoWait delivery, once the rows sent before have landed.
    void SendQueued();

    using Clock = std::chrono::steady_clock;
    TClientDataSet& destino_;
    CopyContext& context_;
    QString nomeTabela_;
    qsizetype queuedBytes_ = 0;   // of the values waiting in the dataset
    int rowsInFlight_ = 0;        // sent, not yet answered
    bool inBackground_;           // the dataset's sender writes the rows while the next are read
    int queueRows_;               // rows appended before they are sent
    int sentRows_ = 0;            // in the last rows sent, and when they left
    Clock::time_point sentAt_;
    long long written_ = 0;
    // Counted from the table's start, as if the window had just had its turn.
    Clock::time_point lastReport_ = Clock::now();
    Clock::duration lastSending_{};   // the queued rows' sending at the last reporting row
};
