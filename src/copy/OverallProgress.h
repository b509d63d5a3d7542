#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <chrono>
#include <optional>

class QLabel;
class TTabela;
struct CopyTotals;

// The line for the whole import beside the per-table bars: "Total: 120.000 de 320.012 registros ·
// 58.000 registros/s · 00:00:04 restante". The rows to do are those the tables the import copies
// (the marked ones and their dependences) hold in the source at the last count, leaving out the
// tables whose counts are already equal; a row is done
// once the destination took or refused it; rows it was found holding already are no longer to do.
// A pause holds the clock: the line says "Pausado", and the time it lasts counts neither in the
// pace nor in the time left. GUI thread only.
class OverallProgress {
public:
    // Where the line shows; with none, nothing is shown.
    void ShowIn(QLabel* label) { label_ = label; }
    // An import begins, with the run's totals as they stand.
    void Begin(const CopyTotals& totals);
    // The tables it copies, once the structure check has said which the destination cannot take:
    // their source rows are the rows to do, those of a table whose counts are equal left out.
    void Aim(const QList<TTabela*>& tables, const QHash<QString, QString>& uncopyable);
    // The rows are in, and the second pass sets the references they were copied without: its
    // time is not the rows', and the line says so instead.
    void SecondPass(const CopyTotals& totals);
    // A reporting row of the copy.
    void Report(const CopyTotals& totals);
    // The import ended: the line keeps its figures and says how it ended.
    void End(const CopyTotals& totals, bool interrupted);

private:
    using Clock = std::chrono::steady_clock;
    // Takes the figures of the totals.
    void Count(const CopyTotals& totals);
    long long ToDo() const { return std::max(0LL, total_ - held_); }
    // The seconds the copy ran, the pauses left out.
    double Running(Clock::time_point now) const;
    void Show(const QString& figures, const QString& state);

    QLabel* label_ = nullptr;   // the window's, which outlives the import
    bool active_ = false;
    bool secondPass_ = false;
    long long total_ = 0;
    long long before_ = 0;   // rows the totals held when the import began
    long long done_ = 0;
    long long heldBefore_ = 0;   // rows found in the destination when the import began
    long long held_ = 0;         // found since
    // The first reporting row: a question before the copy (the structure check's) is no time of it.
    std::optional<Clock::time_point> started_;
    Clock::duration paused_{};
    std::optional<Clock::time_point> pausedSince_;
};
