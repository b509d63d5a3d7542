#include "CommandLineImport.h"

#include "ClosestNames.h"
#include "TFPrincipal.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "copy/DataVerification.h"
#include "copy/ImportReach.h"
#include "copy/ImportRun.h"
#include "copy/StructureCheck.h"
#include "maintenance/ExecutarDelecao.h"
#include "maintenance/TriggerSwitch.h"
#include "platform/Application.h"
#include "platform/ErrorGuard.h"
#include "platform/TSQLConnection.h"

#include <QEvent>
#include <algorithm>

namespace {

// The top node of a table in a tree, where its own marks are made.
QTreeWidgetItem* RootOf(const QTreeWidget& tree, const TTabela* tabela) {
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        if (NodeTable(tree.topLevelItem(i)) == tabela) return tree.topLevelItem(i);
    return nullptr;
}

QStringList TableNames() {
    QStringList names;
    for (const TTabela* tabela : ListaTabelas.Items()) names << tabela->NomeTabela();
    return names;
}

// The table a name of --tabelas names: as typed (" LEAD" is a table of its own), else without its
// blanks ("CLIENTE, PEDIDO"), else in any case when one table alone has it so (CLIENTE and
// "cliente" are two tables, and "Cliente" neither). Null, with why, when none is.
TTabela* NamedTable(const QString& typed, QString& why) {
    const QString name = typed.trimmed();
    for (const QString& exact : {typed, name})
        for (TTabela* tabela : ListaTabelas.Items())
            if (tabela->NomeTabela() == exact) return tabela;
    QStringList inAnyCase;
    TTabela* found = nullptr;
    for (TTabela* tabela : ListaTabelas.Items())
        if (tabela->NomeTabela().compare(name, Qt::CaseInsensitive) == 0) {
            inAnyCase << tabela->NomeTabela();
            found = tabela;
        }
    if (inAnyCase.size() == 1) return found;
    why = inAnyCase.isEmpty() ? QStringLiteral("tabela desconhecida: %1 (as mais próximas: %2)")
                                    .arg(name, ClosestNames(name, TableNames()).join(QStringLiteral(", ")))
                              : QStringLiteral("tabela ambígua: %1 (%2)").arg(name, inAnyCase.join(QStringLiteral(", ")));
    return nullptr;
}

}  // namespace

CommandLineImport::CommandLineImport(TFPrincipal& window, const CommandLine& line)
    : window_(window),
      options_(line.import),
      report_(*window.ListView, nullptr),
      dialogs_(line.import.limpar, [this](const QString& text) { report_.PrintError(text); }) {
    window_.edtCaminhoOrigem->setText(line.origem);
    window_.edtCaminhoDestino->setText(line.destino);
    window_.installEventFilter(this);
    window_.workspace.SetStatus = [this, shown = window_.workspace.SetStatus](const QString& text) {
        shown(text);
        report_.Status(text);
    };
}

bool CommandLineImport::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_ || event->type() != QEvent::Close) return false;
    // Only a termination signal closes the unseen window: whatever command runs stops as with
    // "Parar"; a copy also stops through the window's own close. Once the steps are done, what is
    // left puts the destination back (its triggers on): a signal then is only noted.
    if (puttingBack_) {
        stopped_ = true;
        return true;
    }
    if (!stopped_) {
        stopped_ = true;
        window_.btnParar->click();
    }
    return false;
}

int CommandLineImport::Run() {
    // The run does what its options say, whatever the window last remembered in these boxes.
    window_.cbbCopiarReferenciasCirculares->setChecked(options_.duasEtapas);
    window_.cbbEnviarSomenteFaltantes->setChecked(options_.retomar);
    // The window opens its log and the log's file as it shows, offscreen.
    window_.show();
    // Refused rows are written nowhere else: a run that cannot keep its log copies nothing.
    if (ActivityLogFilePath().isEmpty()) return Failed;
    int status = Steps();
    puttingBack_ = true;
    if (triggersOff_ && !Command([this] { window_.btnHabilitarTriggerClick(); })) status = std::max(status, Failed);
    if (Stopped()) status = Interrupted;
    // A log that could not be written is said on standard error, and no path points at it.
    if (!Command([this] { window_.workspace.SaveLog(); })) return std::max(status, Failed);
    if (!ActivityLogFilePath().isEmpty()) report_.Print(QStringLiteral("Log: ") + ActivityLogFilePath());
    if (report_.OutputLost()) {
        report_.PrintError(QStringLiteral("vendrasol: a saída padrão não pôde ser escrita; o log tem todas as linhas."));
        return std::max(status, Failed);
    }
    return status;
}

int CommandLineImport::Steps() {
    if (!Command([this] { window_.btnConectaClick(); }) || !window_.SQLConnectionDestino.Connected()) return Failed;
    if (Stopped()) return Interrupted;
    if (!Mark()) return Failed;
    if (options_.limpar && !CleanupLosesNothing()) return Failed;
    if (options_.desabilitarTriggers ? !SwitchTriggersOff() : !WarnOfTriggersLeftOff()) return Failed;
    if (Stopped()) return Interrupted;
    if (options_.limpar) {
        MarkForCleanup();
        if (!Command([this] { window_.btnEfetuarLimpezaClick(); })) {
            SayWhatTheCleanupEmptied();
            return Failed;
        }
        if (dialogs_.Declined()) return Failed;
        if (Stopped()) return Interrupted;
    }
    const int copied = Import();
    if (copied != Succeeded && copied != Differences) return copied;
    if (options_.generators && !Command([this] { window_.btnGeneratorsClick(); })) return Failed;
    if (Stopped()) return Interrupted;
    return options_.verificar ? std::max(copied, Verify()) : copied;
}

bool CommandLineImport::Command(const std::function<void()>& command) { return RunGuarded(command); }

bool CommandLineImport::Stopped() {
    // The signal's byte waits on its pipe until messages are handled.
    ProcessMessages();
    return stopped_;
}

bool CommandLineImport::Mark() {
    if (options_.tabelas.isEmpty()) {
        window_.btnCheckAll->click();
        return true;
    }
    QList<TTabela*> tabelas;
    QStringList unknown;
    for (const QString& name : options_.tabelas) {
        QString why;
        if (TTabela* tabela = NamedTable(name, why))
            tabelas << tabela;
        else
            unknown << why;
    }
    if (!unknown.isEmpty()) {
        Refuse(unknown.join(QLatin1Char('\n')));
        return false;
    }
    // "Esta Tabela e todas as suas dependências" on each table's own node.
    window_.PageControlTabelas->setCurrentWidget(window_.TabSelecao);
    for (const TTabela* tabela : tabelas) {
        window_.TreeView->setCurrentItem(RootOf(*window_.TreeView, tabela));
        window_.EstaTabelaetodasassuasdependncias1->trigger();
    }
    return true;
}

bool CommandLineImport::CleanupLosesNothing() {
    // The cleanup empties every table that references a table it empties, copied or not: one the
    // copy does not fill again would be left empty.
    const QList<TTabela*> refilled = TablesACopyFillsAfterACleanup(*window_.TreeView);
    QList<TTabela*> ordem;
    for (TTabela* tabela : refilled) DeletionOrder(*tabela, ordem);
    QStringList notRefilled;
    for (TTabela* tabela : ordem)
        if (!refilled.contains(tabela)) notRefilled << tabela->NomeTabela();
    if (!notRefilled.isEmpty()) {
        Refuse(QStringLiteral("--limpar esvaziaria também %1, que referencia(m) as tabelas copiadas e não seria(m) "
                              "copiada(s) de novo: acrescente-a(s) a --tabelas.")
                   .arg(notRefilled.join(QStringLiteral(", "))));
        return false;
    }
    // A copy the structure check then cancels would leave the tables emptied for nothing.
    bool same = false;
    return Command([&] { same = CheckStructures(refilled, &window_, window_.Import()->Context()); }) && same;
}

void CommandLineImport::SayWhatTheCleanupEmptied() {
    // Each table commits its DELETE alone: those before the failure stay empty, and no copy follows.
    QStringList emptied;
    for (const TTabela* tabela : ListaTabelas.Items())
        if (tabela->Deletada()) emptied << tabela->NomeTabela();
    if (!emptied.isEmpty())
        report_.PrintError(QStringLiteral("vendrasol: a limpeza parou depois de esvaziar %1, que não foi(ram) copiada(s).")
                               .arg(emptied.join(QStringLiteral(", "))));
}

void CommandLineImport::MarkForCleanup() {
    // The tables the copy will fill, the marked ones and the tables they depend on, each "Somente
    // esta Tabela" on the cleanup tab: the cleanup itself empties first the tables that reference
    // them, and says so in its question.
    window_.PageControlTabelas->setCurrentWidget(window_.TabLimpeza);
    for (const TTabela* tabela : TablesACopyFillsAfterACleanup(*window_.TreeView)) {
        window_.TreeViewDelecao->setCurrentItem(RootOf(*window_.TreeViewDelecao, tabela));
        window_.SomenteestaTabela1->trigger();
    }
    window_.PageControlTabelas->setCurrentWidget(window_.TabSelecao);
}

bool CommandLineImport::WarnOfTriggersLeftOff() {
    // The window shows it in red; here the copy would run with them off and say nothing.
    QStringList leftOff;
    if (!Command([&] { leftOff = TriggersLeftOff(window_.workspace); })) return false;
    if (!leftOff.isEmpty())
        report_.PrintError(QStringLiteral("vendrasol: atenção: ") + LeftOffText(leftOff) +
                           QStringLiteral(". A cópia corre com elas desativadas."));
    return true;
}

QString CommandLineImport::LeftOffText(const QStringList& leftOff) {
    return QStringLiteral("estas triggers do destino continuam desativadas por um \"Desabilitar Triggers\" anterior: ") +
           leftOff.join(QStringLiteral(", "));
}

bool CommandLineImport::SwitchTriggersOff() {
    // "Habilitar Triggers" switches on every trigger on record as switched off from here; those a
    // run before left off would be switched on with this run's, though nobody asked for them.
    QStringList leftOff;
    if (!Command([&] { leftOff = TriggersLeftOff(window_.workspace); })) return false;
    if (!leftOff.isEmpty()) {
        Refuse(QStringLiteral("--desabilitar-triggers: ") + LeftOffText(leftOff) +
               QStringLiteral(". Ative-as com \"Habilitar Triggers\", na janela, antes."));
        return false;
    }
    // Some may be off when switching the others fails: they go back on too.
    triggersOff_ = true;
    return Command([this] { window_.btnDesabilitarTriggerClick(); });
}

int CommandLineImport::Import() {
    const CopyTotals& totals = window_.Import()->Context().totals;
    const long long rejectedBefore = totals.rejected;
    const long long skippedBefore = totals.skipped;
    const bool done = Command([this] { window_.Import()->btnImportarClick(); });
    if (Stopped()) return Interrupted;
    // A declined structure check copies nothing.
    if (!done || dialogs_.Declined()) return Failed;
    return totals.rejected > rejectedBefore || totals.skipped > skippedBefore ? Differences : Succeeded;
}

int CommandLineImport::Verify() {
    // Every table the copy may have filled, the dependences of dependences too: its exit status
    // speaks for all of them.
    for (TTabela* tabela : TablesACopyFillsAfterACleanup(*window_.TreeView)) tabela->SetChecked(true);
    if (!Command([this] { window_.Verification()->btnVerificarClick(); })) return Stopped() ? Interrupted : Failed;
    if (Stopped()) return Interrupted;
    for (const TTabela* tabela : ListaTabelas.Items())
        if (tabela->Checked() && !tabela->Importada()) return Differences;
    return Succeeded;
}

void CommandLineImport::Refuse(const QString& message) { report_.PrintError(QStringLiteral("vendrasol: ") + message); }
