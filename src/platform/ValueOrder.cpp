#include "ValueOrder.h"

#include "CharacterSets.h"

#include <ibase.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

__extension__ typedef __int128 Int128;

constexpr long long TimeUnitsPerDay = 864000000;   // the server keeps times in 1/10000 s

// Kinds in the order unlike ones compare in.
enum class Kind { Number, Moment, TimeOfDay, Boolean, Text, Other };

Kind KindOf(const TFieldValue& value) {
    switch (value.sqlType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return Kind::Number;
    case SQL_TYPE_DATE:
    case SQL_TIMESTAMP: return Kind::Moment;
    case SQL_TYPE_TIME: return Kind::TimeOfDay;
    case SQL_BOOLEAN: return Kind::Boolean;
    case SQL_TEXT:
    case SQL_VARYING: return Kind::Text;
    default: return Kind::Other;
    }
}

template <typename T>
T Raw(const TFieldValue& value) {
    T result{};
    std::memcpy(&result, value.data.constData(), std::min<size_t>(sizeof result, size_t(value.data.size())));
    return result;
}

template <typename T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

bool IsInteger(const TFieldValue& value) {
    return value.sqlType == SQL_SHORT || value.sqlType == SQL_LONG || value.sqlType == SQL_INT64;
}

Int128 IntegerOf(const TFieldValue& value) {
    switch (value.sqlType) {
    case SQL_SHORT: return Raw<ISC_SHORT>(value);
    case SQL_LONG: return Raw<ISC_LONG>(value);
    default: return Raw<ISC_INT64>(value);
    }
}

long double NumberOf(const TFieldValue& value) {
    switch (value.sqlType) {
    case SQL_FLOAT: return Raw<float>(value);
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return Raw<double>(value);
    default: return (long double)IntegerOf(value) * std::pow(10.0L, value.scale);
    }
}

int CompareNumbers(const TFieldValue& a, const TFieldValue& b) {
    if (!IsInteger(a) || !IsInteger(b)) return Order(NumberOf(a), NumberOf(b));
    // Both at the finer scale, exactly: 18 places at most on a 64-bit integer fit in 128 bits.
    const int finer = std::min(a.scale, b.scale);
    Int128 x = IntegerOf(a), y = IntegerOf(b);
    for (int i = finer; i < a.scale; ++i) x *= 10;
    for (int i = finer; i < b.scale; ++i) y *= 10;
    return Order(x, y);
}

long long TicksOf(const TFieldValue& value) {
    if (value.sqlType == SQL_TYPE_DATE) return Raw<ISC_DATE>(value) * TimeUnitsPerDay;
    const ISC_TIMESTAMP stamp = Raw<ISC_TIMESTAMP>(value);
    return stamp.timestamp_date * TimeUnitsPerDay + stamp.timestamp_time;
}

int CompareOctets(const QByteArray& a, const QByteArray& b) {
    qsizetype la = a.size(), lb = b.size();
    while (la > 0 && a[la - 1] == '\0') --la;
    while (lb > 0 && b[lb - 1] == '\0') --lb;
    const int bytes = std::memcmp(a.constData(), b.constData(), size_t(std::min(la, lb)));
    return bytes != 0 ? Order(bytes, 0) : Order(la, lb);
}

}  // namespace

int CompareSortKeys(const TFieldValue& a, const TFieldValue& b) {
    if (a.isNull || b.isNull) return Order(!a.isNull, !b.isNull);
    const Kind kind = KindOf(a);
    if (kind != KindOf(b)) return Order(kind, KindOf(b));
    switch (kind) {
    case Kind::Number: return CompareNumbers(a, b);
    case Kind::Moment: return Order(TicksOf(a), TicksOf(b));
    case Kind::TimeOfDay: return Order(Raw<ISC_TIME>(a), Raw<ISC_TIME>(b));
    case Kind::Boolean: return Order(Raw<unsigned char>(a) != 0, Raw<unsigned char>(b) != 0);
    case Kind::Text: return CompareOctets(a.data, b.data);
    default: return 0;
    }
}

bool SameValue(const TFieldValue& a, const TFieldValue& b) {
    if (a.isNull || b.isNull) return a.isNull == b.isNull;
    if (a.sqlType == b.sqlType && a.scale == b.scale) return a.data == b.data;
    return KindOf(a) != Kind::Other && CompareSortKeys(a, b) == 0;
}

bool HoldsTheSourcesValue(const TFieldValue& held, const TFieldValue& source) {
    if (held.isNull || source.isNull) return held.isNull == source.isNull;
    if (held.charSet != source.charSet) return true;
    // A CHAR's padding is no part of its value: a CHAR kept in a VARCHAR, or the other way, is the
    // same text without it. Between two VARCHARs every blank counts.
    if (KindOf(held) == Kind::Text && KindOf(source) == Kind::Text && (held.sqlType == SQL_TEXT || source.sqlType == SQL_TEXT)) {
        const char pad = held.charSet == csOctets ? '\0' : ' ';
        const auto unpadded = [pad](const QByteArray& text) {
            qsizetype length = text.size();
            while (length > 0 && text[length - 1] == pad) --length;
            return text.left(length);
        };
        return unpadded(held.data) == unpadded(source.data);
    }
    // A float and an exact number: the server rounds to the exact one's places, a half either way
    // as the float's own error falls.
    if (IsInteger(held) != IsInteger(source) && KindOf(held) == Kind::Number && KindOf(source) == Kind::Number) {
        const TFieldValue& exact = IsInteger(held) ? held : source;
        const long double places = NumberOf(IsInteger(held) ? source : held) / std::pow(10.0L, exact.scale);
        return std::fabs(places - (long double)IntegerOf(exact)) <= 0.5L + 1e-9L;
    }
    return SameValue(held, source);
}
