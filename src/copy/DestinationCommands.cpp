#include "DestinationCommands.h"

#include "CopyContext.h"
#include "RunControl.h"
#include "RunFailure.h"
#include "SourceWait.h"
#include "WaitRun.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/Workspace.h"
#include "platform/Dialogs.h"
#include "platform/ENotice.h"

#include <QScopeGuard>
#include <utility>

DestinationCommands::DestinationCommands(CopyContext& context) : context_(context) {
    context_.workspace.DestinationWait = [this](const std::function<void()>& work, Workspace::SourceUse source) {
        Step(work, source);
    };
}

DestinationCommands::~DestinationCommands() { context_.workspace.DestinationWait = nullptr; }

void DestinationCommands::Run(const std::function<void()>& command) {
    ServerWait& waits = context_.transaction.Waits();
    // A "Parar" pressed while nothing ran is the next import's, which stops at its first row.
    const bool stopPending = !RecordsGuard::Running() && std::exchange(PararProcesso, false);
    ++running_;
    const auto ended = qScopeGuard([&] {
        --running_;
        if (stopPending) PararProcesso = true;
    });
    try {
        const WaitRun run(waits);
        if (running_ == 1) stoppedBefore_ = waits.StopAsked() || PararProcesso || Encerrando;
        command();
    } catch (...) {
        RaiseRunFailure(std::current_exception(), RunEnd::Of(waits));
    }
}

void DestinationCommands::Step(const std::function<void()>& work, Workspace::SourceUse source) {
    ServerWait& waits = context_.transaction.Waits();
    // A stop asked during the command ends it before its next step. One asked before it began (by
    // the import it runs inside, or the program ending) leaves it to do what the user asked of it,
    // as does one outside any command (the trigger state read at "Conectar").
    if (running_ > 0 && !stoppedBefore_) {
        if (std::exchange(PararProcesso, false)) waits.AskStop();
        if (waits.StopAsked()) throw ENotice(QStringLiteral("Processo Parado!"), MB_ICONINFORMATION);
    }
    // A step may read the source as well (the counts, the generators' values).
    if (source == Workspace::SourceUse::Untouched) return waits.Run(work, ServerWait::OnStop::Cancel);
    SourceWait origem(*context_.workspace.SQLConnection, waits);
    waits.Run(work, ServerWait::OnStop::Cancel, nullptr, [&] { origem.Look(); });
}
