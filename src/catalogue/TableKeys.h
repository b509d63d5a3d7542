#pragma once

#include <QStringList>

class TSQLConnection;

// The columns of the table's primary key or, lacking one, of its first other unique key (a
// unique constraint or index), in key order; empty when the table has neither.
QStringList KeyColumns(TSQLConnection& connection, const QString& table);

// Whether the table holds at least one row.
bool HasRows(TSQLConnection& connection, const QString& table);
