#include "TableKeys.h"

#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

namespace {

// Active unique indexes on columns, each table's primary key first; expression
// indexes name no column. One table's, or every table's.
QHash<QString, QStringList> ReadKeyColumns(TSQLConnection& connection, const QString* table) {
    TSQLDataSet query(&connection);
    query.SetCommandText(
        QStringLiteral("SELECT I.RDB$RELATION_NAME, I.RDB$INDEX_NAME, S.RDB$FIELD_NAME FROM RDB$INDICES I"
                       " JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
                       " LEFT JOIN RDB$RELATION_CONSTRAINTS C ON C.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
                       " WHERE I.RDB$UNIQUE_FLAG = 1 AND COALESCE(I.RDB$INDEX_INACTIVE, 0) = 0") +
        (!table ? QString() : QStringLiteral(" AND I.RDB$RELATION_NAME = :NAME")) +
        QStringLiteral(" ORDER BY I.RDB$RELATION_NAME, IIF(C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY', 0, 1),"
                       " I.RDB$INDEX_NAME, S.RDB$FIELD_POSITION"));
    if (table) query.ParamByName(QStringLiteral("NAME")).SetAsString(*table);
    query.Open();
    QHash<QString, QStringList> keys;
    QString relation, index;
    for (; !query.Eof(); query.Next()) {
        const QString rowRelation = StoredName(query.Fields(0)->AsString());
        const QString rowIndex = StoredName(query.Fields(1)->AsString());
        if (rowRelation != relation) {
            relation = rowRelation;
            index = rowIndex;
        }
        // Only the first key of each table.
        if (rowIndex == index) keys[relation] << StoredName(query.Fields(2)->AsString());
    }
    query.Close();
    return keys;
}

}  // namespace

QStringList KeyColumns(TSQLConnection& connection, const QString& table) {
    return ReadKeyColumns(connection, &table).value(table);
}

QHash<QString, QStringList> KeyColumnsOfEveryTable(TSQLConnection& connection) {
    return ReadKeyColumns(connection, nullptr);
}

bool KeptUnique(TSQLConnection& connection, const QString& table, const QStringList& columns) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral(
        "SELECT I.RDB$INDEX_NAME, S.RDB$FIELD_NAME FROM RDB$INDICES I"
        " JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME"
        " WHERE I.RDB$UNIQUE_FLAG = 1 AND COALESCE(I.RDB$INDEX_INACTIVE, 0) = 0 AND I.RDB$RELATION_NAME = :NAME"));
    query.ParamByName(QStringLiteral("NAME")).SetAsString(table);
    QHash<QString, QStringList> indexes;
    for (query.Open(); !query.Eof(); query.Next())
        indexes[StoredName(query.Fields(0)->AsString())] << StoredName(query.Fields(1)->AsString());
    query.Close();
    QStringList wanted = columns;
    wanted.sort();
    for (QStringList index : indexes) {
        index.sort();
        if (index == wanted) return true;
    }
    return false;
}

bool HasRows(TSQLConnection& connection, const QString& table, const QString& where) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT FIRST 1 1 FROM ") + quoteIdentifier(table) +
                         (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    query.Open();
    const bool rows = !query.Eof();
    query.Close();
    return rows;
}
