#pragma once

class QPlainTextEdit;

// Shows the activity log in a memo. Each refresh adds only the lines logged since the last one,
// so a log of many thousand rejected rows costs no more to follow than a short one.
class ActivityLogView {
public:
    explicit ActivityLogView(QPlainTextEdit* memo) : memo_(memo) {}
    void Refresh();

private:
    QPlainTextEdit* memo_;
    int shown_ = 0;
};
