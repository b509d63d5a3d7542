#include "RowText.h"

#include "platform/SqlNames.h"
#include "platform/TField.h"

#include <ibase.h>

namespace {

constexpr int LongestValue = 60;

}  // namespace

QString ValueText(const TFieldValue& value, ValueLength length) {
    if (value.isNull) return QStringLiteral("NULL");
    TField field(QString(), TFieldType::ftUnknown, false, value);
    field.Load(value);
    QString text = field.AsString();
    // A CHAR's trailing blanks are its padding.
    if (value.sqlType == SQL_TEXT) {
        while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    }
    if (length == ValueLength::Cut && text.size() > LongestValue) text = text.left(LongestValue) + QStringLiteral("...");
    const bool quoted = value.sqlType == SQL_TEXT || value.sqlType == SQL_VARYING ||
                        (value.sqlType == SQL_BLOB && value.subType == 1);
    return quoted ? QuotedStr(text) : text;
}

QString RowText(const QStringList& columns, const std::vector<TFieldValue>& row, const std::vector<int>& shown,
                ValueLength length) {
    QStringList values;
    for (int column : shown)
        values << QStringLiteral("\"%1\" = %2").arg(columns[column], ValueText(row[size_t(column)], length));
    return QLatin1Char('(') + values.join(QStringLiteral(", ")) + QLatin1Char(')');
}
