#include "ConsoleDialogs.h"

#include <QDialog>
#include <QLabel>
#include <QTreeWidget>
#include <utility>

namespace {

// A tree's rows as indented lines, its cells separated by " | ".
void AddRows(const QTreeWidgetItem& parent, int depth, QStringList& lines) {
    for (int i = 0; i < parent.childCount(); ++i) {
        const QTreeWidgetItem& row = *parent.child(i);
        QStringList cells;
        for (int column = 0; column < row.columnCount(); ++column) cells << row.text(column);
        while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        lines << QString(depth * 2, QLatin1Char(' ')) + cells.join(QStringLiteral(" | "));
        AddRows(row, depth + 1, lines);
    }
}

// What a person would read in the dialog: its texts and lists, top to bottom.
QString DialogText(const QDialog& dialog) {
    QStringList lines{dialog.windowTitle()};
    for (const QObject* child : dialog.children()) {
        if (const auto* label = qobject_cast<const QLabel*>(child)) lines << label->text();
        if (const auto* tree = qobject_cast<const QTreeWidget*>(child)) AddRows(*tree->invisibleRootItem(), 1, lines);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

ConsoleDialogs::ConsoleDialogs(bool yes, std::function<void(const QString&)> print) : yes_(yes), print_(std::move(print)) {
    SetDialogProvider(this);
}

ConsoleDialogs::~ConsoleDialogs() { SetDialogProvider(nullptr); }

int ConsoleDialogs::MessageBox(const QString& text, const QString&, int flags) {
    print_(text);
    if ((flags & 0x0F) != MB_YESNO) return IDOK;
    print_(yes_ ? QStringLiteral("Sim") : QStringLiteral("Não"));
    declined_ = declined_ || !yes_;
    return yes_ ? IDYES : IDNO;
}

std::optional<QString> ConsoleDialogs::OpenFileName(QWidget*, const QString&) { return std::nullopt; }

int ConsoleDialogs::ExecModal(QDialog& dialog) {
    print_(DialogText(dialog));
    print_(QStringLiteral("Não (sem janela, a importação não segue com estas diferenças)"));
    declined_ = true;
    return QDialog::Rejected;
}
