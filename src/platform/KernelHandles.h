#pragma once

#include <cstdint>

// Kernel-style synchronisation handles, numbered from 1; 0 is no handle.
using HANDLE = uint32_t;

constexpr uint32_t INFINITE = 0xFFFFFFFFu;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 0x102;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;

// An unnamed mutex; the thread that owns it may take it again (it counts its takes).
HANDLE CreateMutexA(bool initialOwner);
// An unnamed counting semaphore.
HANDLE CreateSemaphoreA(long initialCount, long maximumCount);
// WAIT_OBJECT_0 when taken, WAIT_FAILED for an unknown handle.
uint32_t WaitForSingleObject(HANDLE handle, uint32_t milliseconds);
bool ReleaseMutex(HANDLE handle);
bool ReleaseSemaphore(HANDLE handle, long releaseCount);
bool CloseHandle(HANDLE handle);
