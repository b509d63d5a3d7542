#pragma once

#include <chrono>
#include <optional>

class ServerWait;
class TSQLConnection;

// A wait for the source's rows, read on a thread of its own, looked at by the main thread while it
// handles the window's messages. Through a server, "Parar" (taken as the run's stop), or the
// program ending, cancels the source's request; a source that answers neither the cancel nor with its rows within a second
// is frozen and let go: its connection is closed on this side, which loses nothing, the source
// being only read. The read then ends with its error, which the run says as the stop.
class SourceWait {
public:
    SourceWait(TSQLConnection& origem, ServerWait& waits);
    // Forgets a cancel that reached the source after its request had ended, so that it cannot end
    // the next one.
    ~SourceWait();
    SourceWait(const SourceWait&) = delete;
    SourceWait& operator=(const SourceWait&) = delete;

    void Look();

private:
    using Clock = std::chrono::steady_clock;
    TSQLConnection& origem_;
    ServerWait& waits_;
    const bool remote_;   // the embedded engine runs in this process, never frozen apart from it
    std::optional<Clock::time_point> cancelledAt_;
    bool abandoned_ = false;
};
