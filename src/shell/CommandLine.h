#pragma once

#include <QString>
#include <QStringList>

// What "--importar" asks of the copy, besides the two paths.
struct ImportOptions {
    QStringList tabelas;   // marked with their dependences; empty: every table
    bool desabilitarTriggers = false;
    bool limpar = false;
    bool generators = false;
    bool duasEtapas = false;
    bool retomar = false;
    bool verificar = false;
};

// What the command line asks of the program: vendrasol [ORIGEM DESTINO], --importar ORIGEM
// DESTINO [opções], --help, --version.
struct CommandLine {
    enum Action { Run, Import, ShowHelp, ShowVersion, Refuse };

    Action action = Run;
    // The two paths to put into the window, when the line names them.
    bool hasPaths = false;
    QString origem;
    QString destino;
    ImportOptions import;
    // Why the line was refused, for the user.
    QString error;
};

// Reads the arguments, the program's own name first. Help and version win over anything else on
// the line, so they can be answered before the window system's own options are taken out.
CommandLine ParseCommandLine(const QStringList& arguments);

// Whether the line asks for the copy without a window: the window system must then be chosen
// before the application starts.
bool AsksForImport(const QStringList& arguments);

// What --help and --version print.
QString CommandLineHelp();
QString VersionText();
