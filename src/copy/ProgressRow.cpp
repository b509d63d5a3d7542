#include "ProgressRow.h"

#include "CopyContext.h"
#include "WindowTurn.h"
#include "catalogue/Workspace.h"

#include <QProgressBar>
#include <QTime>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

// A time as a fraction of a day shown as a time of day: only the part within the day counts.
QString TimeOfDay(double fractionOfDay) {
    const qint64 ms = qint64(fractionOfDay * MillisecondsPerDay) % qint64(MillisecondsPerDay);
    return QTime(0, 0).addMSecs(int(std::max<qint64>(0, ms))).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

ProgressRow::ProgressRow(CopyContext& context, const QString& nomeTabela) : context_(context), nomeTabela_(nomeTabela) {
    bar_ = Add(*context.ListView, nomeTabela, row_);
    owner_.reset(row_);
}

ProgressRow::~ProgressRow() = default;

void ProgressRow::Report(long long done, long long total) {
    const Clock::time_point now = Clock::now();
    if (reported_ && now - last_ < ReportEvery) return;
    if (total > 0) {
        // The bar counts in int: the rows of a table too large for it, in steps.
        const double scale = std::max(1.0, double(total) / std::numeric_limits<int>::max());
        const int shown = int(double(std::min(done, total)) / scale), all = int(double(total) / scale);
        bar_->setMaximum(all);
        bar_->setValue(shown);
        if (shown > 0)
            ShowTimeLeft(context_, *row_, nomeTabela_, shown, all,
                         std::chrono::duration<double, std::milli>(now - started_).count());
    }
    ListenToTheWindow(context_);
    reported_ = true;
    last_ = Clock::now();
}

QProgressBar* ProgressRow::Add(QTreeWidget& listView, const QString& nomeTabela, QTreeWidgetItem*& row) {
    row = new QTreeWidgetItem(&listView);
    row->setText(0, nomeTabela);
    auto* bar = new QProgressBar;
    bar->setTextVisible(true);
    bar->setValue(0);
    // The view lays the bar over the row's "Progresso" cell and deletes it with the row.
    listView.setItemWidget(row, 1, bar);
    row->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<QObject*>(bar)));
    return bar;
}

double ProgressRow::ShowTimeLeft(CopyContext& context, QTreeWidgetItem& row, const QString& nomeTabela, int done,
                                 int total, double elapsedMs) {
    const double left = double(total - done) * (elapsedMs / done) / MillisecondsPerDay;
    row.setText(0, nomeTabela + QStringLiteral(" %1 restante").arg(TimeOfDay(left)));
    context.workspace.SetStatus(TimeOfDay(elapsedMs / MillisecondsPerDay));
    return left;
}

void ProgressRow::ShowInterrupted(QTreeWidgetItem& row, const QString& nomeTabela) {
    row.setText(0, nomeTabela + QStringLiteral(" interrompida"));
    auto* bar = qobject_cast<QProgressBar*>(row.treeWidget()->itemWidget(&row, 1));
    if (!bar) return;
    // An empty range is drawn as a bar that moves for ever.
    if (bar->maximum() == 0) bar->setMaximum(1);
    bar->setEnabled(false);
}
