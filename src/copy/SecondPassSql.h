#pragma once

#include <QString>
#include <QStringList>

struct CycleCut;

// The statements of a table's second pass.
// The cut columns, then the key, then the other columns to compare, of the source rows that have a
// reference to set.
QString SecondPassSourceSql(const QString& table, const QStringList& columns, const QStringList& cut);

// Sets the cut columns of the destination row found by the key whose cut columns are all NULL. Its
// markers take the source row's values in the order SecondPassSourceSql reads them. The compared
// columns must hold the source's values too.
QString SecondPassUpdateSql(const QString& table, const CycleCut& cycles, const QStringList& compared);
