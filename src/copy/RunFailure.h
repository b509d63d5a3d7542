#pragma once

#include <exception>

class ServerWait;

// Whether the failure is a database error of a lost connection.
bool LostConnection(const std::exception_ptr& failure);

// Raises the failure of a run of the waits as the user reads it: a stop as the stop, a lost
// connection (or a server given up) with what to do. Once the program is ending, only the log is
// told, and nothing is raised.
void RaiseRunFailure(const std::exception_ptr& failure, const ServerWait& waits);
