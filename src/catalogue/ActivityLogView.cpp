#include "ActivityLogView.h"

#include "ActivityLog.h"

#include <QPlainTextEdit>
#include <QScrollBar>

void ActivityLogView::Refresh() {
    const QStringList& lines = ListaLog.Items();
    if (lines.size() < shown_) {
        // The log started over: show it from its first line.
        memo_->clear();
        shown_ = 0;
    }
    if (lines.size() == shown_) return;
    const QString added = QStringList(lines.mid(shown_)).join(QLatin1Char('\n'));
    if (shown_ == 0)
        memo_->setPlainText(added);
    else
        memo_->appendPlainText(added);
    shown_ = int(lines.size());
    memo_->verticalScrollBar()->setValue(memo_->verticalScrollBar()->maximum());
}
