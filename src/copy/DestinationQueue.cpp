#include "DestinationQueue.h"

#include "CopyContext.h"
#include "WindowTurn.h"
#include "RunControl.h"
#include "WrittenRowsCount.h"
#include "catalogue/ActivityLog.h"
#include "platform/ErrorGuard.h"
#include "platform/TClientDataSet.h"

#include <algorithm>

namespace {

// Rows wait in the destination dataset and leave together, written on the dataset's sender thread
// while the next ones are read: through a server a block of them costs about one round trip;
// embedded each goes alone through the prepared INSERT (faster than blocks there), and an engine
// slow on a page write holds the sender, not the window. Four blocks at a time let the writing go
// from one to the next (and the refused rows of one be sent again alone) without waiting for this
// thread in between; when the sender has nothing left to write, a single block's worth goes at
// once. The bytes bound keeps large blobs from piling up. A row that no block can carry through a
// server (an array column) is applied at once: a queue of them would cost a round trip or two
// each and hold the window meanwhile.
constexpr int QueuedRows = 1024;
constexpr int BlockRows = QueuedRows / 4;
constexpr qsizetype QueuedBytes = 4 << 20;
// Every row queued is written before a reporting row commits: slow rows (a trigger's work, a busy
// server) make the queue shorter, so that the rows sent meanwhile take about this long, and the
// once-a-second commit is late by little more than that.
constexpr auto SendingTime = std::chrono::milliseconds(50);
constexpr int FewestQueuedRows = 16;

}  // namespace

DestinationQueue::DestinationQueue(TClientDataSet& destino, CopyContext& context, const QString& nomeTabela)
    : destino_(destino),
      context_(context),
      nomeTabela_(nomeTabela),
      inBackground_(destino.SendsInBackground()),
      // Short until the pace of the first rows sent is known.
      queueRows_(inBackground_ ? FewestQueuedRows : 1) {}

void DestinationQueue::RowAppended(qsizetype bytes) {
    queuedBytes_ += bytes;
    // A full queue leaves without waiting: the next rows are read while the server writes these.
    // A block's worth leaves at once when the server has nothing left to write, as after a report.
    const int queued = destino_.ChangeCount() - rowsInFlight_;
    if (queued >= queueRows_ || queuedBytes_ >= QueuedBytes ||
        (queued % BlockRows == 0 && queued > 0 && destino_.AwaitInFlight(std::chrono::milliseconds(0))))
        SendQueued();
}

bool DestinationQueue::AwaitInFlight() {
    using std::chrono::milliseconds;
    const auto untilReport = std::chrono::duration_cast<milliseconds>(lastReport_ + ReportEvery - Clock::now());
    if (destino_.AwaitInFlight(std::max(untilReport, milliseconds(0)))) return false;
    context_.transaction.InBackground(
        [this] {
            while (!destino_.AwaitInFlight(milliseconds(1000))) {
            }
        },
        ServerWait::OnStop::Cancel);
    return true;
}

void DestinationQueue::Deliver(Delivery how) {
    queuedBytes_ = 0;
    if (destino_.ChangeCount() == 0) return;
    const WrittenRowsCount count(destino_, context_, nomeTabela_, rowsInFlight_, written_);
    switch (how) {
    case Delivery::SendAndAwait:
        destino_.ApplyUpdates(-1);
        break;
    case Delivery::SendNoWait:
        destino_.SendUpdates();
        break;
    case Delivery::AnswerOnly:
        destino_.TakeAnswer();
        break;
    }
}

void DestinationQueue::SendQueued() {
    // Rows applied at once are never in flight: the wait would only read the clock.
    if (!inBackground_) return Deliver(Delivery::SendNoWait);
    if (AwaitInFlight()) StopIfAsked(context_);
    if (sentRows_ > 0) {
        // The rows sent last have landed by now: at most this long a row (the time they waited
        // to be taken counted in).
        const auto perRow = (Clock::now() - sentAt_) / sentRows_;
        const auto fit = perRow.count() > 0 ? SendingTime / perRow : QueuedRows;
        queueRows_ = int(std::clamp<decltype(fit)>(fit, FewestQueuedRows, QueuedRows));
    }
    sentRows_ = destino_.ChangeCount() - rowsInFlight_;
    sentAt_ = Clock::now();
    Deliver(Delivery::SendNoWait);
}

void DestinationQueue::SendAll() {
    SendQueued();
    if (AwaitInFlight()) StopIfAsked(context_);
    Deliver(Delivery::SendAndAwait);
}

bool DestinationQueue::ReportDue(bool firstRow) const {
    // The rows sent at a reporting row hold the window's messages back too: the wait is shorter
    // by what the last one spent on them.
    return firstRow || Clock::now() - lastReport_ + lastSending_ >= ReportEvery;
}

void DestinationQueue::SendBeforeReport() {
    const Clock::time_point start = Clock::now();
    SendAll();
    lastSending_ = Clock::now() - start;
}

void DestinationQueue::Reported() { lastReport_ = Clock::now(); }

int DestinationQueue::KeepApplied() noexcept {
    const ServerWait& waits = context_.transaction.Waits();
    try {
        // A stop sends nothing more.
        if (!waits.StopAsked() && !Encerrando) SendAll();
    } catch (const std::exception& error) {
        if (!waits.StopAsked())
            RegistrarLog(nomeTabela_ + QStringLiteral(" ERRO ao enviar as linhas em espera: ") + ErrorMessage(error));
    }
    try {
        // The commit comes once nothing is in flight.
        AwaitInFlight();
        Deliver(Delivery::AnswerOnly);
    } catch (const std::exception&) {
        // A cancel or a lost connection: the rows it left unwritten are counted below.
    }
    const int unsent = destino_.ChangeCount();
    if (unsent > 0)
        RegistrarLog(nomeTabela_ +
                     QStringLiteral(": %1 registro(s) lido(s) da origem não foram enviados ao destino").arg(unsent));
    return unsent;
}
