#include "LeastInt64.h"

#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

#include <ibase.h>

bool StoredInt64(const TFieldValue& shape) { return shape.sqlType == SQL_INT64; }

bool HoldsLeastInt64(TSQLConnection& connection, const QString& table, const QString& column) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT FIRST 1 1 FROM %1 WHERE %2 = -9223372036854775808")
                             .arg(quoteIdentifier(table), column));
    query.Open();
    const bool holds = !query.Eof();
    query.Close();
    return holds;
}

QString Unindexed(const QString& column) { return QStringLiteral("(%1 + 0)").arg(column); }
