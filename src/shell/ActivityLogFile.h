#pragma once

#include <QString>

// The name of the log file, beside the executable.
inline const QString ActivityLogFileName = QStringLiteral("LogVendrasol.txt");

// Saves the whole activity log, lines ended by CR LF, replacing any earlier file, in the given
// folder or, when that folder cannot be written, in the user's data folder. Returns the path
// written; raises when neither place can be written.
QString SaveActivityLog(const QString& folder);
