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

// Through a server, rows wait in the destination dataset and are sent together: a block of them
// costs about one round trip. Four blocks at a time let the server go from one to the next (and
// the refused rows of one be sent again alone) without waiting for this thread in between; when
// the server has nothing left to write, a single block's worth goes at once. The bytes bound keeps
// large blobs from piling up. Embedded, each row is applied at once, which measured faster than
// blocks; so is a row that no block can carry (an array column): a queue of them would be written
// at once, a round trip or two each, and hold the window meanwhile.
constexpr int QueuedRows = 1024;
constexpr int BlockRows = QueuedRows / 4;
constexpr qsizetype QueuedBytes = 4 << 20;

}  // namespace

DestinationQueue::DestinationQueue(TClientDataSet& destino, CopyContext& context, const QString& nomeTabela)
    : destino_(destino), context_(context), nomeTabela_(nomeTabela), queueRows_(destino.SendsInBlocks() ? QueuedRows : 1) {}

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
    // Rows applied one at a time are never in flight: the wait would only read the clock.
    if (queueRows_ > 1 && AwaitInFlight()) StopIfAsked(context_);
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
