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
    update_ = std::make_unique<PreparedStatement>(*context_.workspace.SQLConnectionDestino,
                                                  SecondPassUpdateSql(nome_, cycles, Compared()));
    update_->Prepare(transaction);
    const int total = origem_.SnapshotRecordCount();
    bar_->setMaximum(total);
    int done = 0;
    try {
        for (; !origem_.Eof(); origem_.Next()) {
            Update(transaction);
            Report(++done, total);
        }
    } catch (...) {
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

QStringList CutColumnsUpdate::Compared() {
    QStringList compared;
    for (int i = KeyEnd(); i < origem_.FieldCount(); ++i)
        if (origem_.Fields(i)->DataType() != TFieldType::ftArray) compared << origem_.Fields(i)->FieldName();
    return compared;
}

QString CutColumnsUpdate::RowKey() {
    QList<const TField*> key;
    for (int i = int(tabela_.Cycles().cutColumns.size()); i < KeyEnd(); ++i) key << origem_.Fields(i);
    return RowKeyText(key);
}

int CutColumnsUpdate::KeyEnd() const {
    return int(tabela_.Cycles().cutColumns.size() + tabela_.Cycles().keyColumns.size());
}

void CutColumnsUpdate::Update(TSQLTransaction& transaction) {
    std::vector<ParameterValue> values;
    for (int i = 0; i < origem_.FieldCount(); ++i) {
        const TField* field = origem_.Fields(i);
        // A unique key may hold NULL, and then no row is found by it.
        if (i >= tabela_.Cycles().cutColumns.size() && i < KeyEnd() && field->IsNull())
            return Refused(QStringLiteral("chave %1 nula: a linha não pode ser localizada").arg(field->FieldName()));
        if (field->DataType() == TFieldType::ftArray) continue;
        values.push_back({&field->Value(), field->OriginTable(), field->OriginColumn()});
    }
    try {
        update_->Execute(transaction, values);
    } catch (const EDatabaseError& error) {
        if (IsConnectionLost(error)) throw;
        Refused(error.Message() + RowKey());
    }
}

void CutColumnsUpdate::Refused(const QString& message) {
    RegistrarLog(nome_ + QStringLiteral(" ERRO ALTERAR ") + message);
    ++context_.totals.rejected;
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
