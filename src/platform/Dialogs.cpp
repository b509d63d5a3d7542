#include "Dialogs.h"

#include "Application.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace {

// A message longer than this shows its first lines, and the whole text under "details", so
// that the box and its buttons stay on the screen.
constexpr qsizetype MaxShownLines = 25;

QMessageBox::Icon IconOf(int flags) {
    switch (flags & 0xF0) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The window a box shows over: never another box, which may close first and take it along.
QWidget* Owner() {
    QWidget* owner = QApplication::activeWindow();
    while (qobject_cast<QMessageBox*>(owner)) owner = owner->parentWidget();
    return owner;
}

// The dialogs a person answers.
class QtDialogProvider final : public DialogProvider {
public:
    int MessageBox(const QString& text, const QString& caption, int flags) override {
        auto box = std::make_unique<QMessageBox>(IconOf(flags), caption, text, QMessageBox::Ok, Owner());
        // Server messages may hold '<' and '&': they are shown as they are.
        box->setTextFormat(Qt::PlainText);
        const QStringList lines = text.split(QLatin1Char('\n'));
        if (lines.size() > MaxShownLines) {
            box->setText(lines.first(MaxShownLines).join(QLatin1Char('\n')) + QStringLiteral("\n…"));
            box->setDetailedText(text);
        }
        if ((flags & 0x0F) != MB_YESNO) {
            // A message asks nothing: shown by a command run nested inside a copy (or whatever
            // handles the messages meanwhile), it stays on the screen without holding the copy.
            if (HandlingMessagesMeanwhile()) {
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->setModal(false);
                box.release()->show();
            } else {
                box->exec();
            }
            return IDOK;
        }
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->setText(QStringLiteral("Sim"));
        box->button(QMessageBox::No)->setText(QStringLiteral("Não"));
        // The questions ask before something is destroyed: a stray Enter must not confirm it.
        box->setDefaultButton(QMessageBox::No);
        return box->exec() == QMessageBox::Yes ? IDYES : IDNO;
    }

    std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) override {
        QFileDialog dialog(parent);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(QtNameFilters(filter));
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    int ExecModal(QDialog& dialog) override { return dialog.exec(); }
};

QtDialogProvider realDialogs;
DialogProvider* installed = nullptr;

}  // namespace

DialogProvider& Dialogs() { return installed ? *installed : realDialogs; }

void SetDialogProvider(DialogProvider* provider) { installed = provider; }

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file; here it would leave out the names without a dot.
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}
