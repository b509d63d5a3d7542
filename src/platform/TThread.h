#pragma once

#include <functional>
#include <memory>

// A thread object, created suspended and started by Resume, so its body never runs before the
// object is whole. The body may hand a routine to the main thread (Synchronize) and block until
// the main thread has run it; the main thread runs such routines when it processes messages and
// while it waits for a thread's end (WaitFor).
// Threads: the main thread creates, resumes, waits for and destroys it; its own thread runs only
// Execute, and whatever it hands to Synchronize runs on the main thread.
class TThread {
public:
    TThread();
    // Waits for the thread's end. A class whose body uses its own members waits in its own
    // destructor, while those members are still whole.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts the thread; does nothing once it has started.
    void Resume();
    void Terminate();
    bool Terminated() const;
    bool Started() const;

    // On the main thread the routine runs at once. On the object's own thread it is queued for
    // the main thread, which is woken; the call returns when the routine has run there, and an
    // error raised by it is raised again here.
    void Synchronize(const std::function<void()>& routine);

    // Marks the thread terminated and, on the main thread, waits for its end while running the
    // routines it hands over. A thread never started has nothing to wait for: its body never runs.
    void WaitFor();

protected:
    virtual void Execute() = 0;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Runs the routines that threads have queued for the main thread; returns whether any ran.
bool CheckSynchronize();
// True on the thread that runs the application's event loop.
bool IsMainThread();
