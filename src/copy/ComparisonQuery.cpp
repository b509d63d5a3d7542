#include "ComparisonQuery.h"

#include "LeastInt64.h"
#include "catalogue/TableKeys.h"
#include "platform/CharacterSets.h"
#include "platform/SqlNames.h"
#include "platform/TSQLDataSet.h"

#include <ibase.h>

#include <algorithm>

namespace {

// Longer text is sorted by a hash of it: the server sorts records of a bounded size.
constexpr unsigned LongestSortedText = 255;

struct ColumnShape {
    TFieldValue shape;
    bool required;
};

std::vector<ColumnShape> Describe(TSQLConnection& connection, const QString& select) {
    TSQLDataSet query(&connection);
    query.SetCommandText(select);
    query.Prepare();
    std::vector<ColumnShape> shapes;
    for (const auto& field : query.FieldList()) shapes.push_back({field->Shape(), field->Required()});
    return shapes;
}

bool IsText(const TFieldValue& shape) { return shape.sqlType == SQL_TEXT || shape.sqlType == SQL_VARYING; }

bool IsTextBlob(const TFieldValue& shape) { return shape.sqlType == SQL_BLOB && shape.subType == 1; }

bool TakesBytes(unsigned charSet) { return charSet == csNone || charSet == csOctets; }

unsigned Characters(const TFieldValue& shape) {
    return shape.length / (shape.charSet == csUtf8 ? 4 : shape.charSet == csUnicodeFss ? 3 : 1);
}

bool IsFloat(const TFieldValue& shape) {
    return shape.sqlType == SQL_FLOAT || shape.sqlType == SQL_DOUBLE || shape.sqlType == SQL_D_FLOAT;
}

bool IsExact(const TFieldValue& shape) {
    return shape.sqlType == SQL_SHORT || shape.sqlType == SQL_LONG || shape.sqlType == SQL_INT64;
}

// The type a number is kept in, as a CAST names it.
QString NumberType(const TFieldValue& shape) {
    if (shape.sqlType == SQL_FLOAT) return QStringLiteral("FLOAT");
    if (IsFloat(shape)) return QStringLiteral("DOUBLE PRECISION");
    if (shape.scale == 0 && shape.subType == 0)
        return shape.sqlType == SQL_SHORT ? QStringLiteral("SMALLINT")
               : shape.sqlType == SQL_LONG ? QStringLiteral("INTEGER")
                                           : QStringLiteral("BIGINT");
    const int digits = shape.sqlType == SQL_SHORT ? 4 : shape.sqlType == SQL_LONG ? 9 : 18;
    return QStringLiteral("NUMERIC(%1,%2)").arg(digits).arg(-shape.scale);
}

// An integer's digits with places of them after the point.
QString WithPlaces(QString digits, int places) {
    const QString sign = digits.startsWith(QLatin1Char('-')) ? QStringLiteral("-") : QString();
    digits.remove(0, sign.size());
    if (places <= 0) return sign + digits;
    digits = digits.rightJustified(places + 1, QLatin1Char('0'));
    return sign + digits.left(digits.size() - places) + QLatin1Char('.') + digits.right(places);
}

// The source's float read as the destination's exact number keeps it: only where the number can
// hold it, rounded (within half a unit beyond either end). Out of that range (NaN, an infinity)
// the copy could not insert it either, and it reads as NULL rather than end the reading with the
// server's overflow. A 64-bit number's units are weighed as floats, 2^63 left out: it is the
// nearest float to the top, and no 64-bit number.
QString ExactFromFloat(const QString& column, const TFieldValue& shape) {
    QString range;
    if (shape.sqlType == SQL_INT64) {
        range = QStringLiteral("%1 * %2 >= -CAST(9223372036854775807 AS DOUBLE PRECISION)"
                               " AND %1 * %2 < CAST(9223372036854775807 AS DOUBLE PRECISION)")
                    .arg(column, QStringLiteral("1") + QString(-shape.scale, QLatin1Char('0')));
    } else {
        // The ends and half a unit: -32768.5 and 32767.5 units.
        const bool small = shape.sqlType == SQL_SHORT;
        range = QStringLiteral("%1 > %2 AND %1 < %3")
                    .arg(column, WithPlaces(small ? QStringLiteral("-327685") : QStringLiteral("-21474836485"), 1 - shape.scale),
                         WithPlaces(small ? QStringLiteral("327675") : QStringLiteral("21474836475"), 1 - shape.scale));
    }
    return QStringLiteral("CASE WHEN %1 THEN CAST(%2 AS %3) END").arg(range, column, NumberType(shape));
}

// A column read alike from both databases. A number that is a float on one side and exact on the
// other is read as the destination keeps it, converted by the server as the copy's insert was: a
// digit the conversion rounds away counts where the destination keeps it, and only there. Text
// kept in two character sets is read as the same characters, in UTF8 (as bytes where a side keeps
// bytes, NONE or OCTETS, which travel as they are); a CHAR beside a VARCHAR or a CHAR of another
// length, without its padding; text beside a text blob, as a text blob.
QString ReadAlike(const QString& column, const TFieldValue& origem, const TFieldValue& destino) {
    if ((IsFloat(origem) && IsExact(destino)) || (IsExact(origem) && IsFloat(destino)))
        return QStringLiteral("CAST(%1 AS %2)").arg(column, NumberType(destino));
    const bool padded = IsText(origem) && IsText(destino) && (origem.sqlType == SQL_TEXT || destino.sqlType == SQL_TEXT) &&
                        (origem.sqlType != destino.sqlType || origem.length != destino.length);
    const QString text = padded ? QStringLiteral("TRIM(TRAILING FROM %1)").arg(column) : column;
    const bool bytes = TakesBytes(origem.charSet) || TakesBytes(destino.charSet);
    // Text beside a text blob is read as a text blob; a CHAR's padding, which the blob keeps or
    // the CHAR adds, does not count.
    if ((IsText(origem) && IsTextBlob(destino)) || (IsTextBlob(origem) && IsText(destino))) {
        const bool charSide = origem.sqlType == SQL_TEXT || destino.sqlType == SQL_TEXT;
        return QStringLiteral("CAST(%1 AS BLOB SUB_TYPE TEXT CHARACTER SET %2)")
            .arg(charSide ? QStringLiteral("TRIM(TRAILING FROM %1)").arg(column) : column,
                 bytes ? QStringLiteral("OCTETS") : QStringLiteral("UTF8"));
    }
    if (origem.charSet == destino.charSet) return text;
    if (IsTextBlob(origem) && IsTextBlob(destino))
        return bytes ? column : QStringLiteral("CAST(%1 AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8)").arg(column);
    if (!IsText(origem) || !IsText(destino)) return column;
    if (bytes)
        return padded ? QStringLiteral("CAST(%1 AS VARCHAR(%2) CHARACTER SET OCTETS)")
                            .arg(text, QString::number(std::max({origem.length, destino.length, 1u})))
                      : column;
    const unsigned characters = std::max({Characters(origem), Characters(destino), 1u});
    // Longer than a VARCHAR of UTF8 holds, the text is read as a text blob.
    if (characters > 8191) return QStringLiteral("CAST(%1 AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8)").arg(text);
    return QStringLiteral("CAST(%1 AS VARCHAR(%2) CHARACTER SET UTF8)").arg(text, QString::number(characters));
}

// What a column is sorted by; empty for an array, which the server cannot sort.
QString SortValue(const QString& column, const ColumnShape& origem, const ColumnShape& destino, bool inKey) {
    switch (origem.shape.sqlType) {
    case SQL_ARRAY: return {};
    case SQL_BLOB: return QStringLiteral("HASH(%1)").arg(column);
    case SQL_TEXT:
    case SQL_VARYING: {
        // By its bytes, whatever the collation, as the comparison orders them.
        const unsigned length = std::max({origem.shape.length, destino.shape.length, 1u});
        if (!inKey && length > LongestSortedText) return QStringLiteral("HASH(%1)").arg(column);
        return QStringLiteral("CAST(%1 AS VARCHAR(%2) CHARACTER SET OCTETS)").arg(column, QString::number(length));
    }
    default: return column;
    }
}

}  // namespace

ComparisonQuery::ComparisonQuery(TSQLConnection& origem, TSQLConnection& destino, const QString& table,
                                 const QStringList& copied, const QString& where)
    : columns(copied) {
    const QString from = QStringLiteral(" FROM ") + quoteIdentifier(table);
    QStringList selected;
    for (const QString& column : columns) selected << quoteIdentifier(column);
    // A table whose every column is computed still has rows to compare.
    if (selected.isEmpty()) selected << QStringLiteral("0");
    const QString plain = QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) + from;
    std::vector<ColumnShape> origemShapes = Describe(origem, plain);
    std::vector<ColumnShape> destinoShapes = Describe(destino, plain);
    // The destination's exact number needs no guard the source's float does: each side reads its own.
    QStringList destinoSelected = selected;
    bool readAlike = false;
    for (int column = 0; column < int(columns.size()); ++column) {
        const TFieldValue& origemShape = origemShapes[size_t(column)].shape;
        const TFieldValue& destinoShape = destinoShapes[size_t(column)].shape;
        const QString alike = ReadAlike(selected[column], origemShape, destinoShape);
        readAlike = readAlike || alike != selected[column];
        destinoSelected[column] = alike;
        selected[column] = IsFloat(origemShape) && IsExact(destinoShape) ? ExactFromFloat(selected[column], destinoShape) : alike;
    }
    read = selected;
    if (readAlike) {
        // Sorted as read; whether a column takes NULL stays the column's own.
        const auto describeAsRead = [&](TSQLConnection& connection, std::vector<ColumnShape>& shapes, const QStringList& reading) {
            const std::vector<ColumnShape> described = Describe(connection, QStringLiteral("SELECT ") + reading.join(QStringLiteral(", ")) + from);
            for (size_t i = 0; i < described.size(); ++i) shapes[i].shape = described[i].shape;
        };
        describeAsRead(origem, origemShapes, selected);
        describeAsRead(destino, destinoShapes, destinoSelected);
    }

    for (const QString& name : KeyColumns(origem, table)) keyColumns.push_back(int(columns.indexOf(name)));
    // A key the copy leaves out cannot tell the rows apart.
    if (std::count(keyColumns.begin(), keyColumns.end(), -1) > 0) keyColumns.clear();
    const bool keyMayBeNull = std::any_of(keyColumns.begin(), keyColumns.end(),
                                          [&](int column) { return !origemShapes[size_t(column)].required; });

    QStringList destinoSortValues;
    const auto sortBy = [&](int column, std::vector<int>& order, bool inKey) {
        const ColumnShape& origemColumn = origemShapes[size_t(column)];
        const ColumnShape& destinoColumn = destinoShapes[size_t(column)];
        QString origemValue = SortValue(selected[column], origemColumn, destinoColumn, inKey);
        QString destinoValue = SortValue(destinoSelected[column], origemColumn, destinoColumn, inKey);
        if (origemValue.isEmpty()) return;
        // An index walk would put -2^63 out of its place: the server sorts the values themselves
        // where a key column holds it, and always among the other columns, which no key orders.
        const auto holdsLeast = [&](TSQLConnection& connection, const TFieldValue& shape, const QString& value) {
            return StoredInt64(shape) && HoldsLeastInt64(connection, table, value, shape);
        };
        if ((StoredInt64(origemColumn.shape) || StoredInt64(destinoColumn.shape)) &&
            (!inKey || holdsLeast(origem, origemColumn.shape, origemValue) ||
             holdsLeast(destino, destinoColumn.shape, destinoValue))) {
            origemValue = Unindexed(origemValue);
            destinoValue = Unindexed(destinoValue);
        }
        order.push_back(int(selected.size() + sortValues.size()));
        sortValues << origemValue;
        destinoSortValues << destinoValue;
    };
    for (int column : keyColumns) sortBy(column, keyOrder, true);
    // Rows a key tells apart need nothing more; a NULL in a unique key tells none apart.
    if (keyColumns.empty() || keyMayBeNull)
        for (int column = 0; column < int(columns.size()); ++column)
            if (std::find(keyColumns.begin(), keyColumns.end(), column) == keyColumns.end())
                sortBy(column, restOrder, false);

    QStringList orderBy;
    for (int position = 1; position <= int(sortValues.size()); ++position)
        orderBy << QStringLiteral("%1 NULLS FIRST").arg(selected.size() + position);
    const auto rowsOf = [&](const QStringList& reading, const QStringList& sorting) {
        QString text = QStringLiteral("SELECT ") + (reading + sorting).join(QStringLiteral(", ")) + from;
        if (!where.isEmpty()) text += QStringLiteral(" WHERE ") + where;
        if (!orderBy.isEmpty()) text += QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", "));
        return text;
    };
    origemRows = rowsOf(selected, sortValues);
    rows = rowsOf(destinoSelected, destinoSortValues);
}
