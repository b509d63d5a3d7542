#include "StatementText.h"

namespace {

bool IsNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool IsNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

}  // namespace

StatementText ParseParameters(const QString& text) {
    StatementText result;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            result.sql += text.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('-') && i + 1 < n && text[i + 1] == QLatin1Char('-')) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? n : end;
            result.sql += text.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            result.sql += text.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char(':') && i + 1 < n && IsNameStart(text[i + 1])) {
            qsizetype end = i + 1;
            while (end < n && IsNamePart(text[end])) ++end;
            result.parameters.append(text.mid(i + 1, end - i - 1));
            result.sql += QLatin1Char('?');
            i = end;
        } else {
            result.sql += c;
            ++i;
        }
    }
    return result;
}
