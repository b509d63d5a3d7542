#pragma once

#include <QString>

// Where the program's own files are. A build keeps them beside its executable. An installed
// program finds its help text in its data folder and keeps its log in the user's data folder:
// a system folder is no place for it, even for a user who could write there.

// The help text beside the executable or else in the data folder; empty when there is none.
QString HelpFile(const QString& programFolder);

// The folder the activity log is written to, unless that fails.
QString LogFolder(const QString& programFolder);
