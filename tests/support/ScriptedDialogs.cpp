#include "ScriptedDialogs.h"

#include <QDialog>
#include <gtest/gtest.h>

ScriptedDialogs::ScriptedDialogs() : previous_(&Dialogs()) { SetDialogProvider(this); }

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogProvider(previous_);
    EXPECT_TRUE(fileAnswers_.empty()) << "file answers left unused";
}

int ScriptedDialogs::MessageBox(const QString& text, const QString& caption, int flags) {
    messages.push_back({text, caption, flags});
    return IDOK;
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
