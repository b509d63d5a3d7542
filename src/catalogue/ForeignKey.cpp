#include "ForeignKey.h"

#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

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
        const QString name = StoredName(query.Fields(0)->AsString());
        const QString table = StoredName(query.Fields(1)->AsString());
        if (keys.isEmpty() || keys.last().name != name || keys.last().table != table)
            keys.append({name, table, StoredName(query.Fields(2)->AsString()), {}, {}});
        const QString column = StoredName(query.Fields(3)->AsString());
        keys.last().columns << column;
        if (query.Fields(4)->AsInteger() == 1) keys.last().notNullColumns << column;
    }
    query.Close();
    return keys;
}
