#include "TableKeys.h"

#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

QStringList KeyColumns(TSQLConnection& connection, const QString& table) {
    TSQLDataSet query(&connection);
    // Active unique indexes on columns, the primary key's first; expression indexes name no column.
    query.SetCommandText(QStringLiteral(
        "SELECT I.RDB$INDEX_NAME, S.RDB$FIELD_NAME FROM RDB$INDICES I"
        " JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
        " LEFT JOIN RDB$RELATION_CONSTRAINTS C ON C.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
        " WHERE I.RDB$RELATION_NAME = :NAME AND I.RDB$UNIQUE_FLAG = 1"
        " AND COALESCE(I.RDB$INDEX_INACTIVE, 0) = 0"
        " ORDER BY IIF(C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY', 0, 1), I.RDB$INDEX_NAME, S.RDB$FIELD_POSITION"));
    query.ParamByName(QStringLiteral("NAME")).SetAsString(table);
    query.Open();
    QStringList columns;
    QString index;
    for (; !query.Eof(); query.Next()) {
        const QString name = query.Fields(0)->AsString().trimmed();
        if (!index.isEmpty() && name != index) break;
        index = name;
        columns << query.Fields(1)->AsString().trimmed();
    }
    query.Close();
    return columns;
}

bool HasRows(TSQLConnection& connection, const QString& table) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT FIRST 1 1 FROM ") + quoteIdentifier(table));
    query.Open();
    const bool rows = !query.Eof();
    query.Close();
    return rows;
}
