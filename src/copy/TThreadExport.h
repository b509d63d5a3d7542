#pragma once

#include "platform/TClientDataSet.h"
#include "platform/TThread.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

class EDatabaseError;
class NullKeyRows;
class ResumeByKey;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class TDataSetProvider;
class TSQLDataSet;
class DestinationQueue;
class TTabela;
struct CopyContext;

// The copy job of one table. Building it copies the table: its progress row, the tables it
// depends on first (each through Exportar), then its rows, then the row goes.
// Threads: the main thread runs all of it, building, every step and Destroy. The job's own thread,
// started once the dependences are copied, only hands the steps back to the main thread once
// more, where they find them done and do nothing; it touches nothing itself. The rows' path to
// the destination (DestinationQueue) may wait for the server on a worker thread of its own.
class TThreadExport : public TThread {
public:
    // Builds the job and with it the whole copy. A failure destroys the job and reaches the caller.
    static TThreadExport* Create(QTreeWidget* listView, const QString& nomeTabela, CopyContext& context);
    ~TThreadExport() override;

    // Logs the job's end, frees its datasets, marks the table imported and waits for the job's own
    // thread. Raises what went wrong on the way, once everything has been let go.
    void Destroy();

    QTreeWidget* ListView;
    QTreeWidgetItem* ListItem = nullptr;
    TTabela* Tabela = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QRect AreaProgresso;
    // Each client dataset reads through its provider from its SQL dataset: they go in that order.
    std::unique_ptr<TSQLDataSet> SQLDSOrigem, SQLDSDestino;
    std::unique_ptr<TDataSetProvider> DSPOrigem, DSPDestino;
    std::unique_ptr<TClientDataSet> CDSOrigem, CDSDestino;
    // The time left at the last reporting row, as a fraction of a day. Rows are not timed one by one:
    // reading the clock twice a row cost more than a percent of the copy, and the time left comes
    // from the mean pace anyway.
    double TempoRestante = 0;
    int RecordCount = 0;
    int RecNo = 0;
    double TempoPassado = 0;    // ms on the job's clock when the row loop began

protected:
    void Execute() override;

private:
    TThreadExport(QTreeWidget* listView, const QString& nomeTabela, CopyContext& context);

    void Processar();
    void CriarProgresso();
    void ExportarDependencias();
    void ExportarRegistros();
    void ExportRegister();
    void AtualizarProgresso();
    void RemoverProgresso();
    void ReconcileError(TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind kind,
                        TReconcileAction& action);
    // Rows of this table not written, each logged already: in the table's line and the run's.
    void CountRefused(long long rows);

    // Exports the dependences last first, each under the synchronisation object when there is one.
    template <typename Wait, typename Release>
    void ExportEach(Wait wait, Release release);
    // A keyless table that already holds rows would get every row a second time.
    bool RefusesKeylessTable();
    void OpenDataSets();
    // Commits what went in before an error or a stop leaves the table. After an error the queued
    // rows are sent first; a stop sends nothing more. The log says how many rows read were not
    // sent, and the bar stays on the rows answered for (those lost by a failed commit not counted,
    // given the table's lost rows before its copy).
    void KeepAppliedRows(long long lostBefore) noexcept;
    // The end of a refused row's log line: its key, from the destination's fields, which hold
    // the row while it is refused.
    QString RefusedRowKey();
    double Now() const;

    using Clock = std::chrono::steady_clock;
    CopyContext& context_;
    QString nomeTabela_;
    bool stepsRun_ = false;
    std::unique_ptr<NullKeyRows> nullKeys_;
    std::unique_ptr<ResumeByKey> resume_;   // with "Enviar somente os registros que faltam"
    // Each source field with the destination field of the same name, found once per table.
    std::vector<std::pair<TField*, TField*>> fields_;
    std::unique_ptr<DestinationQueue> queue_;   // the rows' path to CDSDestino, once it is open
    QStringList keyColumns_;   // the destination's key; none: a refused row is named by its first columns
    long long rejected_ = 0;   // rows of this table refused
    Clock::time_point start_ = Clock::now();
};
