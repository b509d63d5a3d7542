#include "LeastInt64.h"

#include "catalogue/TableKeys.h"
#include "platform/TFieldValue.h"

#include <ibase.h>

bool StoredInt64(const TFieldValue& shape) { return shape.sqlType == SQL_INT64; }

bool HoldsLeastInt64(TSQLConnection& connection, const QString& table, const QString& column) {
    return HasRows(connection, table, column + QStringLiteral(" = -9223372036854775808"));
}

QString Unindexed(const QString& column) { return QStringLiteral("(%1 + 0)").arg(column); }
