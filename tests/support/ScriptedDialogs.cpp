#include "ScriptedDialogs.h"

#include <QDialog>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <thread>

ScriptedDialogs::ScriptedDialogs() : previous_(&Dialogs()) { SetDialogProvider(this); }

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogProvider(previous_);
    EXPECT_TRUE(fileAnswers_.empty()) << "file answers left unused";
    EXPECT_TRUE(questionAnswers_.empty()) << "answers to questions left unused";
}

int ScriptedDialogs::MessageBox(const QString& text, const QString& caption, int flags) {
    messages.push_back({text, caption, flags, QGuiApplication::overrideCursor() != nullptr});
    std::this_thread::sleep_for(readingTime);
    if ((flags & 0x0F) != MB_YESNO) return IDOK;
    if (questionAnswers_.empty()) {
        ADD_FAILURE() << "a question came with no answer queued: " << text.toStdString();
        return IDNO;
    }
    const int answer = questionAnswers_.front();
    questionAnswers_.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::OpenFileName(QWidget*, const QString& filter) {
    fileFilters.push_back(filter);
    if (fileAnswers_.empty()) {
        ADD_FAILURE() << "a file dialog opened with no answer queued";
        return std::nullopt;
    }
    const auto answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    if (!OnModal) {
        ADD_FAILURE() << "a modal dialog opened with no one to answer it";
        return QDialog::Rejected;
    }
    return OnModal(dialog);
}
