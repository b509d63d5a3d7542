#pragma once

#include "platform/TClientDataSet.h"
#include "platform/TThread.h"

#include <QRect>
#include <QString>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

class EDatabaseError;
class ResumeByKey;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class TDataSetProvider;
class TSQLDataSet;
class TTabela;
struct CopyContext;

// The copy job of one table. Building it copies the table: its progress row, the tables it
// depends on first (each through Exportar), then its rows, all on the main thread. Its own
// thread, started once the dependences are copied, only hands the steps back to the main thread
// once more, where they find them done and do nothing.
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
    std::unique_ptr<TSQLDataSet> SQLDSOrigem;
    std::unique_ptr<TDataSetProvider> DSPOrigem;
    std::unique_ptr<TClientDataSet> CDSOrigem;
    std::unique_ptr<TSQLDataSet> SQLDSDestino;
    std::unique_ptr<TDataSetProvider> DSPDestino;
    std::unique_ptr<TClientDataSet> CDSDestino;
    double TempoRestante = 0;   // the last row's duration in ms; on a reporting row the time left
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

    // Exports the dependences last first, each under the synchronisation object when there is one.
    template <typename Wait, typename Release>
    void ExportEach(Wait wait, Release release);
    // A keyless table that already holds rows would get every row a second time.
    bool RefusesKeylessTable();
    void OpenDataSets();
    // What ApplyQueued does with the rows posted and not yet sent.
    enum class Queued {
        Apply,   // sends them and waits for the server's answer on every row sent
        Send,    // sends them without waiting: the answer is taken at the next call
        Keep,    // takes the answer on the rows sent and leaves them unsent
    };
    // Counts the rows the server took for the next commit, also when it raises. Apply comes before
    // every commit and every time the window is shown anything; Send when the queue is full.
    void ApplyQueued(Queued how = Queued::Apply);
    // Waits for the server's answer on the rows on their way. Once the window is due to handle its
    // messages, it handles them while the copy waits: a slow answer never holds it back. True when
    // it did so.
    bool AwaitAnswer();
    // AwaitAnswer; when the window handled its messages meanwhile, "Parar" takes effect there: on
    // the answer to the rows in the air at the latest.
    void AwaitSending();
    // ApplyQueued without waiting, once the rows sent before are answered.
    void SendQueued();
    // ApplyQueued, the window handling its messages while the server answers.
    void FinishSending();
    // Commits what went in before an error or a stop leaves the table. After an error the queued
    // rows are sent first; a stop sends nothing more. The log says how many rows read were not
    // sent, and the bar stays on the rows answered for (those lost by a failed commit not counted,
    // given the table's lost rows before its copy).
    void KeepAppliedRows(long long lostBefore) noexcept;
    double Now() const;

    using Clock = std::chrono::steady_clock;
    CopyContext& context_;
    QString nomeTabela_;
    bool stepsRun_ = false;
    std::unique_ptr<ResumeByKey> resume_;   // with "Enviar somente os registros que faltam"
    // Each source field with the destination field of the same name, found once per table.
    std::vector<std::pair<TField*, TField*>> fields_;
    qsizetype queuedBytes_ = 0;   // of the values waiting in CDSDestino
    int sending_ = 0;             // rows on their way, not yet answered
    int queueRows_ = 1;           // rows posted before they are sent
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastReport_;
    Clock::duration lastSending_{};   // the queued rows' sending at the last reporting row
};
