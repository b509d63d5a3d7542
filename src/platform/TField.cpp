#include "TField.h"

#include "CharacterSets.h"
#include "EDatabaseError.h"

#include <QDate>
#include <ibase.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace {

// Day 0 of dates as the program counts them (30 December 1899) in the server's day numbering.
constexpr int DayZero = 15018;
constexpr double TimeUnitsPerDay = 864000000.0;   // the server keeps times in 1/10000 s

template <typename T>
T Raw(const TFieldValue& value) {
    T result{};
    std::memcpy(&result, value.data.constData(), std::min<size_t>(sizeof result, size_t(value.data.size())));
    return result;
}

qint64 IntegerOf(const TFieldValue& value) {
    switch (value.sqlType) {
    case SQL_SHORT: return Raw<ISC_SHORT>(value);
    case SQL_LONG: return Raw<ISC_LONG>(value);
    case SQL_INT64: return Raw<ISC_INT64>(value);
    default: return 0;
    }
}

bool IsInteger(const TFieldValue& value) {
    return value.sqlType == SQL_SHORT || value.sqlType == SQL_LONG || value.sqlType == SQL_INT64;
}

QString ScaledText(qint64 number, int scale) {
    if (scale >= 0) return QString::number(number * qint64(std::pow(10, scale)));
    const bool negative = number < 0;
    QString digits = QString::number(number).remove(QLatin1Char('-'));
    const int places = -scale;
    if (digits.size() <= places) digits = QString(places - digits.size() + 1, QLatin1Char('0')) + digits;
    return (negative ? QStringLiteral("-") : QString()) + digits.left(digits.size() - places) + QLatin1Char('.') +
           digits.right(places);
}

QString DateText(ISC_DATE date) { return QDate::fromJulianDay(qint64(date) + 2400001).toString(Qt::ISODate); }

QString TimeText(ISC_TIME time) {
    const unsigned seconds = time / 10000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(time % 10000, 4, 10, QLatin1Char('0'));
}

}  // namespace

TField::TField(QString name, TFieldType type, bool required, TFieldValue shape, QString originTable,
               QString originColumn)
    : name_(std::move(name)),
      type_(type),
      required_(required),
      shape_(std::move(shape)),
      originTable_(std::move(originTable)),
      originColumn_(std::move(originColumn)),
      value_(shape_) {
    shape_.isNull = true;
    shape_.data.clear();
    value_ = shape_;
}

void TField::SetValue(const TFieldValue& value) {
    value_ = value;
    assigned_ = true;
}

void TField::Clear() {
    value_ = shape_;
    assigned_ = true;
}

QString TField::AsString() const {
    if (value_.isNull) return {};
    switch (value_.sqlType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: return ScaledText(IntegerOf(value_), value_.scale);
    case SQL_FLOAT: return QString::number(Raw<float>(value_), 'g', 9);
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return QString::number(Raw<double>(value_), 'g', 17);
    case SQL_BOOLEAN: return Raw<unsigned char>(value_) ? QStringLiteral("True") : QStringLiteral("False");
    case SQL_TYPE_DATE: return DateText(Raw<ISC_DATE>(value_));
    case SQL_TYPE_TIME: return TimeText(Raw<ISC_TIME>(value_));
    case SQL_TIMESTAMP: {
        const ISC_TIMESTAMP stamp = Raw<ISC_TIMESTAMP>(value_);
        return DateText(stamp.timestamp_date) + QLatin1Char(' ') + TimeText(stamp.timestamp_time);
    }
    case SQL_ARRAY: return QStringLiteral("(ARRAY)");
    case SQL_BLOB:
        if (value_.subType != 1) return QStringLiteral("(BLOB)");
        return DecodeText(value_.data, value_.charSet);
    default: return DecodeText(value_.data, value_.charSet);
    }
}

void TField::SetAsString(const QString& text) {
    const bool textColumn = shape_.sqlType == SQL_TEXT || shape_.sqlType == SQL_VARYING ||
                            (shape_.sqlType == SQL_BLOB && shape_.subType == 1);
    // For any other column the server converts the text to what the column holds.
    const unsigned charSet = textColumn ? shape_.charSet : unsigned(csNone);
    const QByteArray bytes = textColumn ? EncodeText(text, charSet) : text.toUtf8();
    TFieldValue value{SQL_VARYING, 0, 0, unsigned(std::max<qsizetype>(1, bytes.size())), charSet, false, bytes};
    if (shape_.sqlType == SQL_BLOB) value = TFieldValue{SQL_BLOB, shape_.subType, 0, 8, charSet, false, bytes};
    SetValue(value);
}

int TField::AsInteger() const {
    if (value_.isNull) return 0;
    if (IsInteger(value_)) return int(AsLargeInt());
    if (value_.sqlType == SQL_BOOLEAN) return Raw<unsigned char>(value_) ? 1 : 0;
    if (value_.sqlType == SQL_TEXT || value_.sqlType == SQL_VARYING) return AsString().trimmed().toInt();
    return int(AsFloat());
}

qint64 TField::AsLargeInt() const {
    if (value_.isNull) return 0;
    if (!IsInteger(value_)) throw EDatabaseError(QStringLiteral("O campo %1 não é inteiro").arg(name_));
    qint64 number = IntegerOf(value_);
    for (int i = value_.scale; i < 0; ++i) number /= 10;
    return number;
}

void TField::SetAsInteger(int number) {
    TFieldValue value = shape_;
    value.isNull = false;
    if (shape_.scale == 0 && shape_.sqlType == SQL_SHORT) {
        const ISC_SHORT raw = static_cast<ISC_SHORT>(number);
        value.data = QByteArray(reinterpret_cast<const char*>(&raw), sizeof raw);
    } else {
        const ISC_INT64 raw = number;
        value = TFieldValue{SQL_INT64, 0, 0, sizeof raw, 0, false, QByteArray(reinterpret_cast<const char*>(&raw), sizeof raw)};
    }
    SetValue(value);
}

double TField::AsFloat() const {
    if (value_.isNull) return 0;
    switch (value_.sqlType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: return double(IntegerOf(value_)) * std::pow(10.0, value_.scale);
    case SQL_FLOAT: return Raw<float>(value_);
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return Raw<double>(value_);
    case SQL_BOOLEAN: return Raw<unsigned char>(value_) ? 1 : 0;
    case SQL_TYPE_DATE: return double(Raw<ISC_DATE>(value_) - DayZero);
    case SQL_TYPE_TIME: return Raw<ISC_TIME>(value_) / TimeUnitsPerDay;
    case SQL_TIMESTAMP: {
        const ISC_TIMESTAMP stamp = Raw<ISC_TIMESTAMP>(value_);
        return double(stamp.timestamp_date - DayZero) + stamp.timestamp_time / TimeUnitsPerDay;
    }
    case SQL_TEXT:
    case SQL_VARYING: return AsString().trimmed().toDouble();
    default: return 0;
    }
}
