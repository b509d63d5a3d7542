#pragma once

#include <QString>

class TSQLConnection;
struct TFieldValue;

// Firebird 3's indexes misplace the least 64-bit integer, -2^63, of a BIGINT or of a NUMERIC or
// DECIMAL stored in 64 bits: a walk over the index yields it between -1 and 0 (between the greatest
// negative stored value and 0), and a range searched through the index misses it or the rows
// beside it. A search for that one value through the index finds it. Where a column holds it, the
// rows are sorted and searched by the column's value (column + 0), which no index serves.

// Whether a value of this shape is stored in 64 bits.
bool StoredInt64(const TFieldValue& shape);

// Whether the table holds the least 64-bit integer in the column (quoted) of that shape: for a
// NUMERIC(18,4), -922337203685477.5808.
bool HoldsLeastInt64(TSQLConnection& connection, const QString& table, const QString& column, const TFieldValue& shape);

// The column as a value no index serves, for a sort or a search.
QString Unindexed(const QString& column);
