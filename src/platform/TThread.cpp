#include "TThread.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// A routine handed to the main thread, with what its caller waits for.
struct Request {
    std::function<void()> routine;
    std::exception_ptr failure;
    bool done = false;
};

// One queue for every thread object: the main thread runs what is in it, in order.
struct SyncQueue {
    std::mutex mutex;
    std::condition_variable changed;   // a request arrived, a request ran, or a thread ended
    std::deque<Request*> pending;
};

SyncQueue& Queue() {
    static SyncQueue queue;
    return queue;
}

}  // namespace

bool IsMainThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

bool CheckSynchronize() {
    SyncQueue& queue = Queue();
    bool ran = false;
    for (;;) {
        Request* request = nullptr;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.pending.empty()) return ran;
            request = queue.pending.front();
            queue.pending.pop_front();
        }
        try {
            request->routine();
        } catch (...) {
            request->failure = std::current_exception();
        }
        {
            std::lock_guard lock(queue.mutex);
            request->done = true;
        }
        queue.changed.notify_all();
        ran = true;
    }
}

struct TThread::Impl {
    std::thread thread;
    std::atomic<bool> terminated{false};
    bool finished = false;   // guarded by the queue's mutex
};

TThread::TThread() : d(std::make_unique<Impl>()) {}

TThread::~TThread() { WaitFor(); }

void TThread::Resume() {
    // A thread terminated before it started never runs its body.
    if (d->thread.joinable() || d->terminated) return;
    d->thread = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            // The body's error has no one to go to: the thread just ends.
        }
        {
            std::lock_guard lock(Queue().mutex);
            d->finished = true;
        }
        Queue().changed.notify_all();
    });
}

void TThread::Terminate() { d->terminated = true; }

bool TThread::Terminated() const { return d->terminated; }

bool TThread::Started() const { return d->thread.joinable(); }

void TThread::Synchronize(const std::function<void()>& routine) {
    if (IsMainThread() || !QCoreApplication::instance()) return routine();
    SyncQueue& queue = Queue();
    Request request{routine, nullptr, false};
    {
        std::lock_guard lock(queue.mutex);
        queue.pending.push_back(&request);
    }
    queue.changed.notify_all();
    // Wakes a main thread that is processing messages; one that waits in WaitFor sees the queue.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { CheckSynchronize(); }, Qt::QueuedConnection);
    std::unique_lock lock(queue.mutex);
    queue.changed.wait(lock, [&] { return request.done; });
    lock.unlock();
    if (request.failure) std::rethrow_exception(request.failure);
}

void TThread::WaitFor() {
    d->terminated = true;
    if (!d->thread.joinable()) return;
    SyncQueue& queue = Queue();
    for (;;) {
        CheckSynchronize();
        std::unique_lock lock(queue.mutex);
        if (d->finished) break;
        queue.changed.wait_for(lock, std::chrono::milliseconds(10),
                               [&] { return d->finished || !queue.pending.empty(); });
        if (d->finished) break;
    }
    d->thread.join();
}
