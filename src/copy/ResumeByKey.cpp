#include "ResumeByKey.h"

#include "ComparisonQuery.h"
#include "CopyContext.h"
#include "HeldKeyRun.h"
#include "SecondPass.h"
#include "catalogue/ActivityLog.h"
#include "catalogue/TTabela.h"
#include "catalogue/TableKeys.h"
#include "catalogue/Workspace.h"
#include "platform/Application.h"
#include "platform/SqlNames.h"
#include "platform/TClientDataSet.h"
#include "platform/ValueOrder.h"

#include <algorithm>
#include <optional>

bool EnviarSomenteFaltantes = false;

namespace {

// The key's values first in both: in the order the server sorted them.
int CompareKey(const std::vector<TFieldValue>& a, const std::vector<TFieldValue>& b, size_t columns) {
    for (size_t i = 0; i < columns; ++i)
        if (const int order = CompareSortKeys(a[i], b[i])) return order;
    return 0;
}

// The key as the source reads it beside the copied columns, where plain columns would not compare
// with the destination's: named apart from the table's columns, since the count reads the select
// as a derived table. Empty where the plain columns do.
QStringList KeyReadAlike(TTabela& tabela, const QStringList& key, const QStringList& read) {
    QStringList plain;
    for (const QString& column : key) plain << quoteIdentifier(column);
    if (read == plain) return {};
    const QStringList columns = tabela.FieldNames()->Items();
    QStringList named;
    for (int i = 0, n = 0; i < int(read.size()); ++i) {
        QString name;
        do name = QStringLiteral("CHAVE_LIDA_%1").arg(++n);
        while (columns.contains(name));
        named << read[i] + QStringLiteral(" AS ") + quoteIdentifier(name);
    }
    return named;
}

}  // namespace

std::unique_ptr<ResumeByKey> ResumeByKey::ForTable(TTabela& tabela, CopyContext& context) {
    if (!context.sendOnlyMissing) return nullptr;
    const QString nome = tabela.NomeTabela();
    TSQLConnection& origem = *context.workspace.SQLConnection;
    const QStringList key = KeyColumns(origem, nome);
    const QStringList cut = CutColumns(tabela, context);
    // A key column the copy leaves NULL, or does not copy, finds nothing.
    const bool copied = std::all_of(key.begin(), key.end(), [&](const QString& column) {
        return tabela.FieldNames()->Items().contains(column) && !cut.contains(column);
    });
    if (key.isEmpty() || !copied) return nullptr;
    TSQLConnection& destino = *context.workspace.SQLConnectionDestino;
    // Counting the rows of the run takes a walk over them, and looking for -2^63 in a key column
    // no index leads with takes one too: the window answers meanwhile.
    bool kept = false;
    std::optional<HeldKeyRun> run;
    std::optional<ComparisonQuery> described;
    context.transaction.InBackground(
        [&] {
            // Under another key of the destination, a key value found there is not this row's.
            kept = KeptUnique(destino, nome, key);
            if (!kept) return;
            if (key.size() == 1) run = HeldKeyRun::Find(origem, destino, nome, key.front());
            described.emplace(origem, destino, nome, key, run ? run->Outside() : QString());
        },
        ServerWait::OnStop::Cancel);
    if (!kept) {
        RegistrarLog(QStringLiteral("%1: o destino não tem a chave %2 da origem: todos os registros são enviados")
                         .arg(nome, key.join(QStringLiteral(", "))));
        return nullptr;
    }
    const ComparisonQuery& query = *described;
    if (query.keyColumns.empty()) return nullptr;
    QStringList orderBy;
    for (const QString& value : query.sortValues) orderBy << value + QStringLiteral(" NULLS FIRST");
    return std::make_unique<ResumeByKey>(context, tabela, key, query.rows, KeyReadAlike(tabela, key, query.read),
                                         (run ? QStringLiteral(" WHERE ") + run->Outside() : QString()) +
                                             QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", ")),
                                         run ? run->sourceRows : 0);
}

ResumeByKey::ResumeByKey(CopyContext& context, const TTabela& tabela, const QStringList& key,
                         const QString& keysSql, QStringList keyRead, QString selected, long long held)
    : context_(context),
      tabela_(tabela),
      key_(key),
      keyRead_(std::move(keyRead)),
      selected_(std::move(selected)),
      destino_(*context.workspace.SQLConnectionDestino, keysSql),
      passedOver_(held) {
    context.totals.held += held;
    destino_.Start();
    hasNext_ = destino_.Next(next_, ProcessMessages);
    TakeAlike();
}

ResumeByKey::~ResumeByKey() {
    // The server may be sorting the keys still, which the reader cannot leave.
    destino_.Stop(ProcessMessages);
}

void ResumeByKey::TakeAlike() {
    alike_.clear();
    if (!hasNext_) return;
    alike_.push_back(std::move(next_));
    while ((hasNext_ = destino_.Next(next_, ProcessMessages)) && CompareKey(next_, alike_.front(), key_.size()) == 0)
        alike_.push_back(std::move(next_));
}

QString ResumeByKey::SourceSelect(const QString& select) const {
    if (keyRead_.isEmpty()) return select + selected_;
    const QString from = QStringLiteral(" FROM ") + quoteIdentifier(tabela_.NomeTabela());
    return select.chopped(from.size()) + QStringLiteral(", ") + keyRead_.join(QStringLiteral(", ")) + from + selected_;
}

bool ResumeByKey::InDestination(TClientDataSet& origem) {
    if (keyFields_.empty())
        for (int i = 0; i < int(key_.size()); ++i)
            keyFields_.push_back(keyRead_.isEmpty() ? origem.FieldByName(key_[i])
                                                    : origem.Fields(origem.FieldCount() - ExtraColumns() + i));
    sourceKey_.clear();
    bool allNull = true;
    for (const TField* field : keyFields_) {
        sourceKey_.push_back(field->Value());
        allNull = allNull && field->Value().isNull;
    }
    // A key NULL in every column tells no rows apart (NullKeyRows); one NULL in some columns only
    // is unique, NULL matching NULL, as the server keeps it.
    if (allNull) return false;
    while (!alike_.empty() && CompareKey(alike_.front(), sourceKey_, key_.size()) < 0) TakeAlike();
    if (alike_.empty() || CompareKey(alike_.front(), sourceKey_, key_.size()) != 0) return false;
    const bool held = std::any_of(alike_.begin(), alike_.end(), [&](const Row& destino) {
        for (size_t i = 0; i < sourceKey_.size(); ++i)
            if (!SameValue(destino[i], sourceKey_[i])) return false;
        return true;
    });
    if (held) {
        ++passedOver_;
        ++context_.totals.held;
    }
    return held;
}

void ResumeByKey::Finish() {
    if (finished_) return;
    finished_ = true;
    destino_.Stop(ProcessMessages);
    if (passedOver_ > 0) context_.twoPass.insertedWhole.remove(&tabela_);
    RegistrarLog(tabela_.NomeTabela() + QStringLiteral(": %1 registro(s) já estavam no destino e não foram enviados").arg(passedOver_));
}
