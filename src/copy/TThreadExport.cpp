#include "TThreadExport.h"

#include "CopyContext.h"
#include "DestinationQueue.h"
#include "Exportar.h"
#include "ProgressRow.h"
#include "NullKeyRows.h"
#include "ResumeByKey.h"
#include "RowKeyText.h"
#include "RunControl.h"
#include "SecondPass.h"
#include "SourceWait.h"
#include "StructureCheck.h"
#include "TableSummary.h"
#include "WindowTurn.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/ActivityLogView.h"
#include "catalogue/TListaTabelas.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableKeys.h"
#include "catalogue/Workspace.h"
#include "platform/Application.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/Exception.h"
#include "platform/KernelHandles.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"

#include <QProgressBar>
#include <QScopeGuard>
#include <QTreeWidget>

namespace {

template <typename Component, typename Link>
std::unique_ptr<Component> Named(Link link, const QString& name) {
    auto component = std::make_unique<Component>(link);
    component->Name = name;
    return component;
}

const QString KindWords[] = {QStringLiteral("ALTERAR "), QStringLiteral("INSERIR "), QStringLiteral("EXCLUIR ")};

}  // namespace

TThreadExport::TThreadExport(QTreeWidget* listView, const QString& nomeTabela, CopyContext& context)
    : ListView(listView), context_(context), nomeTabela_(nomeTabela) {
    Tabela = ListaTabelas.TableByName(nomeTabela);
    if (!Tabela) throw Exception(QStringLiteral("Tabela %1 não está no catálogo").arg(nomeTabela));
    Tabela->SetImportando(true);
    Tabela->SetImportada(false);

    const Workspace& workspace = context.workspace;
    SQLDSOrigem = Named<TSQLDataSet>(workspace.SQLConnection, QStringLiteral("SQLDSOrigem") + nomeTabela);
    DSPOrigem = Named<TDataSetProvider>(SQLDSOrigem.get(), QStringLiteral("DSPOrigem") + nomeTabela);
    CDSOrigem = Named<TClientDataSet>(DSPOrigem.get(), QStringLiteral("CDSOrigem") + nomeTabela);
    // The source's rows are read on a thread of their own: the window answers while the next wait.
    CDSOrigem->OnWaitRows = [source = std::make_shared<SourceWait>(*workspace.SQLConnection,
                                                                    context.transaction.Waits())] {
        ProcessMessages();
        source->Look();
    };
    SQLDSDestino = Named<TSQLDataSet>(workspace.SQLConnectionDestino, QStringLiteral("FSQLDSDestino") + nomeTabela);
    DSPDestino = Named<TDataSetProvider>(SQLDSDestino.get(), QStringLiteral("DSPDestino") + nomeTabela);
    CDSDestino = Named<TClientDataSet>(DSPDestino.get(), QStringLiteral("CDSDestino") + nomeTabela);
    const auto reconcile = [this](TClientDataSet& dataSet, const EDatabaseError& error, TUpdateKind kind,
                                  TReconcileAction& action) { ReconcileError(dataSet, error, kind, action); };
    CDSOrigem->OnReconcileError = reconcile;
    CDSDestino->OnReconcileError = reconcile;
}

TThreadExport* TThreadExport::Create(QTreeWidget* listView, const QString& nomeTabela, CopyContext& context) {
    auto* job = new TThreadExport(listView, nomeTabela, context);
    try {
        RegistrarLog(QStringLiteral("Create(") + nomeTabela + QLatin1Char(')'));
        job->Synchronize([job] { job->Execute(); });
    } catch (...) {
        if (job->ListItem) ProgressRow::ShowInterrupted(*job->ListItem, nomeTabela);
        try {
            job->Destroy();
        } catch (...) {
            // The copy's own error is the one to report.
        }
        // Not imported: its rows are not all in, and the count that would tell may not be had.
        job->Tabela->SetImportada(false);
        delete job;
        throw;
    }
    return job;
}

TThreadExport::~TThreadExport() {
    // The thread's hand-over may still be queued: it must find the job whole.
    WaitFor();
}

void TThreadExport::Destroy() {
    RegistrarLog(QStringLiteral("Destroy(") + nomeTabela_ + QLatin1Char(')'));
    std::exception_ptr failure;
    for (TClientDataSet* dataSet : {CDSOrigem.get(), CDSDestino.get()}) {
        try {
            if (dataSet) dataSet->Close();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    queue_.reset();
    SQLDSOrigem.reset();
    DSPOrigem.reset();
    CDSOrigem.reset();
    SQLDSDestino.reset();
    DSPDestino.reset();
    CDSDestino.reset();
    Tabela->SetImportando(false);
    Tabela->SetImportada(true);
    WaitFor();
    if (failure) std::rethrow_exception(failure);
}

void TThreadExport::Execute() {
    Synchronize([this] { Processar(); });
    Sleep(50);
}

void TThreadExport::Processar() {
    if (Tabela->WaitDependence()) return;
    if (Tabela->Importada() && Tabela->Importando()) return;
    // The job's own thread hands the steps over a second time: they ran when the job was built.
    if (stepsRun_) return;
    stepsRun_ = true;
    Synchronize([this] { CriarProgresso(); });
    Synchronize([this] { ExportarDependencias(); });
    Synchronize([this] { ExportarRegistros(); });
    Synchronize([this] { RemoverProgresso(); });
}

void TThreadExport::CriarProgresso() {
    ProgressBar = ProgressRow::Add(*ListView, nomeTabela_, ListItem);
    AreaProgresso = ListView->visualItemRect(ListItem);
    AreaProgresso.setLeft(AreaProgresso.left() + ListView->columnWidth(0));
    AreaProgresso.setWidth(ListView->columnWidth(1));
}

template <typename Wait, typename Release>
void TThreadExport::ExportEach(Wait wait, Release release) {
    const TStringList& dependences = *Tabela->Dependences();
    for (int i = dependences.Count() - 1; i >= 0; --i) {
        // Down a long chain no row is copied for a while: the window still has its turns.
        ListenToTheWindowWhenDue(context_);
        // A referenced table the catalogue does not hold has nothing to copy.
        TTabela* dependence = ListaTabelas.TableByName(dependences[i]);
        if (!dependence) continue;
        // Reached through cut keys alone: copied once this chain has ended, this table's rows in.
        if (Tabela->DefersDependence(dependences[i], context_.twoPass.cutCycles)) {
            context_.twoPass.deferred.append(dependence);
            continue;
        }
        dependence->SetWaitDependence(false);
        const auto released = qScopeGuard(release);
        if (wait()) Exportar(*dependence, context_);
    }
}

void TThreadExport::ExportarDependencias() {
    const int count = Tabela->Dependences()->Count();
    switch (Tabela->SyncObjMethod()) {
    case smNoSync:
        ExportEach([] { return true; }, [] {});
        break;
    case smMutex: {
        const HANDLE mutex = CreateMutexA(false);
        Tabela->SetMutexHandle(mutex);
        ExportEach([mutex] { return WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0; },
                   [mutex] { ReleaseMutex(mutex); });
        break;
    }
    case smSemaphore: {
        const HANDLE semaphore = CreateSemaphoreA(1, std::max(count, 1));
        Tabela->SetSemaphoreHandle(semaphore);
        ExportEach([semaphore] { return WaitForSingleObject(semaphore, INFINITE) == WAIT_OBJECT_0; },
                   [semaphore] { ReleaseSemaphore(semaphore, 1); });
        break;
    }
    default:
        break;
    }
    Resume();
}

bool TThreadExport::RefusesKeylessTable() {
    TSQLConnection& destino = *context_.workspace.SQLConnectionDestino;
    if (!keyColumns_.isEmpty() || !HasRows(destino, nomeTabela_)) return false;
    RegistrarLog(nomeTabela_ + QStringLiteral(" sem chave primária ou única e já contém registros no destino: não copiada"));
    ++context_.totals.skipped;
    return true;
}

void TThreadExport::OpenDataSets() {
    const QString select = Tabela->SQLSelect();
    // The source is walked from one snapshot, so its row count and its rows agree; the
    // destination only appends, and reads nothing.
    CDSOrigem->Close();
    SQLDSOrigem->SetCommandText(resume_ ? resume_->SourceSelect(select) : select);
    CDSOrigem->FetchOnDemand = true;
    CDSOrigem->Open();
    CDSDestino->Close();
    SQLDSDestino->SetCommandText(select);
    CDSDestino->PacketRecords = 0;
    CDSDestino->Transaction = context_.transaction.Applies();
    CDSDestino->Open();
    queue_ = std::make_unique<DestinationQueue>(*CDSDestino, context_, nomeTabela_);
    fields_.clear();
    const QStringList cut = CutColumns(*Tabela, context_);
    for (int i = 0; i < CDSOrigem->FieldCount() - (resume_ ? resume_->ExtraColumns() : 0); ++i) {
        TField* from = CDSOrigem->Fields(i);
        // A cut column stays NULL, as an appended row starts: the second pass sets it.
        if (cut.contains(from->FieldName())) continue;
        fields_.emplace_back(from, CDSDestino->FieldByName(from->FieldName()));
    }
}

void TThreadExport::ExportarRegistros() {
    if (SkipsUncopyableTable(*Tabela, context_)) return;
    keyColumns_ = KeyColumns(*context_.workspace.SQLConnectionDestino, nomeTabela_);
    if (RefusesKeylessTable()) return;
    if (PrepareTwoPassCopy(*Tabela, context_) == RowCopy::AlreadyDone) return;
    nullKeys_ = std::make_unique<NullKeyRows>(*context_.workspace.SQLConnectionDestino, nomeTabela_, keyColumns_);
    resume_ = ResumeByKey::ForTable(*Tabela, context_);
    OpenDataSets();
    RecordCount = CDSOrigem->RecordCount();
    ProgressBar->setMaximum(RecordCount);
    CDSOrigem->First();
    RecNo = 0;
    TempoPassado = Now();
    const long long rejectedBefore = context_.totals.rejected;
    const long long lostBefore = context_.transaction.LostRows(nomeTabela_);
    try {
        while (!CDSOrigem->Eof()) {
            Synchronize([this] { ExportRegister(); });
            Synchronize([this] { AtualizarProgresso(); });
            CDSOrigem->Next();
            ++RecNo;
        }
        queue_->SendAll();
    } catch (...) {
        KeepAppliedRows(lostBefore);
        if (resume_) resume_->Finish();
        CountRefused(nullKeys_->Finish());
        throw;
    }
    CountRefused(nullKeys_->Finish());
    // Not one row refused: every row of the table in the destination is one this run inserted.
    if (context_.totals.rejected == rejectedBefore) context_.twoPass.insertedWhole.insert(Tabela);
    if (resume_) resume_->Finish();
    ProgressBar->setValue(RecordCount);
    context_.transaction.Commit();
    CDSOrigem->Close();
    CDSDestino->Close();
    ++context_.totals.tables;
    RegistrarLog(CDSOrigem->Name);
    const long long inserted = queue_->Written() - (context_.transaction.LostRows(nomeTabela_) - lostBefore);
    RegistrarLog(TableSummary(nomeTabela_, RecNo, inserted, rejected_, (Now() - TempoPassado) / 1000));
}

void TThreadExport::KeepAppliedRows(long long lostBefore) noexcept {
    const int unsent = queue_->KeepApplied();
    try {
        context_.transaction.Commit();
    } catch (const std::exception&) {
        // The transaction said in the log what the failed commit lost.
    }
    // The bar stays on the rows the destination answered for: written and committed, or refused.
    const long long lost = context_.transaction.LostRows(nomeTabela_) - lostBefore;
    const int posted = std::min(RecNo + 1, RecordCount);
    ProgressBar->setValue(int(std::max<long long>(0, posted - unsent - lost)));
}

void TThreadExport::ExportRegister() {
    if (nullKeys_->Withholds(*CDSOrigem) || (resume_ && resume_->InDestination(*CDSOrigem))) return;
    CDSDestino->Append();
    qsizetype bytes = 0;
    for (const auto& [from, to] : fields_) {
        to->SetValue(from->Value());
        bytes += from->Value().data.size();
    }
    try {
        CDSDestino->Post();
    } catch (const Exception& error) {
        RegistrarLog(QStringLiteral("ExportRegister -> ") + nomeTabela_ + QLatin1Char(' ') + error.Message() +
                     RefusedRowKey());
        CountRefused(1);
        const TDataSetState state = CDSDestino->State();
        if (state == TDataSetState::dsInsert || state == TDataSetState::dsEdit) CDSDestino->Cancel();
    }
    queue_->RowAppended(bytes);
}

void TThreadExport::AtualizarProgresso() {
    if (!queue_->ReportDue(RecNo == 0)) return;
    // What the window shows next, and every commit, counts the queued rows as written.
    queue_->SendBeforeReport();
    // The bar is seen only when the window handles its messages: it moves on to this row there,
    // not at every row, which would cost more than the row itself.
    ProgressBar->setValue(RecNo + 1);

    TempoRestante = ProgressRow::ShowTimeLeft(context_, *ListItem, nomeTabela_, RecNo + 1, RecordCount, Now() - TempoPassado);
    ListenToTheWindow(context_);
    queue_->Reported();
}

void TThreadExport::RemoverProgresso() {
    if (ListItem) {
        // The rows below move up, their bars with them.
        delete ListItem;
        ListItem = nullptr;
    }
    try {
        context_.log.Refresh();
    } catch (...) {
        // The row is gone already; the memo catches up at the next refresh.
    }
}

void TThreadExport::ReconcileError(TClientDataSet&, const EDatabaseError& error, TUpdateKind kind,
                                   TReconcileAction& action) {
    RegistrarLog(nomeTabela_ + QStringLiteral(" ERRO ") + KindWords[int(kind)] + error.Message() + RefusedRowKey());
    CountRefused(1);
    action = TReconcileAction::raCancel;
}

void TThreadExport::CountRefused(long long rows) {
    context_.totals.rejected += rows;
    rejected_ += rows;
}

QString TThreadExport::RefusedRowKey() {
    QList<const TField*> key;
    if (keyColumns_.isEmpty()) {
        for (int i = 0; i < std::min(3, CDSDestino->FieldCount()); ++i) key << CDSDestino->Fields(i);
    } else {
        for (const QString& column : keyColumns_)
            if (const TField* field = CDSDestino->FindField(column)) key << field;
    }
    return RowKeyText(key, keyColumns_.isEmpty() ? ValueLength::Cut : ValueLength::Whole);
}

double TThreadExport::Now() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
}
