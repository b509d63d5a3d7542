#pragma once

#include "RowText.h"

#include <QList>
#include <QString>

class TField;

// The end of a refused row's log line, so that the row can be found: its key's columns and values
// as the log writes values, " [chave: ID=123]" or " [chave: K1=…, K2=…]". A key is written whole;
// for a table without one the caller passes its first three columns, cut.
QString RowKeyText(const QList<const TField*>& key, ValueLength length);
