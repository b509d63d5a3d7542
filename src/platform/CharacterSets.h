#pragma once

#include <QByteArray>
#include <QString>

// Firebird's ids of the character sets the program meets.
enum FbCharSet : unsigned {
    csNone = 0,
    csOctets = 1,
    csAscii = 2,
    csUnicodeFss = 3,
    csUtf8 = 4,
    csIso8859_1 = 21,
    csWin1252 = 53,
};

// Text for people (the grid, messages, names) from bytes stored in a character set, and back.
// NONE holds the bytes of the Windows code page the data was typed in, WIN1252; OCTETS is not
// text and shows as hexadecimal digits. Values copied between databases never come here.
QString DecodeText(const QByteArray& bytes, unsigned charSet);
// Characters the character set cannot hold become '?'.
QByteArray EncodeText(const QString& text, unsigned charSet);
