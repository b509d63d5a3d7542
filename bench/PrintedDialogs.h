#pragma once

#include "platform/Dialogs.h"

// No one sits at a window driven by a program: a message box is printed and answered "Não" (or
// OK) at once, a file dialog is cancelled and a modal dialog rejected.
class PrintedDialogs final : public DialogProvider {
public:
    int MessageBox(const QString& text, const QString& caption, int flags) override;
    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override;
    int ExecModal(QDialog& dialog) override;
};
