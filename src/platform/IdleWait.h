#pragma once

#include <functional>

// Runs the work on a thread of its own and returns once it has ended, calling idle on the caller's
// thread every few milliseconds meanwhile: a long request to the database then never holds the
// caller's thread (the window's, which handles its messages in idle). With idleAtOnce, idle is
// also called as soon as the work's thread has started, so that what it runs may wait for the
// work. Raises what the work raised.
void RunCallingIdle(const std::function<void()>& work, const std::function<void()>& idle, bool idleAtOnce = false);
