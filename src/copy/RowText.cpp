#include "RowText.h"

#include "platform/SqlNames.h"
#include "platform/TField.h"

#include <cmath>
#include <cstring>
#include <ibase.h>

namespace {

constexpr int LongestValue = 60;

bool IsNegativeZero(const TFieldValue& value) {
    double number = 0;
    if (value.sqlType == SQL_DOUBLE && value.data.size() == sizeof(double)) {
        std::memcpy(&number, value.data.constData(), sizeof number);
    } else if (value.sqlType == SQL_FLOAT && value.data.size() == sizeof(float)) {
        float single = 0;
        std::memcpy(&single, value.data.constData(), sizeof single);
        number = single;
    } else {
        return false;
    }
    return number == 0 && std::signbit(number);
}

}  // namespace

QString ValueText(const TFieldValue& value, ValueLength length) {
    if (value.isNull) return QStringLiteral("NULL");
    TField field(QString(), TFieldType::ftUnknown, false, value);
    field.Load(value);
    // -0.0 is a value of its own: the verification tells it from 0.
    QString text = IsNegativeZero(value) ? QStringLiteral("-0") : field.AsString();
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
