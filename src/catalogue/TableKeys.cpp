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
        const QString rowRelation = query.Fields(0)->AsString().trimmed();
        const QString rowIndex = query.Fields(1)->AsString().trimmed();
        if (rowRelation != relation) {
            relation = rowRelation;
            index = rowIndex;
        }
        // Only the first key of each table.
        if (rowIndex == index) keys[relation] << query.Fields(2)->AsString().trimmed();
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

bool HasRows(TSQLConnection& connection, const QString& table) {
    TSQLDataSet query(&connection);
    query.SetCommandText(QStringLiteral("SELECT FIRST 1 1 FROM ") + quoteIdentifier(table));
    query.Open();
    const bool rows = !query.Eof();
    query.Close();
    return rows;
}

QList<ForeignKey> ForeignKeys(TSQLConnection& connection) {
    TSQLDataSet query(&connection);
    // The outer joins keep the server from looking each key column up by its name alone, which
    // costs seconds on a few hundred tables.
    query.SetCommandText(QStringLiteral(
        "SELECT RC.RDB$CONSTRAINT_NAME, RC.RDB$RELATION_NAME, RP.RDB$RELATION_NAME, S.RDB$FIELD_NAME,"
        " IIF(COALESCE(RF.RDB$NULL_FLAG, 0) = 1 OR COALESCE(F.RDB$NULL_FLAG, 0) = 1, 1, 0)"
        " FROM RDB$REF_CONSTRAINTS R"
        " JOIN RDB$RELATION_CONSTRAINTS RC ON RC.RDB$CONSTRAINT_NAME = R.RDB$CONSTRAINT_NAME"
        " JOIN RDB$RELATION_CONSTRAINTS RP ON RP.RDB$CONSTRAINT_NAME = R.RDB$CONST_NAME_UQ"
        " JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME"
        " LEFT JOIN RDB$RELATION_FIELDS RF ON RF.RDB$RELATION_NAME = RC.RDB$RELATION_NAME"
        " AND RF.RDB$FIELD_NAME = S.RDB$FIELD_NAME"
        " LEFT JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
        " ORDER BY RC.RDB$RELATION_NAME, RC.RDB$CONSTRAINT_NAME, S.RDB$FIELD_POSITION"));
    query.Open();
    QList<ForeignKey> keys;
    for (; !query.Eof(); query.Next()) {
        const QString name = query.Fields(0)->AsString().trimmed();
        const QString table = query.Fields(1)->AsString().trimmed();
        if (keys.isEmpty() || keys.last().name != name || keys.last().table != table)
            keys.append({name, table, query.Fields(2)->AsString().trimmed(), {}, {}});
        const QString column = query.Fields(3)->AsString().trimmed();
        keys.last().columns << column;
        if (query.Fields(4)->AsInteger() == 1) keys.last().notNullColumns << column;
    }
    query.Close();
    return keys;
}
