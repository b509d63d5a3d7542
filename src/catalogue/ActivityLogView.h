#pragma once

class QPlainTextEdit;

// Shows the activity log's most recent lines in a memo; when the log has more, a first line says
// how many came before and which file holds them. Each refresh adds only the lines logged since
// the last one, so a long log costs no more to follow than a short one.
class ActivityLogView {
public:
    explicit ActivityLogView(QPlainTextEdit* memo) : memo_(memo) {}
    void Refresh();

private:
    QPlainTextEdit* memo_;
    long long shown_ = 0;   // lines logged when the memo was last brought up to date
    int memoLines_ = 0;     // lines of the log in the memo, the line about earlier ones not counted
};
