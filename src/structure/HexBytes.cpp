#include "HexBytes.h"

#include <QStringList>

QString HexBytes(const QByteArray& bytes) {
    constexpr qsizetype PerLine = 16;
    QStringList lines;
    for (qsizetype start = 0; start < bytes.size(); start += PerLine)
        lines << QString::fromLatin1(bytes.mid(start, PerLine).toHex(' ').toUpper());
    return lines.join(QLatin1Char('\n'));
}
