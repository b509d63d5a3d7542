#include "NullKeyRows.h"

#include "catalogue/ActivityLog.h"
#include "catalogue/TableKeys.h"
#include "platform/SqlNames.h"
#include "platform/TClientDataSet.h"

#include <algorithm>

NullKeyRows::NullKeyRows(TSQLConnection& destino, const QString& table, const QStringList& key)
    : table_(table), key_(key) {
    if (key.isEmpty()) return;
    QStringList isNull;
    for (const QString& column : key) isNull << quoteIdentifier(column) + QStringLiteral(" IS NULL");
    held_ = HasRows(destino, table, isNull.join(QStringLiteral(" AND ")));
}

bool NullKeyRows::Withholds(TClientDataSet& origem) {
    if (!held_) return false;
    if (fields_.empty())
        for (const QString& column : key_) fields_.push_back(origem.FindField(column));
    const bool allNull = std::all_of(fields_.begin(), fields_.end(),
                                     [](const TField* field) { return field && field->IsNull(); });
    if (allNull) ++withheld_;
    return allNull;
}

long long NullKeyRows::Finish() {
    if (finished_ || withheld_ == 0) return 0;
    finished_ = true;
    RegistrarLog(table_ + QStringLiteral(" ERRO %1 registro(s) de chave nula não foram enviados: o destino já tem "
                                         "registros de chave nula, e a chave não diz se são estes")
                              .arg(withheld_));
    return withheld_;
}
