#pragma once

#include "NoCopy.h"

#include <QString>
#include <cstdint>
#include <functional>

// Lets the window handle what is waiting in its queue: repaints, clicks, timers.
void ProcessMessages();
// Handles what is waiting and, when nothing is, sleeps until something arrives or the time is up:
// a loop that waits for the user keeps no processor busy.
void WaitForMessages(uint32_t milliseconds);
// Whether one of the two above is handling the messages for something under way (a copy, a
// verification, a connect): a command run now runs nested inside it, which waits for it.
bool HandlingMessagesMeanwhile();
// Runs work on a thread of its own while this thread goes on handling its messages, and returns
// when the work is done; an error the work raised is raised here. For one slow call (a commit
// waiting for the disk) that would otherwise leave the window frozen. Meanwhile, when given, runs
// on this thread between two looks at the work, a few times a second at least; it must not raise.
void RunWhileProcessingMessages(const std::function<void()>& work, const std::function<void()>& meanwhile = {});

// Milliseconds since an arbitrary start, in 32 bits: it wraps after 2^32 ms, so take
// differences as 32-bit unsigned (now - then).
uint32_t GetTickCount();

void Sleep(uint32_t milliseconds);

// Folder of the running executable, with a trailing separator.
QString ExecutableFolder();

// Shows the busy cursor over the application while it lives: for commands that keep the window
// from answering until they end. Nested holders stack; each gives back what it took.
class BusyCursor : private NoCopy {
public:
    BusyCursor();
    ~BusyCursor();
};
