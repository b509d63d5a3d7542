#include "ColumnTypes.h"

#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

namespace {

// The type lives in the column's domain, named or made for it; NOT NULL and a default may be on
// either. Views and system tables are left out, as the catalogue load leaves them, and global
// temporary tables (relation types 4 and 5) too: rows copied into one are gone at the copy's
// commit, or with its connection, so the destination has no table to keep them.
const QString ColumnsSql = QStringLiteral(
    "SELECT RF.RDB$RELATION_NAME, RF.RDB$FIELD_NAME, F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_SCALE,"
    " F.RDB$FIELD_PRECISION, F.RDB$CHARACTER_LENGTH, CS.RDB$CHARACTER_SET_NAME,"
    " IIF(COALESCE(RF.RDB$NULL_FLAG, 0) = 1 OR COALESCE(F.RDB$NULL_FLAG, 0) = 1, 1, 0),"
    " IIF(RF.RDB$DEFAULT_VALUE IS NOT NULL OR F.RDB$DEFAULT_VALUE IS NOT NULL OR RF.RDB$IDENTITY_TYPE IS NOT NULL, 1, 0),"
    " IIF(F.RDB$COMPUTED_BLR IS NOT NULL, 1, 0)"
    " FROM RDB$RELATIONS R"
    " JOIN RDB$RELATION_FIELDS RF ON RF.RDB$RELATION_NAME = R.RDB$RELATION_NAME"
    " JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
    " LEFT JOIN RDB$CHARACTER_SETS CS ON CS.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID"
    " WHERE R.RDB$VIEW_BLR IS NULL AND COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0"
    " AND COALESCE(R.RDB$RELATION_TYPE, 0) NOT IN (4, 5)"
    " ORDER BY RF.RDB$RELATION_NAME, RF.RDB$FIELD_POSITION");

constexpr int BlobType = 261;

bool HoldsText(int fieldType, int subType) {
    return fieldType == 14 || fieldType == 37 || fieldType == 40 || (fieldType == BlobType && subType == 1);
}

}  // namespace

const ColumnType* FindColumn(const TableColumns& columns, const QString& name) {
    for (const ColumnType& column : columns)
        if (column.name == name) return &column;
    return nullptr;
}

QHash<QString, TableColumns> ReadColumnTypes(TSQLConnection& connection) {
    TSQLDataSet query(&connection);
    query.SetCommandText(ColumnsSql);
    query.Open();
    QHash<QString, TableColumns> tables;
    for (; !query.Eof(); query.Next()) {
        ColumnType column;
        column.name = StoredName(query.Fields(1)->AsString());
        column.fieldType = query.Fields(2)->AsInteger();
        column.subType = query.Fields(3)->AsInteger();
        column.scale = query.Fields(4)->AsInteger();
        column.precision = query.Fields(5)->AsInteger();
        column.characterLength = query.Fields(6)->AsInteger();
        // A text column of a database made without a character set has none: NONE.
        if (HoldsText(column.fieldType, column.subType))
            column.characterSet = query.Fields(7)->IsNull() ? QStringLiteral("NONE") : StoredName(query.Fields(7)->AsString());
        column.notNull = query.Fields(8)->AsInteger() == 1;
        column.hasDefault = query.Fields(9)->AsInteger() == 1;
        column.computed = query.Fields(10)->AsInteger() == 1;
        tables[StoredName(query.Fields(0)->AsString())].append(column);
    }
    query.Close();
    return tables;
}
