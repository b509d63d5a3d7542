#include "ActivityLogView.h"

#include "ActivityLog.h"
#include "ErrorLines.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

QString EarlierLines(long long count) {
    const QString path = ActivityLogFilePath();
    return path.isEmpty() ? QStringLiteral("(%1 linha(s) anterior(es) não mostrada(s))").arg(count)
                          : QStringLiteral("(%1 linha(s) anterior(es) no arquivo %2)").arg(count).arg(path);
}

}  // namespace

ActivityLogView::ActivityLogView(QPlainTextEdit* memo) : memo_(memo) {
    QScrollBar* bar = memo_->verticalScrollBar();
    // Only the user's own scrolling says whether to follow: the memo moves its bar itself when
    // it lays its lines out.
    QObject::connect(bar, &QScrollBar::actionTriggered, memo_,
                     [this, bar] { following_ = bar->sliderPosition() >= bar->maximum(); });
    // A hidden memo measures its lines only once it shows, and then puts its bar back on the
    // line it had on top: the end is sought once that is done.
    QObject::connect(bar, &QScrollBar::rangeChanged, memo_,
                     [this] { QTimer::singleShot(0, memo_, [this] { FollowIfAtEnd(); }); });
}

void ActivityLogView::Refresh() {
    const long long logged = LoggedLineCount();
    if (logged == shown_) return;
    const QStringList& recent = ListaLog.Items();
    const long long added = logged - shown_;
    if (added < 0 || memoLines_ == 0) {
        // The log started over: the memo shows it anew.
        ShowAnew(recent, logged);
    } else if (memoLines_ + added > recent.size()) {
        // The memo would hold more than the recent lines: it shows them anew, and a user who
        // scrolled up keeps the line read in view, however many of the oldest lines went.
        const qsizetype kept = std::max<qsizetype>(0, recent.size() - added);
        const int dropped = memo_->blockCount() - int(Shown(recent.mid(0, kept)).size());
        const int top = memo_->verticalScrollBar()->value();
        ShowAnew(recent, logged);
        if (!following_) memo_->verticalScrollBar()->setValue(std::max(0, top - dropped + 1));
    } else {
        const QStringList lines = Shown(recent.mid(recent.size() - added));
        if (!lines.isEmpty()) memo_->appendPlainText(lines.join(QLatin1Char('\n')));
        memoLines_ += int(added);
    }
    shown_ = logged;
    FollowIfAtEnd();
}

void ActivityLogView::SetOnlyErrors(bool only) {
    if (only == onlyErrors_) return;
    onlyErrors_ = only;
    shown_ = LoggedLineCount();
    ShowAnew(ListaLog.Items(), shown_);
    following_ = true;
    FollowIfAtEnd();
}

void ActivityLogView::ShowAnew(const QStringList& recent, long long logged) {
    QStringList lines = Shown(recent);
    if (logged > recent.size()) lines.prepend(EarlierLines(logged - recent.size()));
    memo_->setPlainText(lines.join(QLatin1Char('\n')));
    memoLines_ = int(recent.size());
}

QStringList ActivityLogView::Shown(const QStringList& lines) const {
    if (!onlyErrors_) return lines;
    QStringList errors;
    for (const QString& line : lines)
        if (IsErrorLine(line)) errors << line;
    return errors;
}

void ActivityLogView::FollowIfAtEnd() {
    if (following_) memo_->verticalScrollBar()->setValue(memo_->verticalScrollBar()->maximum());
}
