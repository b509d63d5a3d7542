#pragma once

#include <QString>

// Puts a name read from the server into SQL: a regular upper-case identifier that is not a
// reserved word stays bare; anything else is double-quoted with inner double quotes doubled.
QString quoteIdentifier(const QString& name);

// A name read from a system table, without the blanks the server pads it with on the right: a
// blank it begins with is part of the name.
QString StoredName(const QString& padded);

// A text compared as a string value: single quotes around it, inner single quotes doubled.
QString QuotedStr(const QString& text);
