#pragma once

#include "platform/TFieldValue.h"

#include <QString>
#include <QStringList>
#include <vector>

// Whether a long value is written whole or cut after 60 characters.
enum class ValueLength { Whole, Cut };

// Values of a row as the log writes them, the way the server's messages name a key:
// ("ID" = 7, "NOME" = 'Ana', "NASCIMENTO" = NULL).
QString RowText(const QStringList& columns, const std::vector<TFieldValue>& row, const std::vector<int>& shown,
                ValueLength length);

// One value as the log writes it: NULL, a number, or text in quotes, its own quotes doubled.
QString ValueText(const TFieldValue& value, ValueLength length);
