#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;
class QDialog;

// Message-box flags, as the commands pass them.
enum MessageBoxFlag : int {
    MB_OK = 0x00,
    MB_YESNO = 0x04,             // a question: "Sim" and "Não"
    MB_ICONSTOP = 0x10,          // critical error
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

// What MessageBox answers: OK when the user confirms a message; Yes or No to a question.
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Every message box, file dialog and modal dialog goes through here, so tests can answer them.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual int MessageBox(const QString& text, const QString& caption, int flags) = 0;
    // filter in the "Description|pattern|Description|pattern" form; nullopt when cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) = 0;
    virtual int ExecModal(QDialog& dialog) = 0;
};

// The provider in use: the real dialogs unless a test has installed its own.
DialogProvider& Dialogs();
// Installs a provider (nullptr restores the real dialogs); the caller keeps ownership.
void SetDialogProvider(DialogProvider* provider);

// The "Description|pattern;pattern|..." filter as Qt's name filters ("Description (pattern pattern)").
QStringList QtNameFilters(const QString& filter);
