#include "DataVerification.h"

#include "ComparisonQuery.h"
#include "CopyContext.h"
#include "ProgressRow.h"
#include "RunDuration.h"
#include "RunFailure.h"
#include "SourceWait.h"
#include "TableComparison.h"
#include "WaitRun.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/ActivityLogView.h"
#include "catalogue/RecordsGuard.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableNodes.h"
#include "catalogue/Workspace.h"
#include "platform/DatabaseErrors.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/RowReadAhead.h"

#include <QAbstractButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// Every marked table of the tree, in the order of its own node.
QList<TTabela*> MarkedTables(const QTreeWidget& tree) {
    QList<TTabela*> marked;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        if (TTabela* tabela = NodeTable(tree.topLevelItem(i)); tabela && tabela->Checked()) marked << tabela;
    return marked;
}

}  // namespace

DataVerification::DataVerification(CopyContext& context, const VerificationControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    connect(controls_.btnVerificar, &QAbstractButton::clicked, this, [this] { RunGuarded([this] { btnVerificarClick(); }); });
}

void DataVerification::btnVerificarClick() {
    RecordsGuard verifying(RecordsGuard::Verify);
    context_.workspace.RequireConnections();
    const auto started = Clock::now();
    const auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - started).count(); };
    int equal = 0, different = 0;
    ++running_;
    const auto ended = qScopeGuard([this] { --running_; });
    ServerWait& waits = context_.transaction.Waits();
    try {
        // A stop that ended the last run is not this one's.
        const WaitRun run(waits);
        for (TTabela* tabela : MarkedTables(*controls_.TreeView)) (Verify(*tabela) ? equal : different)++;
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        Summarize(equal, different, seconds(), true);
        RaiseRunFailure(failure, RunEnd::Of(waits));
        return;
    }
    Summarize(equal, different, seconds(), false);
}

bool DataVerification::Verify(TTabela& tabela) {
    const QString nome = tabela.NomeTabela();
    TSQLConnection& origem = *context_.workspace.SQLConnection;
    TSQLConnection& destino = *context_.workspace.SQLConnectionDestino;
    ProgressRow progress(context_, nome);
    ComparisonResult result;
    ServerWait& waits = context_.transaction.Waits();
    try {
        std::optional<ComparisonQuery> described;
        waits.Run([&] { described.emplace(origem, destino, nome, tabela.FieldNames()->Items()); },
                  ServerWait::OnStop::Cancel);
        const ComparisonQuery& query = *described;
        RowReadAhead origemRows(origem, query.origemRows);
        RowReadAhead destinoRows(destino, query.rows);
        origemRows.Start();
        destinoRows.Start();
        // Counting the rows again would read each table twice: the last count shows the pace.
        const long long total = tabela.SourceRowCount() + tabela.DestinationRowCount();
        TableComparison comparison(query, origemRows, destinoRows, [&](long long read) { progress.Report(read, total); });
        try {
            result = comparison.Run();
        } catch (...) {
            // A stop or a failure leaves the readers in the middle of their rows; once stopped,
            // each side's request is cancelled, and a server that answers nothing is given up.
            SourceWait source(origem, waits);
            waits.Run(
                [&] {
                    for (RowReadAhead* reader : {&origemRows, &destinoRows}) reader->Stop([] {});
                },
                ServerWait::OnStop::Cancel, nullptr, [&] { source.Look(); });
            throw;
        }
    } catch (const EDatabaseError& error) {
        // A request "Parar" cut short says nothing of the table.
        if (IsConnectionLost(error) || waits.StopAsked()) throw;
        RegistrarLog(QStringLiteral("Verificação %1: não verificada: %2").arg(nome, error.Message()));
        tabela.SetImportada(false);
        return false;
    }
    Log(nome, result);
    tabela.SetImportada(result.Equal());
    return result.Equal();
}

void DataVerification::Log(const QString& nomeTabela, const ComparisonResult& result) {
    RegistrarLog(QStringLiteral("Verificação %1: %2 iguais, %3 diferentes, %4 faltando, %5 sobrando")
                     .arg(nomeTabela, QString::number(result.equal), QString::number(result.different),
                          QString::number(result.missing), QString::number(result.extra)));
    const std::pair<const char*, const QStringList*> kinds[] = {
        {"diferente", &result.differentRows}, {"faltando", &result.missingRows}, {"sobrando", &result.extraRows}};
    for (const auto& [kind, rows] : kinds)
        for (const QString& row : *rows) RegistrarLog(QStringLiteral("    %1: %2").arg(QLatin1String(kind), row));
    try {
        context_.log.Refresh();
    } catch (...) {
        // The memo catches up at the next refresh.
    }
}

void DataVerification::Summarize(int equal, int different, double seconds, bool interrupted) {
    const QString line = QStringLiteral("%1: %2 tabela(s) iguais, %3 com diferenças, em %4")
                             .arg(interrupted ? QStringLiteral("Verificação interrompida") : QStringLiteral("Verificação concluída"))
                             .arg(equal)
                             .arg(different)
                             .arg(RunDuration(seconds));
    RegistrarLog(line);
    context_.workspace.SetStatus(line);
    try {
        context_.log.Refresh();
        // Nothing logged so far is lost should the program die later.
        if (context_.workspace.SaveLog) context_.workspace.SaveLog();
    } catch (...) {
        // After a stop or a failure, that is the error to show.
        if (!interrupted) throw;
    }
}
