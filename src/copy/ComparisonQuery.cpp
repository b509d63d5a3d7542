#include "ComparisonQuery.h"

#include "LeastInt64.h"
#include "catalogue/TableKeys.h"
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
    const std::vector<ColumnShape> origemShapes = Describe(origem, plain);
    const std::vector<ColumnShape> destinoShapes = Describe(destino, plain);

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
