#include "DestinationMaintenance.h"

#include "ExecutarDelecao.h"
#include "GeneratorTransfer.h"
#include "TriggerSwitch.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "catalogue/Workspace.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/ENotice.h"
#include "platform/ErrorGuard.h"

#include <QTreeWidget>
#include <functional>

namespace {

const QString Atencao = QStringLiteral("Atenção");

// Lists every table the cleanup will empty, in order, and says which of them the user did not mark.
QString Question(const QList<TTabela*>& ordem) {
    QString text = QStringLiteral("Apagar todas as linhas destas tabelas do destino, nesta ordem?\n");
    bool unmarked = false;
    for (const TTabela* tabela : ordem) {
        text += QLatin1Char('\n') + tabela->NomeTabela();
        if (!tabela->CheckedDelete()) {
            text += QStringLiteral(" (não marcada)");
            unmarked = true;
        }
    }
    if (unmarked)
        text += QStringLiteral(
            "\n\nAs tabelas não marcadas referenciam tabelas marcadas e por isso são esvaziadas também.");
    return text;
}

// Runs work under the busy cursor, then shows its closing message with the normal cursor. The
// window may handle its messages meanwhile: no other command changes the destination then.
void BusyThenWarn(const std::function<void()>& work, const QString& message) {
    {
        RecordsGuard maintenance(RecordsGuard::Maintenance);
        BusyCursor busy;
        work();
    }
    Dialogs().MessageBox(message, Atencao, MB_ICONWARNING);
}

// Runs work, then after on every way out. When work fails, its error is the one raised, whatever
// after does then.
void ThenAlways(const std::function<void()>& work, const std::function<void()>& after) {
    try {
        work();
    } catch (...) {
        try {
            after();
        } catch (...) {
        }
        throw;
    }
    after();
}

// A copy running underneath would go on filling a table emptied under it, and then call its
// copy done.
void RefuseTablesBeingCopied(const QList<TTabela*>& ordem) {
    for (const TTabela* tabela : ordem)
        if (tabela->Importando())
            throw ENotice(QStringLiteral("Aguarde: a importação da tabela %1 está em andamento.").arg(tabela->NomeTabela()),
                          MB_ICONWARNING);
}

}  // namespace

DestinationMaintenance::DestinationMaintenance(Workspace& workspace, QTreeWidget& TreeViewDelecao)
    : workspace_(workspace), treeViewDelecao_(TreeViewDelecao) {}

void DestinationMaintenance::btnEfetuarLimpezaClick() {
    RecordsGuard cleanup(RecordsGuard::Cleanup);
    bool done = false;
    // A log file that cannot be written after a failed cleanup is written again when the window closes.
    ThenAlways([&] { done = EmptyMarkedTables(); }, [this] { SaveLog(); });
    if (done) Dialogs().MessageBox(QStringLiteral("Limpeza da(s) tabela(s) efetuada!"), Atencao, MB_ICONINFORMATION);
}

bool DestinationMaintenance::EmptyMarkedTables() {
    QList<TTabela*> ordem;
    for (TTabela* tabela : MarkedTables()) DeletionOrder(*tabela, ordem);
    if (ordem.isEmpty()) return true;
    RefuseTablesBeingCopied(ordem);
    // The question shows the order the DELETEs go in.
    const QList<ForeignKey> keys = DestinationKeys(workspace_);
    ordem = OrderAllowedByKeys(ordem, keys);
    if (Dialogs().MessageBox(Question(ordem), Atencao, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;

    BusyCursor busy;
    CommitRunningCopy();
    try {
        RefuseRowsReferencingFromOutside(ordem, keys, workspace_);
    } catch (const std::exception& error) {
        // Nothing was deleted: the log says why, as it does for a DELETE that failed.
        RegistrarLog(QStringLiteral("Limpeza não efetuada: ") + ErrorMessage(error));
        throw;
    }
    ExecutarDelecao(ordem, keys, workspace_);
    return true;
}

QList<TTabela*> DestinationMaintenance::MarkedTables() const {
    QList<TTabela*> marcadas;
    for (TTabela* tabela : NodeTablesInOrder(treeViewDelecao_))
        if (tabela && tabela->CheckedDelete() && !marcadas.contains(tabela)) marcadas.append(tabela);
    return marcadas;
}

void DestinationMaintenance::CommitRunningCopy() {
    // A copy running underneath holds rows of its own; a DELETE or a trigger switch waiting for
    // them would wait for ever, since the copy cannot go on until this command ends.
    if (workspace_.CommitCopy) workspace_.CommitCopy();
}

void DestinationMaintenance::SaveLog() {
    if (workspace_.SaveLog) workspace_.SaveLog();
}

void DestinationMaintenance::btnDesabilitarTriggerClick() {
    BusyThenWarn([this] { Switch(false); }, QStringLiteral("Trigger's desativadas. Não esqueça de ativá-las!!!"));
}

void DestinationMaintenance::btnHabilitarTriggerClick() {
    BusyThenWarn([this] { Switch(true); }, QStringLiteral("Trigger's ativadas"));
}

void DestinationMaintenance::Switch(bool active) {
    CommitRunningCopy();
    try {
        SwitchTriggers(workspace_, active);
    } catch (...) {
        // Some may have been switched before the failure. A stop or a lost connection leaves
        // which ones unread: the window then says they may be off, and asks about them at the close.
        try {
            ReportTriggerState();
        } catch (...) {
            if (OnTriggersLeftOff) OnTriggersLeftOff(true);
        }
        throw;
    }
    ReportTriggerState();
}

void DestinationMaintenance::ReportTriggerState() {
    if (OnTriggersLeftOff) OnTriggersLeftOff(!TriggersLeftOff(workspace_).isEmpty());
}

void DestinationMaintenance::btnGeneratorsClick() {
    BusyThenWarn([this] {
        CommitRunningCopy();
        TransferGenerators(workspace_);
    }, QStringLiteral("Generatores transferidos!"));
}
