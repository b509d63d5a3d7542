#include "Program.h"

#include "TFPrincipal.h"

#include <QApplication>

int RunProgram(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The short name names the user's data folder; the long one is what the user reads.
    QApplication::setApplicationName(QStringLiteral("Vendrasol"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vendrasol de Dados"));

    TFPrincipal FPrincipal;
    FPrincipal.show();
    return QApplication::exec();
}
