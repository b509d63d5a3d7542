#include "AttachWhile.h"

#include "FbApi.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

using namespace Firebird;

namespace {

// Shared by the caller and the attaching thread, which may outlive the caller's wait.
struct Attaching {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool givenUp = false;
    IAttachment* attachment = nullptr;
    std::exception_ptr failure;
};

// An attachment that came after its opening was given up.
void LetGo(IAttachment* attachment) {
    FbRef<IAttachment> owned(attachment);
    try {
        FbStatus status;
        owned.End([&](IAttachment* a) { a->detach(&status); });
    } catch (...) {
        // Released below all the same; the server ends the attachment with the connection.
    }
}

}  // namespace

IAttachment* AttachWhile(const QByteArray& database, const QByteArray& dpb, const std::function<bool()>& meanwhile) {
    const auto state = std::make_shared<Attaching>();
    std::thread([state, database, dpb] {
        IAttachment* attachment = nullptr;
        std::exception_ptr failure;
        try {
            FbStatus status;
            attachment = FbAttachDatabase(status, database, dpb);
        } catch (...) {
            failure = std::current_exception();
        }
        std::unique_lock lock(state->mutex);
        if (state->givenUp) {
            lock.unlock();
            if (attachment) LetGo(attachment);
            return;
        }
        state->attachment = attachment;
        state->failure = failure;
        state->done = true;
        state->ended.notify_one();
    }).detach();
    for (;;) {
        {
            std::unique_lock lock(state->mutex);
            if (state->ended.wait_for(lock, std::chrono::milliseconds(10), [&] { return state->done; })) break;
        }
        const bool goOn = meanwhile();
        const std::lock_guard lock(state->mutex);
        if (state->done) break;
        if (!goOn) {
            state->givenUp = true;
            return nullptr;
        }
    }
    if (state->failure) std::rethrow_exception(state->failure);
    return state->attachment;
}
