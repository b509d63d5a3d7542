#pragma once

#include "platform/TStringList.h"

#include <QString>

// The activity log: lines appended by the copy and the cleanup, shown in the main window's
// "Log" tab and written beside the executable when the window closes.
extern TStringList ListaLog;
// True while the log is open; appending happens only then.
extern bool LogAtivo;

// Appends one line while the log is open; before that the line is dropped.
void RegistrarLog(const QString& line);

// Opens the log, empty, when the main window shows; opening it again keeps what it holds.
void OpenActivityLog();
// Ends the log with the window that owns it: later lines are dropped again.
void CloseActivityLog();
