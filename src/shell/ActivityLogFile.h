#pragma once

#include <QFile>
#include <QString>
#include <QTimer>

// The name of the log file, beside the executable.
inline const QString ActivityLogFileName = QStringLiteral("LogVendrasol.txt");

// The activity log's file, started anew for each run: every line as it is logged, ended by CR LF.
// Lines gather in the file's buffer and go to the system when it fills, at most a second after
// they were written, and at each Flush, so writing them costs the copy next to nothing.
class ActivityLogFile {
public:
    // Starts the file in the given folder or, when that folder cannot be written, in the user's
    // data folder; raises when neither can be written.
    explicit ActivityLogFile(const QString& folder);

    const QString& Path() const { return path_; }
    // Never raises: it is called from inside the copy. A failure is kept for the next Flush.
    void Write(const QString& line);
    // Hands every line written so far to the system; raises the failure met since the last Flush.
    void Flush();

private:
    void FlushQuietly();

    QFile file_;
    QString path_;
    QString failure_;
    QTimer flushTimer_;
};
