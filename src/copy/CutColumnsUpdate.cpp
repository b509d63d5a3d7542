#include "CutColumnsUpdate.h"

#include "CopyContext.h"
#include "ProgressRow.h"
#include "RowKeyText.h"
#include "SecondPassSql.h"
#include "WindowTurn.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"
#include "catalogue/Workspace.h"
#include "platform/DatabaseErrors.h"
#include "platform/EDatabaseError.h"
#include "platform/ErrorGuard.h"
#include "platform/PreparedStatement.h"
#include "platform/TSQLTransaction.h"
#include "platform/ValueOrder.h"

#include <QProgressBar>
#include <QTreeWidget>

CutColumnsUpdate::CutColumnsUpdate(TTabela& tabela, CopyContext& context, bool insertedWhole)
    : tabela_(tabela),
      context_(context),
      nome_(tabela.NomeTabela()),
      origem_(context.workspace.SQLConnection),
      insertedWhole_(insertedWhole) {}

CutColumnsUpdate::~CutColumnsUpdate() = default;

void CutColumnsUpdate::Run() {
    bar_ = ProgressRow::Add(*context_.ListView, nome_, row_);
    TSQLTransaction& transaction = *context_.transaction.Applies();
    const CycleCut& cycles = tabela_.Cycles();
    QStringList others;
    if (!insertedWhole_)
        for (const QString& column : tabela_.FieldNames()->Items())
            if (!cycles.cutColumns.contains(column) && !cycles.keyColumns.contains(column)) others << column;
    origem_.Snapshot = true;
    origem_.SetCommandText(SecondPassSourceSql(nome_, cycles.cutColumns + cycles.keyColumns + others, cycles.cutColumns));
    origem_.Open();
    TSQLConnection& destino = *context_.workspace.SQLConnectionDestino;
    if (insertedWhole_) {
        update_ = std::make_unique<PreparedStatement>(destino, SecondPassUpdateSql(nome_, cycles));
    } else {
        find_ = std::make_unique<PreparedStatement>(destino, SecondPassFindSql(nome_, cycles, cycles.keyColumns + others));
        find_->Prepare(transaction);
        update_ = std::make_unique<PreparedStatement>(destino, SecondPassUpdateFoundSql(nome_, cycles));
    }
    update_->Prepare(transaction);
    const int total = origem_.SnapshotRecordCount();
    bar_->setMaximum(total);
    int done = 0;
    try {
        while (!origem_.Eof()) {
            // The rows go in batches on a thread of their own: the window answers while a row
            // that another connection holds is waited for, and "Parar" cancels that wait.
            context_.transaction.InBackground(
                [&] {
                    // The first row alone: its report shows the pass under way at once.
                    const auto batch = done == 0 ? std::chrono::milliseconds(0) : ReportEvery;
                    const auto until = std::chrono::steady_clock::now() + batch;
                    do {
                        Update(transaction);
                        origem_.Next();
                        ++done;
                    } while (!origem_.Eof() && std::chrono::steady_clock::now() < until);
                },
                ServerWait::OnStop::Cancel);
            LogRefused();
            Report(done, total);
        }
    } catch (...) {
        LogRefused();
        KeepUpdatedRows();
        // The row, the tree and the log say it stopped: the next import that copies the table
        // finishes it. Rows sent, not all written when the commit above failed too.
        tabela_.SetImportada(false);
        ProgressRow::ShowInterrupted(*row_, nome_);
        RegistrarLog(nome_ + QStringLiteral(": segunda etapa interrompida depois de %1 de %2 registro(s) enviados")
                                 .arg(done)
                                 .arg(total));
        throw;
    }
    bar_->setValue(total);
    context_.transaction.Commit();
    origem_.Close();
    delete row_;
    tabela_.SetSecondPassPending(false);
}

QString CutColumnsUpdate::RowKey() {
    QList<const TField*> key;
    for (int i = int(tabela_.Cycles().cutColumns.size()); i < KeyEnd(); ++i) key << origem_.Fields(i);
    return RowKeyText(key, ValueLength::Whole);
}

int CutColumnsUpdate::KeyEnd() const {
    return int(tabela_.Cycles().cutColumns.size() + tabela_.Cycles().keyColumns.size());
}

void CutColumnsUpdate::Update(TSQLTransaction& transaction) {
    const int cutEnd = int(tabela_.Cycles().cutColumns.size());
    std::vector<ParameterValue> cut, key;
    for (int i = 0; i < KeyEnd(); ++i) {
        const TField* field = origem_.Fields(i);
        // A unique key may hold NULL, and then no row is found by it.
        if (i >= cutEnd && field->IsNull())
            return Refused(QStringLiteral("chave %1 nula: a linha não pode ser localizada").arg(field->FieldName()));
        (i < cutEnd ? cut : key).push_back({&field->Value(), field->OriginTable(), field->OriginColumn()});
    }
    try {
        if (insertedWhole_) {
            cut.insert(cut.end(), key.begin(), key.end());
            // This run inserted the row with its cut columns NULL: not finding it (a key no
            // equality finds, such as NaN, or a trigger that changed the row) is no silent success.
            if (update_->Execute(transaction, cut) == 0) Refused(QStringLiteral("linha não encontrada pela chave") + RowKey());
        } else if (find_->FetchFirst(transaction, key) && HoldsTheSourcesRow()) {
            cut.push_back({&find_->Row().front()->Value(), {}, {}});
            update_->Execute(transaction, cut);
        }
    } catch (const EDatabaseError& error) {
        if (IsInterruption(error)) throw;
        Refused(error.Message() + RowKey());
    }
}

bool CutColumnsUpdate::HoldsTheSourcesRow() {
    const FieldList& found = find_->Row();
    const int cutEnd = int(tabela_.Cycles().cutColumns.size());
    for (size_t i = 1; i < found.size(); ++i)
        if (!HoldsTheSourcesValue(found[i]->Value(), origem_.Fields(cutEnd + int(i) - 1)->Value())) return false;
    return true;
}

void CutColumnsUpdate::Refused(const QString& message) { refused_ << message; }

void CutColumnsUpdate::LogRefused() {
    for (const QString& message : std::exchange(refused_, {})) {
        RegistrarLog(nome_ + QStringLiteral(" ERRO ALTERAR ") + message);
        ++context_.totals.rejected;
    }
}

void CutColumnsUpdate::Report(int done, int total) {
    const auto now = std::chrono::steady_clock::now();
    if (done > 1 && now - lastReport_ < ReportEvery) return;
    bar_->setValue(done);
    ProgressRow::ShowTimeLeft(context_, *row_, nome_, done, total,
                              std::chrono::duration<double, std::milli>(now - started_).count());
    ListenToTheWindow(context_);
    lastReport_ = std::chrono::steady_clock::now();
}

void CutColumnsUpdate::KeepUpdatedRows() noexcept {
    try {
        context_.transaction.Commit();
    } catch (const std::exception& error) {
        RegistrarLog(nome_ + QStringLiteral(" ERRO ao gravar as alterações já enviadas: ") + ErrorMessage(error));
    }
}
