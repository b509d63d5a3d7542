#include "ServerWait.h"

#include "RunControl.h"
#include "platform/Application.h"
#include "platform/EDatabaseError.h"
#include "platform/TSQLConnection.h"

#include <algorithm>

namespace {

// Rows in the air land by themselves within this, unless the server holds them (a lock, a freeze):
// only then is the request cancelled. A cancel that reached the request as it was being sent was
// seen to leave the connection waiting for an answer that never came.
constexpr auto LandingTime = std::chrono::milliseconds(300);
// A live server answers a cancel, and a ping, at its next rescheduling point: well within this.
constexpr auto AnswerToStop = std::chrono::milliseconds(500);
// Longer between two looks at the waits, the window was held elsewhere (a box it showed).
constexpr auto AwayAfter = std::chrono::milliseconds(250);

}  // namespace

ServerWait::ServerWait(TSQLConnection* server, Tell tell) : server_(server), tell_(std::move(tell)) {}

ServerWait::~ServerWait() { CloseSpare(); }

void ServerWait::Run(const std::function<void()>& work, OnStop onStop, TSQLConnection* on,
                     const std::function<void()>& meanwhile) {
    if (waits_++ == 0) {
        since_ = lastWatch_ = Clock::now();
        silentShown_ = 0;
        // What is left to do once "Parar" came (readers to stop, rows to commit) is watched as
        // stopped from its start: a frozen server does not hold it.
        if (stopAsked_) stoppedAt_ = since_;
    }
    const bool cancellable = onStop == OnStop::Cancel;
    if (cancellable) cancellable_.push_back(on ? on : server_);
    struct Counted {
        ServerWait& wait;
        const bool cancellable;
        ~Counted() {
            if (cancellable) wait.cancellable_.pop_back();
            if (--wait.waits_ == 0) wait.Ended();
        }
    } counted{*this, cancellable};
    RunWhileProcessingMessages(work, [&] {
        Watch();
        if (meanwhile) meanwhile();
    });
}

void ServerWait::Watch() {
    if (waits_ == 0) return;
    const Clock::time_point now = Clock::now();
    // The time the user spent on a box the window showed meanwhile is not the server's: the
    // stop's clock skips it, so that a close answered slowly still commits what went in.
    if (stoppedAt_ && now - lastWatch_ > AwayAfter) *stoppedAt_ += now - lastWatch_;
    lastWatch_ = now;
    if (PararProcesso) {
        // Taken here: the copy stops on the answer to what is waited for, and the next import
        // does not find the request still pending.
        PararProcesso = false;
        stopAsked_ = true;
        if (!stoppedAt_) stoppedAt_ = now;
        if (cancellable_.empty())
            tell_(Pausado ? StopWhilePausedText() : QStringLiteral("Parando: o servidor termina de gravar as linhas enviadas..."));
    } else if (Encerrando && !stoppedAt_) {
        // A wait begun once the program was ending (the commit of what went in) gets its moment too.
        stoppedAt_ = now;
    }
    // Again now and then: a cancel that came between two requests of the wait found nothing to cancel.
    if (stoppedAt_ && !cancellable_.empty() && now - *stoppedAt_ >= LandingTime && now - lastCancel_ >= AnswerToStop) {
        for (TSQLConnection* connection : cancellable_) {
            connection->CancelOperation();
            if (std::find(cancelled_.begin(), cancelled_.end(), connection) == cancelled_.end())
                cancelled_.push_back(connection);
        }
        lastCancel_ = now;
    }
    if (stoppedAt_ && !abandoned_ && (Encerrando ? now - *stoppedAt_ >= std::chrono::seconds(1) : Frozen(now)))
        Abandon();
    const auto silent = std::chrono::duration_cast<std::chrono::seconds>(now - since_);
    if (now - since_ >= SilenceShownAfter && silent.count() != silentShown_) {
        silentShown_ = int(silent.count());
        // A lock another connection holds looks the same from here as a server that stopped.
        tell_(QStringLiteral("O servidor não responde há %1 s (ocupado, parado ou à espera de uma transação de outra "
                             "conexão). Pressione \"Parar\" para interromper.")
                  .arg(silentShown_));
    }
}

bool ServerWait::Frozen(Clock::time_point now) {
    // The embedded engine runs in this process, never frozen apart from it.
    if (!spare_ || now - *stoppedAt_ < LandingTime) return false;
    if (ping_.joinable() && pinged_) ping_.join();
    if (ping_.joinable()) return now - pingedAt_ >= AnswerToStop;
    if (now - pingedAt_ >= AnswerToStop) {
        // Answered: busy, not frozen. Asked again now and then while the wait lasts.
        pinged_ = false;
        pingedAt_ = now;
        ping_ = std::thread([this] {
            try {
                spare_->Ping();
                pinged_ = true;
            } catch (...) {
                // Gone: the wait ends with its own error, or is abandoned.
            }
        });
    }
    return false;
}

void ServerWait::Abandon() {
    server_->Abandon();
    if (sourceOnTheServer_ && source_->Connected()) {
        source_->Abandon();
        sourceAbandoned_ = true;
    }
    // The ping waiting on the frozen server returns.
    if (spare_) spare_->Abandon();
    if (ping_.joinable()) ping_.join();
    abandoned_ = true;
}

void ServerWait::Ended() {
    // The line no longer says that a server that answered in the end does not answer.
    if (silentShown_ > 0 && !abandoned_ && !stoppedAt_)
        tell_(QStringLiteral("O servidor respondeu depois de %1 s.").arg(silentShown_));
    silentShown_ = 0;
    // A live server answers the ping under way at once.
    if (ping_.joinable()) ping_.join();
    // A cancel that reached the server after its request ended must not end the next one.
    if (!abandoned_)
        for (TSQLConnection* connection : cancelled_) connection->ForgetCancel();
    cancelled_.clear();
    stoppedAt_.reset();
}

void ServerWait::Begin() {
    if (runs_++ > 0) return;
    stopAsked_ = false;
    abandoned_ = false;
    sourceAbandoned_ = false;
    sourceOnTheServer_ = false;
    CloseSpare();
    // Known since "Conectar", which asked it as the server answered.
    if (!server_->Connected() || !server_->Remote()) return;
    sourceOnTheServer_ = source_ && source_->Connected() && source_->Remote();
    // Nothing watches this attach: a server that stopped answering since the connect would hold it
    // for minutes. The window handles its messages meanwhile, and a stop gives the server up.
    const bool pressedBefore = PararProcesso;
    spare_ = std::make_unique<TSQLConnection>();
    spare_->Params = server_->Params;
    try {
        spare_->Open([&] {
            ProcessMessages();
            // One pressed while nothing ran is the copy's, which stops at its first row.
            if (!(PararProcesso && !pressedBefore) && !Encerrando) return true;
            PararProcesso = false;
            stopAsked_ = true;
            return false;
        });
    } catch (const EDatabaseError&) {
        // Without it a stop waits for the server's answer, however long.
        spare_.reset();
        // One that did not answer the attach before the stop is let go.
        if (stopAsked_) {
            --runs_;
            Abandon();
            throw;
        }
    }
}

void ServerWait::Finish() {
    if (runs_ > 0 && --runs_ > 0) return;
    CloseSpare();
}

void ServerWait::CloseSpare() {
    try {
        if (spare_) spare_->Close();
    } catch (const EDatabaseError&) {
        // Abandoned, or its server gone: nothing to close.
    }
    spare_.reset();
}
