#pragma once

#include <QByteArray>
#include <QString>

// Binary data as a person reads it: two-digit hexadecimal bytes separated by blanks, sixteen
// to a line.
QString HexBytes(const QByteArray& bytes);
