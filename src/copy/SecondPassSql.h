#pragma once

#include <QString>
#include <QStringList>

struct CycleCut;

// The statements of a table's second pass.
// The cut columns, then the key, then the other columns to compare, of the source rows that have a
// reference to set.
QString SecondPassSourceSql(const QString& table, const QStringList& columns, const QStringList& cut);

// Sets the cut columns of the destination row found by the key whose cut columns are all NULL. Its
// markers take the cut columns' values, then the key's.
QString SecondPassUpdateSql(const QString& table, const CycleCut& cycles);

// The destination row that the key finds with its cut columns all NULL: its RDB$DB_KEY, then the
// compared columns. Its markers take the key's values.
QString SecondPassFindSql(const QString& table, const CycleCut& cycles, const QStringList& compared);

// Sets the cut columns of the row its last marker, an RDB$DB_KEY, finds.
QString SecondPassUpdateFoundSql(const QString& table, const CycleCut& cycles);
