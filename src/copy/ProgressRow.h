#pragma once

#include <QString>
#include <chrono>
#include <memory>

class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
struct CopyContext;

// A table's row in the "Progresso" list while a command works on it: its bar, the time left at the
// pace so far, the time elapsed in the status line, and the window's turn ("Pausar", "Parar") at
// least every ReportEvery. The row goes with the object, whatever ended the work.
// A job whose row must outlive a failure (the copy shows it interrupted, the second pass leaves it
// as it stood) keeps the row itself and draws it through the static members.
class ProgressRow {
public:
    ProgressRow(CopyContext& context, const QString& nomeTabela);
    ~ProgressRow();

    // Done of total (0: not known yet); the first call always gives the window its turn.
    void Report(long long done, long long total);

    // Appends the table's row to the "Progresso" list with an empty bar over its "Progresso" cell,
    // and returns the bar; deleting the row deletes the bar.
    static QProgressBar* Add(QTreeWidget& listView, const QString& nomeTabela, QTreeWidgetItem*& row);
    // Shows the time left at the mean pace of the rows done so far after the table's name in its row,
    // and the time elapsed in the status line. Returns the time left as a fraction of a day.
    static double ShowTimeLeft(CopyContext& context, QTreeWidgetItem& row, const QString& nomeTabela, int done,
                               int total, double elapsedMs);
    // The row of a job that did not finish stays, said interrupted in place of the time left, its
    // bar still.
    static void ShowInterrupted(QTreeWidgetItem& row, const QString& nomeTabela);

private:
    using Clock = std::chrono::steady_clock;
    CopyContext& context_;
    QString nomeTabela_;
    QTreeWidgetItem* row_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::unique_ptr<QTreeWidgetItem> owner_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point last_;
    bool reported_ = false;
};
