#include "LeastInt64.h"

#include "catalogue/TableKeys.h"
#include "platform/TFieldValue.h"

#include <ibase.h>

bool StoredInt64(const TFieldValue& shape) { return shape.sqlType == SQL_INT64; }

bool HoldsLeastInt64(TSQLConnection& connection, const QString& table, const QString& column, const TFieldValue& shape) {
    // The literal in the column's scale: the unscaled one is out of a scaled column's range.
    QString least = QStringLiteral("9223372036854775808");
    if (shape.scale < 0) least.insert(least.size() + shape.scale, QLatin1Char('.'));
    return HasRows(connection, table, QStringLiteral("%1 = -%2").arg(column, least));
}

QString Unindexed(const QString& column) { return QStringLiteral("(%1 + 0)").arg(column); }
