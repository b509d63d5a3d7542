#include "SecondPass.h"

#include "CopyContext.h"
#include "CopyProgress.h"
#include "RowKeyText.h"
#include "WindowTurn.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"
#include "catalogue/Workspace.h"
#include "platform/ErrorGuard.h"
#include "platform/FbApi.h"
#include "platform/PreparedStatement.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"

#include <QProgressBar>
#include <QTreeWidget>
#include <memory>

namespace {

QStringList Quoted(const QStringList& names, const QString& pattern) {
    QStringList quoted;
    for (const QString& name : names) quoted << pattern.arg(quoteIdentifier(name));
    return quoted;
}

// The cut columns, then the key, then the other columns to compare, of the rows that have a
// reference to set.
QString SourceSql(const QString& table, const QStringList& columns, const QStringList& cut) {
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3")
        .arg(Quoted(columns, QStringLiteral("%1")).join(QStringLiteral(", ")), quoteIdentifier(table),
             Quoted(cut, QStringLiteral("%1 IS NOT NULL")).join(QStringLiteral(" OR ")));
}

// Its markers take the source row's values in the order SourceSql reads them. The compared
// columns must hold the source's values too.
QString UpdateSql(const QString& table, const CycleCut& cycles, const QStringList& compared) {
    const QStringList where = Quoted(cycles.keyColumns, QStringLiteral("%1 = ?")) +
                              Quoted(cycles.cutColumns, QStringLiteral("%1 IS NULL")) +
                              Quoted(compared, QStringLiteral("%1 IS NOT DISTINCT FROM ?"));
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(quoteIdentifier(table), Quoted(cycles.cutColumns, QStringLiteral("%1 = ?")).join(QStringLiteral(", ")),
             where.join(QStringLiteral(" AND ")));
}

// The second pass of one table, with its progress row. It fills only rows the copy inserted:
// when this run inserted every source row of the table, every row it finds by the key; otherwise
// (rows were refused, or the rows went in before) only rows whose other copied columns hold the
// source's values, so that a row the destination holds of its own stays as it is.
class CutColumnsUpdate {
public:
    CutColumnsUpdate(TTabela& tabela, CopyContext& context, bool insertedWhole)
        : tabela_(tabela),
          context_(context),
          nome_(tabela.NomeTabela()),
          origem_(context.workspace.SQLConnection),
          insertedWhole_(insertedWhole) {}

    void Run() {
        bar_ = AddProgressRow(*context_.ListView, nome_, row_);
        TSQLTransaction& transaction = *context_.transaction.Applies();
        const CycleCut& cycles = tabela_.Cycles();
        QStringList others;
        if (!insertedWhole_)
            for (const QString& column : tabela_.FieldNames()->Items())
                if (!cycles.cutColumns.contains(column) && !cycles.keyColumns.contains(column)) others << column;
        origem_.Snapshot = true;
        origem_.SetCommandText(SourceSql(nome_, cycles.cutColumns + cycles.keyColumns + others, cycles.cutColumns));
        origem_.Open();
        update_ = std::make_unique<PreparedStatement>(*context_.workspace.SQLConnectionDestino,
                                                      UpdateSql(nome_, cycles, Compared()));
        update_->Prepare(transaction);
        const int total = origem_.SnapshotRecordCount();
        bar_->setMaximum(total);
        try {
            for (int done = 0; !origem_.Eof(); origem_.Next()) {
                Update(transaction);
                Report(++done, total);
            }
        } catch (...) {
            KeepUpdatedRows();
            throw;
        }
        bar_->setValue(total);
        context_.transaction.Commit();
        origem_.Close();
        delete row_;
        tabela_.SetSecondPassPending(false);
    }

private:
    // The columns after the cut ones and the key that a comparison can take: an array cannot.
    QStringList Compared() {
        QStringList compared;
        for (int i = KeyEnd(); i < origem_.FieldCount(); ++i)
            if (origem_.Fields(i)->DataType() != TFieldType::ftArray) compared << origem_.Fields(i)->FieldName();
        return compared;
    }

    // The key of the source row at hand, which finds its destination row.
    QString RowKey() {
        QList<const TField*> key;
        for (int i = int(tabela_.Cycles().cutColumns.size()); i < KeyEnd(); ++i) key << origem_.Fields(i);
        return RowKeyText(key);
    }

    int KeyEnd() const { return int(tabela_.Cycles().cutColumns.size() + tabela_.Cycles().keyColumns.size()); }

    void Update(TSQLTransaction& transaction) {
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

    void Refused(const QString& message) {
        RegistrarLog(nome_ + QStringLiteral(" ERRO ALTERAR ") + message);
        ++context_.totals.rejected;
    }

    void Report(int done, int total) {
        const auto now = std::chrono::steady_clock::now();
        if (done > 1 && now - lastReport_ < ReportEvery) return;
        bar_->setValue(done);
        ShowTimeLeft(context_, *row_, nome_, done, total,
                     std::chrono::duration<double, std::milli>(now - started_).count());
        ListenToTheWindow(context_);
        lastReport_ = std::chrono::steady_clock::now();
    }

    // What was set before an error stays: the next import sets only what is left.
    void KeepUpdatedRows() noexcept {
        try {
            context_.transaction.Commit();
        } catch (const std::exception& error) {
            RegistrarLog(nome_ + QStringLiteral(" ERRO ao gravar as alterações já enviadas: ") + ErrorMessage(error));
        }
    }

    TTabela& tabela_;
    CopyContext& context_;
    QString nome_;
    TSQLDataSet origem_;
    const bool insertedWhole_;
    std::unique_ptr<PreparedStatement> update_;
    QTreeWidgetItem* row_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastReport_;
};

}  // namespace

QStringList CutColumns(TTabela& tabela, const CopyContext& context) {
    return context.twoPass.secondPass.contains(&tabela) ? tabela.Cycles().cutColumns : QStringList();
}

RowCopy PrepareTwoPassCopy(TTabela& tabela, CopyContext& context) {
    const CycleCut& cycles = tabela.Cycles();
    if (context.twoPass.cutCycles && !cycles.fallback.isEmpty())
        RegistrarLog(tabela.NomeTabela() + QStringLiteral(": ciclo de chaves estrangeiras não pode ser adiado (") +
                     cycles.fallback + QLatin1Char(')'));
    if (!tabela.CopiesInTwoPasses(context.twoPass.cutCycles)) return RowCopy::Needed;
    context.twoPass.secondPass.append(&tabela);
    if (tabela.SecondPassPending() && tabela.RowCountsEqual()) return RowCopy::AlreadyDone;
    tabela.SetSecondPassPending(true);
    return RowCopy::Needed;
}

void RunSecondPass(CopyContext& context) {
    // A table an import started meanwhile copies joins the list and is done too.
    QList<TTabela*>& tables = context.twoPass.secondPass;
    for (qsizetype i = 0; i < tables.size(); ++i)
        CutColumnsUpdate(*tables[i], context, context.twoPass.insertedWhole.contains(tables[i])).Run();
}
