#pragma once

#include <QHash>
#include <QStringList>

class TSQLConnection;

// The columns of the table's primary key or, lacking one, of its first other unique key (a
// unique constraint or index), in key order; empty when the table has neither.
QStringList KeyColumns(TSQLConnection& connection, const QString& table);
// The same for every table that has such a key, by table name.
QHash<QString, QStringList> KeyColumnsOfEveryTable(TSQLConnection& connection);

// Whether an active primary or unique key of the table is made of exactly these columns.
bool KeptUnique(TSQLConnection& connection, const QString& table, const QStringList& columns);

// Whether the table holds at least one row; one that meets the condition, when given.
bool HasRows(TSQLConnection& connection, const QString& table, const QString& where = {});
