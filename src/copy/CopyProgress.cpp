#include "CopyProgress.h"

#include "CopyContext.h"
#include "catalogue/Workspace.h"

#include <QProgressBar>
#include <QTime>
#include <QTreeWidget>

namespace {

constexpr double MillisecondsPerDay = 86400000.0;

// A time as a fraction of a day shown as a time of day: only the part within the day counts.
QString TimeOfDay(double fractionOfDay) {
    const qint64 ms = qint64(fractionOfDay * MillisecondsPerDay) % qint64(MillisecondsPerDay);
    return QTime(0, 0).addMSecs(int(std::max<qint64>(0, ms))).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

QProgressBar* AddProgressRow(QTreeWidget& listView, const QString& nomeTabela, QTreeWidgetItem*& row) {
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

double ShowTimeLeft(CopyContext& context, QTreeWidgetItem& row, const QString& nomeTabela, int done, int total,
                    double elapsedMs) {
    const double left = double(total - done) * (elapsedMs / done) / MillisecondsPerDay;
    row.setText(0, nomeTabela + QStringLiteral(" %1 restante").arg(TimeOfDay(left)));
    context.workspace.SetStatus(TimeOfDay(elapsedMs / MillisecondsPerDay));
    return left;
}

void ShowInterrupted(QTreeWidgetItem& row, const QString& nomeTabela) {
    row.setText(0, nomeTabela + QStringLiteral(" interrompida"));
    auto* bar = qobject_cast<QProgressBar*>(row.treeWidget()->itemWidget(&row, 1));
    if (!bar) return;
    // An empty range is drawn as a bar that moves for ever.
    if (bar->maximum() == 0) bar->setMaximum(1);
    bar->setEnabled(false);
}
