#include "Program.h"

#include "CommandLineImport.h"
#include "TFPrincipal.h"
#include "WindowSettings.h"
#include "platform/TerminationRequest.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

namespace {

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void Print(FILE* stream, const QString& text) { std::fputs(text.toLocal8Bit().constData(), stream); }

}  // namespace

int RunProgram(int argc, char* argv[]) {
    // Help and version need no display: they are answered before the window system is asked for one.
    const QStringList arguments = Arguments(argc, argv);
    const CommandLine early = ParseCommandLine(arguments);
    if (early.action == CommandLine::ShowHelp || early.action == CommandLine::ShowVersion) {
        Print(stdout, early.action == CommandLine::ShowHelp ? CommandLineHelp() : VersionText());
        return 0;
    }
    // The copy from the command line runs the window's own code on a window nobody sees: it
    // needs no display, over ssh or from cron, and opens none where there is one.
    // So does a line it refuses, which opens no window either.
    if (AsksForImport(arguments) || (early.action == CommandLine::Refuse && qEnvironmentVariableIsEmpty("DISPLAY") &&
                                     qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    // Set once here: the names place the user's settings and data folders; the long one is what the user reads.
    QApplication::setOrganizationName(QStringLiteral("Vendrasol"));
    QApplication::setApplicationName(QStringLiteral("Vendrasol"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vendrasol de Dados"));
    QApplication::setApplicationVersion(QStringLiteral(VENDRASOL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vendrasol"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vendrasol")));

    // The window system's own options are gone from the arguments now.
    const CommandLine commandLine = ParseCommandLine(QApplication::arguments());
    if (commandLine.action == CommandLine::Refuse) {
        Print(stderr, QStringLiteral("vendrasol: %1\nExperimente 'vendrasol --help'.\n").arg(commandLine.error));
        return 2;
    }

    WindowSettings settings;
    TFPrincipal FPrincipal;
    if (commandLine.action == CommandLine::Import) {
        // The same record of switched-off triggers as the window's; the window's remembered paths
        // and place are left as they are.
        FPrincipal.workspace.StateFolder = settings.Folder();
        settings.Restore(FPrincipal, false);
        CloseOnTermination(FPrincipal);
        return CommandLineImport(FPrincipal, commandLine).Run();
    }
    PrepareMainWindow(FPrincipal, commandLine, settings);
    CloseOnTermination(FPrincipal);
    FPrincipal.show();
    return QApplication::exec();
}

void PrepareMainWindow(TFPrincipal& window, const CommandLine& commandLine, WindowSettings& settings) {
    window.Settings = &settings;
    window.workspace.StateFolder = settings.Folder();
    settings.Restore(window, !commandLine.hasPaths);
    if (commandLine.hasPaths) {
        window.edtCaminhoOrigem->setText(commandLine.origem);
        window.edtCaminhoDestino->setText(commandLine.destino);
    }
}
