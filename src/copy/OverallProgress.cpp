#include "OverallProgress.h"

#include "CopyContext.h"
#include "RunControl.h"
#include "RunDuration.h"
#include "catalogue/TTabela.h"

#include <QLabel>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString Number(long long value) { return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(value); }

const QString Separator = QStringLiteral(" · ");

}  // namespace

void OverallProgress::Begin(const CopyTotals& totals) {
    total_ = 0;
    before_ = totals.inserted + totals.rejected;
    heldBefore_ = totals.held;
    done_ = 0;
    held_ = 0;
    started_.reset();
    paused_ = {};
    pausedSince_.reset();
    active_ = false;
    secondPass_ = false;
    if (label_) label_->clear();
}

void OverallProgress::Aim(const QList<TTabela*>& tables, const QHash<QString, QString>& uncopyable) {
    for (const TTabela* tabela : tables)
        if (!tabela->RowCountsEqual() && !uncopyable.contains(tabela->NomeTabela())) total_ += tabela->SourceRowCount();
    // Nothing to copy says nothing; a line of the last import would mislead.
    active_ = total_ > 0;
}

void OverallProgress::Count(const CopyTotals& totals) {
    done_ = std::max(0LL, totals.inserted + totals.rejected - before_);
    held_ = totals.held - heldBefore_;
}

double OverallProgress::Running(Clock::time_point now) const {
    return started_ ? std::chrono::duration<double>(now - *started_ - paused_).count() : 0;
}

void OverallProgress::Report(const CopyTotals& totals) {
    if (!active_) return;
    const Clock::time_point now = Clock::now();
    if (!started_) started_ = now;
    // The rows committed as the pause began are counted in its line.
    Count(totals);
    if (Pausado) {
        if (!pausedSince_) pausedSince_ = now;
        Show(QString(), QStringLiteral("Pausado"));
        return;
    }
    if (pausedSince_) paused_ += now - *std::exchange(pausedSince_, std::nullopt);
    const double seconds = Running(now);
    if (done_ == 0 || seconds <= 0) {
        Show(QString(), QString());
        return;
    }
    const double pace = done_ / seconds;
    if (secondPass_) return Show(QString(), QStringLiteral("segunda etapa"));
    Show(Number(std::llround(pace)) + QStringLiteral(" registros/s"),
         RunDuration(double(std::max(0LL, ToDo() - done_)) / pace) + QStringLiteral(" restante"));
}

void OverallProgress::SecondPass(const CopyTotals& totals) {
    secondPass_ = true;
    if (!active_) return;
    Count(totals);
    Show(QString(), QStringLiteral("segunda etapa"));
}

void OverallProgress::End(const CopyTotals& totals, bool interrupted) {
    if (!active_) return;
    const Clock::time_point now = Clock::now();
    if (pausedSince_) paused_ += now - *pausedSince_;
    active_ = false;
    Count(totals);
    const double seconds = Running(now);
    Show(seconds > 0 ? Number(std::llround(done_ / seconds)) + QStringLiteral(" registros/s") : QString(),
         interrupted ? QStringLiteral("interrompida") : QStringLiteral("concluída"));
}

void OverallProgress::Show(const QString& figures, const QString& state) {
    if (!label_) return;
    QString line = QStringLiteral("Total: %1 de %2 registros").arg(Number(done_), Number(ToDo()));
    for (const QString& part : {figures, state})
        if (!part.isEmpty()) line += Separator + part;
    label_->setText(line);
}
