#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program: vendrasol [ORIGEM DESTINO], --help, --version.
struct CommandLine {
    enum Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Run;
    // The two paths to put into the window, when the line names them.
    bool hasPaths = false;
    QString origem;
    QString destino;
    // Why the line was refused, for the user.
    QString error;
};

// Reads the arguments, the program's own name first. Help and version win over anything else on
// the line, so they can be answered before the window system's own options are taken out.
CommandLine ParseCommandLine(const QStringList& arguments);

// What --help and --version print.
QString CommandLineHelp();
QString VersionText();
