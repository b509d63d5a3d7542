#pragma once

#include "CommandLine.h"
#include "ConsoleDialogs.h"
#include "ConsoleReport.h"

#include <QObject>
#include <QStringList>
#include <functional>

class TFPrincipal;

// "vendrasol --importar": the main window's own commands, run one after another on a window
// nobody sees, as a person would press them: "Conectar", the marks, "Desabilitar Triggers",
// "Efetuar Limpeza", "Importar Dados", "Generators", "Verificar Dados", and "Habilitar Triggers"
// on every way out once this run switched them off. A termination signal closes the window as it
// does for a person (the copy stops as "Parar" stops it); the run then presses "Parar" for any
// other command under way and does only what puts the destination back.
class CommandLineImport : public QObject {
public:
    // Exit statuses.
    static constexpr int Succeeded = 0, Differences = 1, Failed = 2, Interrupted = 130;

    CommandLineImport(TFPrincipal& window, const CommandLine& line);

    // Runs every step the line asks for and says how it went, as the exit status.
    int Run();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Steps();
    // Runs a command of the window through the command guard: false when it failed (its message
    // on standard error already).
    bool Command(const std::function<void()>& command);
    // Whether a termination signal asked the run to end; it is seen when messages are handled.
    bool Stopped();
    bool Mark();
    // Whether the cleanup --limpar asks for empties only tables the copy fills again, into a
    // destination whose structure the copy takes; says why not, before anything is deleted.
    bool CleanupLosesNothing();
    void MarkForCleanup();
    // After a cleanup that failed, names on standard error the tables it had emptied.
    void SayWhatTheCleanupEmptied();
    bool SwitchTriggersOff();
    // Says on standard error which triggers an earlier "Desabilitar Triggers" left off; false
    // when that could not be read.
    bool WarnOfTriggersLeftOff();
    static QString LeftOffText(const QStringList& leftOff);
    int Import();
    int Verify();
    void Refuse(const QString& message);

    TFPrincipal& window_;
    ImportOptions options_;
    ConsoleReport report_;
    ConsoleDialogs dialogs_;
    bool stopped_ = false;
    bool puttingBack_ = false;   // the steps are done: the triggers are being switched back on
    bool triggersOff_ = false;
};
