#pragma once

#include <exception>

class ServerWait;

// Whether the failure is a database error of a lost connection.
bool LostConnection(const std::exception_ptr& failure);

// How a run of the waits on the server ended, read as it ends: a command run after it (the
// refresh after an import) begins a run of its own.
struct RunEnd {
    bool stopped;     // "Parar" came during the run
    bool abandoned;   // a server did not answer and was given up
    bool source;      // that server was the source's alone
    static RunEnd Of(const ServerWait& waits);
};

// Raises the failure of a run as the user reads it: a stop as the stop, a lost connection (or a
// server given up) with what to do. Once the program is ending, only the log is told, and nothing
// is raised.
void RaiseRunFailure(const std::exception_ptr& failure, RunEnd end);
