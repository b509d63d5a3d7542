#include "WindowTurn.h"

#include "CopyContext.h"
#include "RunControl.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/EDatabaseError.h"
#include "platform/ENotice.h"

void StopIfAsked(CopyContext& context) {
    ServerWait& waits = context.transaction.Waits();
    if (PararProcesso) {
        PararProcesso = false;
        waits.AskStop();
    }
    if (waits.StopAsked() || Encerrando) throw ENotice(QStringLiteral("Processo Parado!"), MB_ICONINFORMATION);
}

void ListenToTheWindow(CopyContext& context) {
    try {
        context.transaction.CommitIfDue();
    } catch (const EDatabaseError&) {
        // A commit that "Parar" cut off from a silent server: it said in the log what it lost, and
        // the stop below says the rest.
        if (!context.transaction.Waits().StopAsked()) throw;
    }
    ProcessMessages();
    context.listened = std::chrono::steady_clock::now();
    StopIfAsked(context);
    context.overall.Report(context.totals);
    if (Pausado) {
        context.transaction.Commit();
        // Only the program ending breaks a pause without "Continuar": the copy then stops there.
        while (Pausado && !Encerrando) WaitForMessages(20);
        if (Encerrando) StopIfAsked(context);
    }
}

void ListenToTheWindowWhenDue(CopyContext& context) {
    if (std::chrono::steady_clock::now() - context.listened >= ReportEvery) ListenToTheWindow(context);
}
