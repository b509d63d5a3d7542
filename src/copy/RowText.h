#pragma once

#include "platform/TFieldValue.h"

#include <QString>
#include <QStringList>
#include <vector>

// Values of a row as the log writes them, the way the server's messages name a key:
// ("ID" = 7, "NOME" = 'Ana', "NASCIMENTO" = NULL). A long value is cut.
QString RowText(const QStringList& columns, const std::vector<TFieldValue>& row, const std::vector<int>& shown);

// One value as the log writes it: NULL, a number, or text in quotes; cut after 60 characters.
QString ValueText(const TFieldValue& value);
