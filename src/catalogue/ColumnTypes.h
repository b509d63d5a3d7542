#pragma once

#include <QHash>
#include <QList>
#include <QString>

class TSQLConnection;

// One column of a table as its database's catalogue describes it: the type of its domain (its
// own or a named one), whether it takes NULL and whether an insert that leaves it out fills it.
struct ColumnType {
    QString name;
    int fieldType = 0;         // RDB$FIELD_TYPE
    int subType = 0;           // NUMERIC (1) or DECIMAL (2) of an integer type; a blob's sub-type
    int scale = 0;             // zero or negative: the digits after the point, negated
    int precision = 0;         // declared digits of NUMERIC and DECIMAL
    int characterLength = 0;   // CHAR and VARCHAR, in characters
    QString characterSet;      // text and text blobs; empty for other types
    bool notNull = false;      // its own NOT NULL or its domain's
    bool hasDefault = false;   // a default of its own or its domain's, or an identity
    bool computed = false;
};

// A table's columns in their order.
using TableColumns = QList<ColumnType>;

// The column of that name, nullptr when the table has none.
const ColumnType* FindColumn(const TableColumns& columns, const QString& name);

// Every column of every user table of the database, global temporary tables left out, by table
// name, read in one query.
QHash<QString, TableColumns> ReadColumnTypes(TSQLConnection& connection);
