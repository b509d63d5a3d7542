#include "ConsoleReport.h"

#include "catalogue/ActivityLog.h"

#include <QProgressBar>
#include <QRegularExpression>
#include <QTreeWidget>
#include <cstdio>
#include <unistd.h>

namespace {

// The lines a script reads: a table's copy, a table's check, and the closing lines of both.
const QRegularExpression ReportedLine(QStringLiteral(
    "^(.+: \\d+ lidos, \\d+ inseridos, \\d+ rejeitados, em \\d\\d:\\d\\d:\\d\\d"
    "|Verificação .+: \\d+ iguais, .*"
    "|(Importação|Verificação) (concluída|interrompida|cancelada): .*)$"));

// The time left the row shows after the table's name ("TABELA 00:01:23 restante").
const QRegularExpression TimeLeft(QStringLiteral("^(.*) (\\d\\d:\\d\\d:\\d\\d) restante$"));

}  // namespace

void ConsoleReport::Write(const QString& text) {
    if (std::fputs(text.toLocal8Bit().constData(), stdout) < 0 || std::fflush(stdout) != 0) outputLost_ = true;
}

ConsoleReport::ConsoleReport(const QTreeWidget& ListView, QObject* parent)
    : QObject(parent), listView_(ListView), terminal_(isatty(STDOUT_FILENO) == 1) {
    WatchActivityLog([this](const QString& line) { Watch(line); });
    if (!terminal_) return;
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] { ShowProgress(); });
    timer_.start();
}

ConsoleReport::~ConsoleReport() {
    WatchActivityLog({});
    ClearProgress();
}

void ConsoleReport::Print(const QString& line) {
    ClearProgress();
    Write(line + QLatin1Char('\n'));
}

void ConsoleReport::PrintError(const QString& text) {
    ClearProgress();
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void ConsoleReport::Status(const QString& text) {
    if (text.startsWith(QStringLiteral("O servidor não responde há"))) {
        if (silenceSaid_.isValid() && silenceSaid_.elapsed() < 60000) return;
        silenceSaid_.start();
        // There is no button here: the signals stop the run.
        PrintError(QStringLiteral("vendrasol: ") +
                   QString(text).replace(QStringLiteral("Pressione \"Parar\" para interromper."),
                                         QStringLiteral("Ctrl+C ou SIGTERM interrompem.")));
    } else if (text.startsWith(QStringLiteral("O servidor respondeu depois de")) && silenceSaid_.isValid()) {
        silenceSaid_.invalidate();
        PrintError(QStringLiteral("vendrasol: ") + text);
    }
}

void ConsoleReport::Watch(const QString& logLine) {
    if (ReportedLine.match(logLine).hasMatch()) Print(logLine);
}

void ConsoleReport::ShowProgress() {
    // The job at work is the last row whose bar still moves.
    QTreeWidgetItem* row = nullptr;
    const QProgressBar* bar = nullptr;
    for (int i = listView_.topLevelItemCount() - 1; i >= 0 && !bar; --i) {
        row = listView_.topLevelItem(i);
        bar = qobject_cast<const QProgressBar*>(listView_.itemWidget(row, 1));
        if (bar && !bar->isEnabled()) bar = nullptr;
    }
    if (!bar || bar->maximum() <= 0) return ClearProgress();

    const QRegularExpressionMatch timed = TimeLeft.match(row->text(0));
    const QString table = timed.hasMatch() ? timed.captured(1) : row->text(0);
    if (table != table_) {
        table_ = table;
        firstRows_ = bar->value();
        since_.start();
    }
    QString text = QStringLiteral("%1  %2%").arg(table, QString::number(100LL * bar->value() / bar->maximum()));
    // The pace needs rows seen over a while: the first look at a table has none yet.
    if (const double seconds = since_.elapsed() / 1000.0; seconds >= 0.5)
        text += QStringLiteral("  %1 registros/s").arg((long long)((bar->value() - firstRows_) / seconds));
    if (timed.hasMatch()) text += QStringLiteral("  %1 restante").arg(timed.captured(2));
    const int width = int(text.size());
    Write(QLatin1Char('\r') + text + QString(std::max(0, shownWidth_ - width), QLatin1Char(' ')));
    shownWidth_ = width;
}

void ConsoleReport::ClearProgress() {
    if (shownWidth_ == 0) return;
    Write(QLatin1Char('\r') + QString(shownWidth_, QLatin1Char(' ')) + QLatin1Char('\r'));
    shownWidth_ = 0;
}
