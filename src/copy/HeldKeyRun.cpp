#include "HeldKeyRun.h"

#include "LeastInt64.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

#include <ibase.h>

namespace {

bool IsWholeNumber(const TFieldValue& shape) {
    const bool integer = shape.sqlType == SQL_SHORT || shape.sqlType == SQL_LONG || shape.sqlType == SQL_INT64;
    return integer && shape.scale == 0;
}

}  // namespace

std::optional<HeldKeyRun> HeldKeyRun::Find(TSQLConnection& origem, TSQLConnection& destino, const QString& table,
                                           const QString& name) {
    const QString column = quoteIdentifier(name);
    const QString from = QStringLiteral(" FROM ") + quoteIdentifier(table);
    TSQLDataSet bounds(&destino);
    bounds.SetCommandText(QStringLiteral("SELECT MIN(%1), MAX(%1), COUNT(%1)").arg(column) + from);
    bounds.Open();
    const TFieldValue& shape = bounds.Fields(0)->Shape();
    if (!IsWholeNumber(shape) || bounds.Fields(0)->IsNull()) return std::nullopt;
    TSQLDataSet source(&origem);
    source.SetCommandText(QStringLiteral("SELECT ") + column + from);
    source.Prepare();
    // Other types hold the same numbers in other bytes: such a row is sent, as any row in doubt.
    const TFieldValue& sourceShape = source.Fields(0)->Shape();
    if (sourceShape.sqlType != shape.sqlType || sourceShape.scale != shape.scale) return std::nullopt;
    // The bounds and the ranges below go through the key's index, which misplaces -2^63.
    if (StoredInt64(shape) &&
        (HoldsLeastInt64(destino, table, column, shape) || HoldsLeastInt64(origem, table, column, shape)))
        return std::nullopt;

    HeldKeyRun run{column, bounds.Fields(0)->AsLargeInt(), bounds.Fields(1)->AsLargeInt()};
    // Keys are unique: as many as the whole numbers between the bounds, they are every one of them.
    // (The difference taken unsigned holds for the widest bounds.)
    const auto keys = static_cast<quint64>(bounds.Fields(2)->AsLargeInt());
    if (keys - 1 != static_cast<quint64>(run.greatest) - static_cast<quint64>(run.least)) return std::nullopt;
    TSQLDataSet count(&origem);
    count.SetCommandText(QStringLiteral("SELECT COUNT(*)") + from +
                         QStringLiteral(" WHERE %1 BETWEEN %2 AND %3")
                                             .arg(column, QString::number(run.least), QString::number(run.greatest)));
    count.Open();
    run.sourceRows = count.Fields(0)->AsLargeInt();
    return run;
}

QString HeldKeyRun::Outside() const {
    return QStringLiteral("%1 IS NULL OR %1 < %2 OR %1 > %3").arg(column, QString::number(least), QString::number(greatest));
}
