#pragma once

#include <QString>
#include <QStringList>

// The names of candidates nearest to a name a person typed (fewest letters to change, case aside),
// at most count of them, nearest first; for the message that refuses an unknown name.
QStringList ClosestNames(const QString& typed, const QStringList& candidates, int count = 3);
