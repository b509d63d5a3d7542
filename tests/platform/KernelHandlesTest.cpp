#include "platform/KernelHandles.h"

#include <gtest/gtest.h>

#include <future>

namespace {

// Waits on another thread, as a second copy job would; the handle is free to it or not.
uint32_t WaitFromAnotherThread(HANDLE handle, uint32_t milliseconds) {
    return std::async(std::launch::async, [=] { return WaitForSingleObject(handle, milliseconds); }).get();
}

}  // namespace

TEST(KernelHandles, MutexIsTakenAgainByItsOwnerAndFreedAfterAsManyReleases) {
    const HANDLE mutex = CreateMutexA(false);
    ASSERT_NE(mutex, 0u);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);   // same thread: no deadlock

    EXPECT_EQ(WaitFromAnotherThread(mutex, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(std::async(std::launch::async, [=] { return ReleaseMutex(mutex); }).get())
        << "only the owner releases";

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitFromAnotherThread(mutex, 20), WAIT_TIMEOUT) << "still held once";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex)) << "released more often than taken";
    EXPECT_EQ(WaitFromAnotherThread(mutex, 20), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST(KernelHandles, MutexCreatedOwnedBlocksOthersUntilReleased) {
    const HANDLE mutex = CreateMutexA(true);
    EXPECT_EQ(WaitFromAnotherThread(mutex, 20), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitFromAnotherThread(mutex, 20), WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST(KernelHandles, SemaphoreCountsTakesAndReleasesUpToItsMaximum) {
    const HANDLE semaphore = CreateSemaphoreA(2, 3);
    ASSERT_NE(semaphore, 0u);
    EXPECT_EQ(WaitForSingleObject(semaphore, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 20), WAIT_TIMEOUT) << "count spent";

    auto waiter = std::async(std::launch::async, [=] { return WaitForSingleObject(semaphore, INFINITE); });
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 1));
    EXPECT_EQ(waiter.get(), WAIT_OBJECT_0) << "a release wakes a waiting thread";

    EXPECT_TRUE(ReleaseSemaphore(semaphore, 3));
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1)) << "past the maximum";
    EXPECT_TRUE(CloseHandle(semaphore));
}

TEST(KernelHandles, UnknownAndClosedHandlesFail) {
    EXPECT_EQ(WaitForSingleObject(0, INFINITE), WAIT_FAILED);
    const HANDLE semaphore = CreateSemaphoreA(1, 1);
    const HANDLE mutex = CreateMutexA(false);
    EXPECT_NE(semaphore, mutex);
    EXPECT_FALSE(ReleaseMutex(semaphore)) << "a semaphore is not a mutex";
    EXPECT_FALSE(ReleaseSemaphore(mutex, 1)) << "a mutex is not a semaphore";

    EXPECT_TRUE(CloseHandle(semaphore));
    EXPECT_FALSE(CloseHandle(semaphore));
    EXPECT_EQ(WaitForSingleObject(semaphore, INFINITE), WAIT_FAILED);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1));
    EXPECT_EQ(CreateSemaphoreA(2, 1), 0u) << "initial count above the maximum";
    CloseHandle(mutex);
}
