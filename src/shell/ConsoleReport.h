#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QTreeWidget;

// What the command line prints while the window's commands run unseen. On standard output: the
// activity log's lines a script reads (each table's line as its copy or check ends, and the
// closing lines); on a terminal only, one progress line rewritten in place from the window's
// "Progresso" list: table, percentage, rows per second and time left. Runs on the main thread,
// the list being read when the copy lets the window handle its messages.
class ConsoleReport : public QObject {
public:
    ConsoleReport(const QTreeWidget& ListView, QObject* parent);
    ~ConsoleReport() override;

    // Prints a line of its own on standard output, or a message on standard error, in place of
    // the progress line.
    void Print(const QString& line);
    void PrintError(const QString& text);
    // The window's status line, of which a script needs only a server's silence: said on standard
    // error the first time, then once a minute, and the server's answer after it.
    void Status(const QString& text);
    // Whether a line meant for standard output could not be written (a full disk, a reader gone).
    bool OutputLost() const { return outputLost_; }

private:
    void Watch(const QString& logLine);
    void ShowProgress();
    void ClearProgress();
    void Write(const QString& text);

    const QTreeWidget& listView_;
    const bool terminal_;
    QTimer timer_;
    // The pace of the table on the progress line, from its first rows seen.
    QString table_;
    long long firstRows_ = 0;
    QElapsedTimer since_;
    int shownWidth_ = 0;
    QElapsedTimer silenceSaid_;
    bool outputLost_ = false;
};
