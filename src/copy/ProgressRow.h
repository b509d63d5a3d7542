#pragma once

#include <QString>
#include <chrono>
#include <memory>

class QProgressBar;
class QTreeWidgetItem;
struct CopyContext;

// A table's row in the "Progresso" list while a command works on it: its bar, the time left at the
// pace so far, the time elapsed in the status line, and the window's turn ("Pausar", "Parar") at
// least every ReportEvery. The row goes with the object, whatever ended the work.
class ProgressRow {
public:
    ProgressRow(CopyContext& context, const QString& nomeTabela);
    ~ProgressRow();

    // Done of total (0: not known yet); the first call always gives the window its turn.
    void Report(long long done, long long total);

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
