#include "KernelHandles.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// One waitable object. Each kind keeps its own state under the object's lock.
class KernelObject {
public:
    virtual ~KernelObject() = default;

    uint32_t Wait(uint32_t milliseconds) {
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return CanTake(); };
        if (milliseconds == INFINITE)
            changed_.wait(lock, ready);
        else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), ready))
            return WAIT_TIMEOUT;
        Take();
        return WAIT_OBJECT_0;
    }

protected:
    virtual bool CanTake() const = 0;
    virtual void Take() = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
};

// Owned by one thread at a time, which may take it again and must release it as often.
class MutexObject final : public KernelObject {
public:
    explicit MutexObject(bool initialOwner) {
        if (initialOwner) Take();
    }

    bool Release() {
        std::lock_guard lock(mutex_);
        if (takes_ == 0 || owner_ != std::this_thread::get_id()) return false;
        if (--takes_ == 0) {
            owner_ = {};
            changed_.notify_all();
        }
        return true;
    }

private:
    bool CanTake() const override { return takes_ == 0 || owner_ == std::this_thread::get_id(); }
    void Take() override {
        owner_ = std::this_thread::get_id();
        ++takes_;
    }

    std::thread::id owner_;
    long takes_ = 0;
};

class SemaphoreObject final : public KernelObject {
public:
    SemaphoreObject(long initialCount, long maximumCount) : count_(initialCount), maximum_(maximumCount) {}

    bool Release(long releaseCount) {
        std::lock_guard lock(mutex_);
        if (releaseCount <= 0 || releaseCount > maximum_ - count_) return false;
        count_ += releaseCount;
        changed_.notify_all();
        return true;
    }

private:
    bool CanTake() const override { return count_ > 0; }
    void Take() override { --count_; }

    long count_;
    long maximum_;
};

std::mutex tableMutex;
std::map<HANDLE, std::shared_ptr<KernelObject>> table;
HANDLE lastHandle = 0;

HANDLE Register(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(tableMutex);
    table.emplace(++lastHandle, std::move(object));
    return lastHandle;
}

// The object stays alive while a caller uses it, even if another thread closes the handle.
template <typename Kind = KernelObject>
std::shared_ptr<Kind> Find(HANDLE handle) {
    std::lock_guard lock(tableMutex);
    const auto found = table.find(handle);
    return found == table.end() ? nullptr : std::dynamic_pointer_cast<Kind>(found->second);
}

}  // namespace

HANDLE CreateMutexA(bool initialOwner) { return Register(std::make_shared<MutexObject>(initialOwner)); }

HANDLE CreateSemaphoreA(long initialCount, long maximumCount) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return 0;
    return Register(std::make_shared<SemaphoreObject>(initialCount, maximumCount));
}

uint32_t WaitForSingleObject(HANDLE handle, uint32_t milliseconds) {
    const auto object = Find(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}

bool ReleaseMutex(HANDLE handle) {
    const auto mutex = Find<MutexObject>(handle);
    return mutex && mutex->Release();
}

bool ReleaseSemaphore(HANDLE handle, long releaseCount) {
    const auto semaphore = Find<SemaphoreObject>(handle);
    return semaphore && semaphore->Release(releaseCount);
}

bool CloseHandle(HANDLE handle) {
    std::lock_guard lock(tableMutex);
    return table.erase(handle) > 0;
}
