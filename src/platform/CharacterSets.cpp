#include "CharacterSets.h"

#include <array>

namespace {

// WIN1252 differs from Latin-1 only in 0x80-0x9F; the five bytes it leaves unassigned map to the
// control characters of the same number, as Windows maps them.
constexpr std::array<char16_t, 32> Win1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeWin1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const unsigned char code = static_cast<unsigned char>(byte);
        *out++ = code >= 0x80 && code <= 0x9F ? QChar(Win1252High[code - 0x80]) : QChar(code);
    }
    return text;
}

char EncodeWin1252(QChar c) {
    const char16_t code = c.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return char(code);
    for (size_t i = 0; i < Win1252High.size(); ++i)
        if (Win1252High[i] == code) return char(0x80 + i);
    return '?';
}

QByteArray EncodeWin1252(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) *out++ = EncodeWin1252(c);
    return bytes;
}

}  // namespace

QString DecodeText(const QByteArray& bytes, unsigned charSet) {
    switch (charSet & 0xFF) {
    case csUtf8:
    case csUnicodeFss: return QString::fromUtf8(bytes);
    case csOctets: return QString::fromLatin1(bytes.toHex().toUpper());
    case csAscii:
    case csIso8859_1: return QString::fromLatin1(bytes);
    default: return DecodeWin1252(bytes);
    }
}

QByteArray EncodeText(const QString& text, unsigned charSet) {
    switch (charSet & 0xFF) {
    case csUtf8:
    case csUnicodeFss: return text.toUtf8();
    case csOctets: return QByteArray::fromHex(text.toLatin1());
    case csAscii:
    case csIso8859_1: return text.toLatin1();
    default: return EncodeWin1252(text);
    }
}
