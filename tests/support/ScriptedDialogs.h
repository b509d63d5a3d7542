#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Answers every dialog for a test instead of a person, and records what was shown. Installed
// for its lifetime; the provider in place before comes back when it goes.
class ScriptedDialogs : public DialogProvider {
public:
    struct Message {
        QString text;
        QString caption;
        int flags;
        bool busyCursor;   // the busy cursor was showing when the box came up
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The next file dialogs pick this file, or are cancelled, in the order queued.
    void AnswerOpenFile(const QString& path) { fileAnswers_.push_back(path); }
    void CancelOpenFile() { fileAnswers_.push_back(std::nullopt); }
    // The next questions (MB_YESNO) get these answers, in the order queued. A question with no
    // answer queued fails the test and is answered "Não".
    void AnswerQuestion(int answer) { questionAnswers_.push_back(answer); }
    // Plays the part of the user in the next modal dialogs; returns the dialog's result.
    std::function<int(QDialog&)> OnModal;
    // How long the user reads each message box before answering it.
    std::chrono::milliseconds readingTime{0};

    std::vector<Message> messages;
    std::vector<QString> fileFilters;   // the filter each file dialog was opened with

    int MessageBox(const QString& text, const QString& caption, int flags) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
    int ExecModal(QDialog& dialog) override;

private:
    std::deque<std::optional<QString>> fileAnswers_;
    std::deque<int> questionAnswers_;
    DialogProvider* previous_;
};
