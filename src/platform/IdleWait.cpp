#include "IdleWait.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

void RunCallingIdle(const std::function<void()>& work, const std::function<void()>& idle, bool idleAtOnce) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        done = true;
        ended.notify_one();
    });
    try {
        if (idleAtOnce) idle();
        for (;;) {
            {
                std::unique_lock lock(mutex);
                if (ended.wait_for(lock, std::chrono::milliseconds(10), [&] { return done; })) break;
            }
            idle();
        }
    } catch (...) {
        // The work uses what the caller holds: it ends before the caller goes on.
        worker.join();
        throw;
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}
