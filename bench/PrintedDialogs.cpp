#include "PrintedDialogs.h"

#include <cstdio>

int PrintedDialogs::MessageBox(const QString& text, const QString&, int) {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    return IDNO;
}

std::optional<QString> PrintedDialogs::OpenFileName(QWidget*, const QString&) { return std::nullopt; }

int PrintedDialogs::ExecModal(QDialog&) { return 0; }
