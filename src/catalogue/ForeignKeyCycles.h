#pragma once

#include "ForeignKey.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// What a copy in two passes does about the foreign-key cycles through one table.
struct CycleCut {
    QStringList cutColumns;       // columns of its cut keys: copied NULL, set by the second pass
    QStringList keyColumns;       // the primary or unique key the second pass finds its rows by
    QStringList deferredTables;   // tables it references through cut keys alone
    QString fallback;             // why a cycle through it cannot be cut; empty when none is left
};

// A foreign key lies on a cycle when the table it references leads back to the referencing one
// through foreign keys (a self-reference always does). Such a key is cut when none of its
// columns is NOT NULL and its table has a primary or unique key, none of the key's columns among
// them, to find its rows again by. A table on a cycle that no cut breaks gets the reason: the NOT
// NULL column, the missing key or the key's column.
// Only the tables with something to cut, or to say, are in the result.
QHash<QString, CycleCut> FindCycleCuts(const QList<ForeignKey>& keys, const QHash<QString, QStringList>& tableKeys);
