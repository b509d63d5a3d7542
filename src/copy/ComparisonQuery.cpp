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

// A float read as the exact number of shape keeps it. A float the number cannot hold (out of its
// range, NaN, an infinity), which the copy could not insert either, is read as NULL rather than
// end the reading with the server's overflow; so is one within a unit of the range's end.
QString ExactFromFloat(const QString& column, const TFieldValue& shape) {
    const QString greatest = shape.sqlType == SQL_SHORT ? QStringLiteral("32766")
                             : shape.sqlType == SQL_LONG ? QStringLiteral("2147483646")
                                                         : QStringLiteral("9223372036854775806");
    const int places = std::min(int(greatest.size()) - 1, -shape.scale);
    const QString limit = places > 0 ? greatest.left(greatest.size() - places) + QLatin1Char('.') + greatest.right(places) : greatest;
    return QStringLiteral("CASE WHEN ABS(%1) < %2 THEN CAST(%1 AS %3) END").arg(column, limit, NumberType(shape));
}

// A column read alike from both databases. A number that is a float on one side and exact on the
// other is read as the destination keeps it, converted by the server as the copy's insert was: a
// digit the conversion rounds away counts where the destination keeps it, and only there. Text
// kept in two character sets is read as the same characters, in UTF8 (as bytes where a side keeps
// bytes, NONE or OCTETS, which travel as they are); a CHAR beside a VARCHAR or a CHAR of another
// length, without its padding; text beside a text blob, as a text blob.
QString ReadAlike(const QString& column, const TFieldValue& origem, const TFieldValue& destino) {
    if (IsFloat(origem) && IsExact(destino)) return ExactFromFloat(column, destino);
    if (IsExact(origem) && IsFloat(destino)) return QStringLiteral("CAST(%1 AS %2)").arg(column, NumberType(destino));
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
    bool readAlike = false;
    for (int column = 0; column < int(columns.size()); ++column) {
        const QString alike =
            ReadAlike(selected[column], origemShapes[size_t(column)].shape, destinoShapes[size_t(column)].shape);
        readAlike = readAlike || alike != selected[column];
        selected[column] = alike;
    }
    read = selected;
    if (readAlike) {
        // Sorted as read; whether a column takes NULL stays the column's own.
        const QString alike = QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) + from;
        for (auto [connection, shapes] : {std::pair{&origem, &origemShapes}, {&destino, &destinoShapes}}) {
            const std::vector<ColumnShape> read = Describe(*connection, alike);
            for (size_t i = 0; i < read.size(); ++i) (*shapes)[i].shape = read[i].shape;
        }
    }

    for (const QString& name : KeyColumns(origem, table)) keyColumns.push_back(int(columns.indexOf(name)));
    // A key the copy leaves out cannot tell the rows apart.
    if (std::count(keyColumns.begin(), keyColumns.end(), -1) > 0) keyColumns.clear();
    const bool keyMayBeNull = std::any_of(keyColumns.begin(), keyColumns.end(),
                                          [&](int column) { return !origemShapes[size_t(column)].required; });

    const auto sortBy = [&](int column, std::vector<int>& order, bool inKey) {
        QString value = SortValue(selected[column], origemShapes[size_t(column)], destinoShapes[size_t(column)], inKey);
        if (value.isEmpty()) return;
        // An index walk would put -2^63 out of its place: the server sorts the values themselves
        // where a key column holds it, and always among the other columns, which no key orders.
        const TFieldValue& origemShape = origemShapes[size_t(column)].shape;
        const TFieldValue& destinoShape = destinoShapes[size_t(column)].shape;
        const auto holdsLeast = [&](TSQLConnection& connection, const TFieldValue& shape) {
            return StoredInt64(shape) && HoldsLeastInt64(connection, table, value, shape);
        };
        if ((StoredInt64(origemShape) || StoredInt64(destinoShape)) &&
            (!inKey || holdsLeast(origem, origemShape) || holdsLeast(destino, destinoShape)))
            value = Unindexed(value);
        order.push_back(int(selected.size() + sortValues.size()));
        sortValues << value;
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
    rows = QStringLiteral("SELECT ") + (selected + sortValues).join(QStringLiteral(", ")) + from;
    if (!where.isEmpty()) rows += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty()) rows += QStringLiteral(" ORDER BY ") + orderBy.join(QStringLiteral(", "));
}
