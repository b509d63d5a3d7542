#pragma once

#include "platform/TStringList.h"

#include <QString>
#include <functional>

// The activity log: lines appended by the copy and the cleanup. Every line goes to the log file
// as it is logged; the most recent ones are also kept here, for the main window's "Log" tab. A
// run that refuses millions of rows thus needs no more memory for its log than a short one.
extern TStringList ListaLog;   // the most recent lines, RecentLogLines at most, oldest first
// True while the log is open; appending happens only then.
extern bool LogAtivo;
constexpr int RecentLogLines = 10000;

// Appends one line while the log is open; before that the line is dropped.
void RegistrarLog(const QString& line);
// Lines logged since the log was opened, those ListaLog no longer holds included.
long long LoggedLineCount();

// Sends every line logged from now on to write as well; path names the file that holds them.
void SetActivityLogFile(const QString& path, std::function<void(const QString& line)> write);
// Shows every line logged from now on to watch as well (the command line prints some of them);
// an empty one stops that.
void WatchActivityLog(std::function<void(const QString& line)> watch);
// The file that holds every line of the log; empty while there is none.
const QString& ActivityLogFilePath();

// Opens the log, empty, when the main window shows; opening it again keeps what it holds.
void OpenActivityLog();
// Ends the log with the window that owns it and its file: later lines are dropped again.
void CloseActivityLog();
