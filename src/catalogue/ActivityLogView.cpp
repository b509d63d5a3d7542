#include "ActivityLogView.h"

#include "ActivityLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

QString EarlierLines(long long count) {
    const QString path = ActivityLogFilePath();
    return path.isEmpty() ? QStringLiteral("(%1 linha(s) anterior(es) não mostrada(s))").arg(count)
                          : QStringLiteral("(%1 linha(s) anterior(es) no arquivo %2)").arg(count).arg(path);
}

}  // namespace

void ActivityLogView::Refresh() {
    const long long logged = LoggedLineCount();
    if (logged == shown_) return;
    const QStringList& recent = ListaLog.Items();
    const long long added = logged - shown_;
    if (added < 0 || memoLines_ == 0 || memoLines_ + added > recent.size()) {
        // The log started over, or the memo would hold more than the recent lines: it shows them anew.
        QString text = QStringList(recent).join(QLatin1Char('\n'));
        if (logged > recent.size()) text.prepend(EarlierLines(logged - recent.size()) + QLatin1Char('\n'));
        memo_->setPlainText(text);
        memoLines_ = int(recent.size());
    } else {
        memo_->appendPlainText(QStringList(recent.mid(recent.size() - added)).join(QLatin1Char('\n')));
        memoLines_ += int(added);
    }
    shown_ = logged;
    memo_->verticalScrollBar()->setValue(memo_->verticalScrollBar()->maximum());
}
