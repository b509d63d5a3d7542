#pragma once

class QWidget;

// A request from outside to end the program (SIGTERM when the session ends, SIGINT from a
// terminal, SIGHUP when the terminal goes away) closes the window the way the user closes it. Left to itself, the database library
// answers such a signal by shutting every connection down and leaves the program running on
// dead connections.
void CloseOnTermination(QWidget& window);

// Whether the close under way comes from such a signal: the window then asks nothing.
bool ClosingOnTermination();
