#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class TSQLConnection;

// The waits of an import on the destination server. Each runs on a thread of its own while the
// window (the main thread) handles its messages and looks at the wait a few times a second:
//  - a server silent for 30 s is said in the status line, with what "Parar" does;
//  - "Parar", or the program ending, asks the server to cancel the rows it is writing, on the
//    connection they go through (a commit is let finish). A live server answers the cancel at
//    once, or at least a ping on a second connection opened when the run began; one that answers
//    neither is frozen, and is abandoned: the connections are closed on this side, so that they
//    never hold the stop. The program ending gives any server a second of waiting at most (the
//    time the user spends on a box shown meanwhile not counted). What the server had not committed
//    is then lost, and the commit that fails says so.
// Threads: the main thread runs everything here but the work handed to Run, which runs on a thread
// of its own, and the ping, which runs on another; neither touches a table record or a widget.
class ServerWait {
public:
    using Tell = std::function<void(const QString&)>;
    ServerWait(TSQLConnection* server, Tell tell);
    ~ServerWait();
    ServerWait(const ServerWait&) = delete;
    ServerWait& operator=(const ServerWait&) = delete;

    // What a stop may do to the request waited for.
    enum class OnStop { Cancel, LetFinish };
    // Runs the work on a thread of its own, watched, and returns once it is done; raises what it
    // raised. A stop cancels the request on `on` (the server's connection when null); a wait begun
    // after a stop was asked counts as stopped from its start.
    // Meanwhile, when given, is called at each look at the wait too.
    void Run(const std::function<void()>& work, OnStop onStop, TSQLConnection* on = nullptr,
             const std::function<void()>& meanwhile = {});
    // One look at the waits under way; for a loop that waits for them inside a command run nested in one.
    void Watch();

    // "Parar" came during this run (a wait took it, or the copy did): every copy of the run stops
    // at its next look at it, and whatever a cut wait raised is said as the stop.
    bool StopAsked() const { return stopAsked_; }
    void AskStop() { stopAsked_ = true; }
    // The connection was closed on this side because the server did not answer.
    bool Abandoned() const { return abandoned_; }
    // The same of the source's connection, which a wait for its rows gave up (SourceWait), or
    // which was on the server given up.
    bool SourceAbandoned() const { return sourceAbandoned_; }
    void SourceWasAbandoned() { sourceAbandoned_ = true; }
    // The source's connection: given up with the server when it too goes through a server, since
    // it may be the same one (no spelling of its name tells: localhost, 127.0.0.1, a port written
    // or not), a frozen server holds both, and the copy's end closes the source. The run ends
    // there either way, and "Conectar" opens both again.
    void SourceIs(TSQLConnection* source) { source_ = source; }
    // A new run: no stop asked, nothing abandoned, and the second connection opened to a server.
    // A stop while the server keeps that attach waiting abandons the server (raised). A run begun
    // inside another (a command run nested in an import) is part of it.
    void Begin();
    // The run is over: the outermost one closes the second connection.
    void Finish();

    // How long the server may be silent before the status line says so.
    std::chrono::milliseconds SilenceShownAfter{30000};

private:
    using Clock = std::chrono::steady_clock;
    void Ended();
    // Whether the server answers neither the stop nor a ping; asks it the first time.
    bool Frozen(Clock::time_point now);
    void Abandon();
    void CloseSpare();

    TSQLConnection* server_;
    TSQLConnection* source_ = nullptr;
    bool sourceOnTheServer_ = false;   // through a server, as found when the run began
    Tell tell_;
    int runs_ = 0;    // nested runs begun
    int waits_ = 0;   // nested waits under way
    std::vector<TSQLConnection*> cancellable_;   // the connections of those a stop cancels
    std::vector<TSQLConnection*> cancelled_;     // those a cancel was sent to in this wait
    Clock::time_point since_;                         // when the outermost of them began
    std::optional<Clock::time_point> stoppedAt_;      // when the stop reached the waits under way
    Clock::time_point lastCancel_;
    Clock::time_point lastWatch_;
    int silentShown_ = 0;   // the seconds of silence shown last
    bool stopAsked_ = false;
    bool abandoned_ = false;
    bool sourceAbandoned_ = false;
    std::unique_ptr<TSQLConnection> spare_;   // the second connection, to a server only
    std::thread ping_;
    std::atomic<bool> pinged_{false};
    Clock::time_point pingedAt_;
};
