#pragma once

#include "platform/Dialogs.h"

#include <functional>

// The dialogs of the window run from the command line: every message goes to standard error in
// the window's own words, nobody being there to read a box. A question is answered as the command
// line decided beforehand; a modal dialog (the structure differences before a copy) is shown as
// text and declined, since nobody is there to weigh it.
class ConsoleDialogs final : public DialogProvider {
public:
    // yes: the answer to every question ("Sim" when the line said --sim); print writes a text on
    // standard error.
    ConsoleDialogs(bool yes, std::function<void(const QString&)> print);
    ~ConsoleDialogs() override;
    ConsoleDialogs(const ConsoleDialogs&) = delete;
    ConsoleDialogs& operator=(const ConsoleDialogs&) = delete;

    int MessageBox(const QString& text, const QString& caption, int flags) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
    int ExecModal(QDialog& dialog) override;

    // A dialog was declined since the run began: what it asked was not done.
    bool Declined() const { return declined_; }

private:
    bool yes_;
    std::function<void(const QString&)> print_;
    bool declined_ = false;
};
