#pragma once

#include <QStringList>

class QPlainTextEdit;

// Shows the activity log's most recent lines in a memo; when the log has more, a first line says
// how many came before and which file holds them. Each refresh adds only the lines logged since
// the last one, so a long log costs no more to follow than a short one. The memo follows new lines
// to the end unless the user has scrolled up, also while it is hidden behind another tab.
class ActivityLogView {
public:
    explicit ActivityLogView(QPlainTextEdit* memo);
    void Refresh();
    // Shows only the refused rows and the errors, or every line again; the log keeps them all.
    void SetOnlyErrors(bool only);

private:
    void ShowAnew(const QStringList& recent, long long logged);
    QStringList Shown(const QStringList& lines) const;
    void FollowIfAtEnd();

    QPlainTextEdit* memo_;
    bool onlyErrors_ = false;
    bool following_ = true;   // the user has not scrolled up from the end
    long long shown_ = 0;     // lines logged when the memo was last brought up to date
    int memoLines_ = 0;       // recent lines of the log the memo stands for, shown or left out
};
