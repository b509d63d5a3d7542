#pragma once

#include <QString>
#include <exception>
#include <functional>

// The text the user reads for an error: the whole message of our own errors (a server's with
// every line), what() of any other.
QString ErrorMessage(const std::exception& error);

// The application's default error handler: shows the error's message in a message box.
void ShowException(const std::exception& error);

// Runs a command so that no exception leaves it: whatever it raises is shown by ShowException.
// Every command handler of the windows runs through here. True when the command ended without
// an error.
bool RunGuarded(const std::function<void()>& command);
