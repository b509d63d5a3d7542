#pragma once

#include <QFile>
#include <QLockFile>
#include <QString>
#include <QTimer>
#include <memory>

// The name of the log file, beside the executable.
inline const QString ActivityLogFileName = QStringLiteral("LogVendrasol.txt");

// The activity log's file, started anew for each run: every line as it is logged, ended by CR LF.
// Lines gather in the file's buffer and go to the system when it fills, at most a second after
// they were written, and at each Flush, so writing them costs the copy next to nothing.
class ActivityLogFile {
public:
    // Starts the file in the given folder or, when that folder cannot be written, in the user's
    // data folder; raises when neither can be written. While another run of the program keeps its
    // log there, this run's goes beside it, under a name of its own, and the other is left whole.
    explicit ActivityLogFile(const QString& folder);

    const QString& Path() const { return path_; }
    // Why the log is not where the window keeps it (its folder cannot be written, another run
    // holds it), for the user; empty when it is there.
    const QString& Moved() const { return moved_; }
    // Never raises: it is called from inside the copy. A failure is kept for the next Flush.
    void Write(const QString& line);
    // Hands every line written so far to the system; raises the failure met since the last Flush.
    void Flush();

private:
    // Starts the file at path, or beside it while another run holds it; false when it cannot be written.
    bool Start(const QString& path);
    void FlushQuietly();

    std::unique_ptr<QLockFile> lock_;
    QFile file_;
    QString path_;
    QString moved_;
    QString failure_;
    QTimer flushTimer_;
};
