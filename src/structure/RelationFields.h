#pragma once

#include <QString>

// The column query of the structure dialog: a table's columns from the source's column
// catalogue, with their update flags and, for computed columns, the compiled expression.
namespace RelationFields {

inline const QString FieldName = QStringLiteral("RDB$FIELD_NAME");
inline const QString RelationName = QStringLiteral("RDB$RELATION_NAME");
inline const QString UpdateFlag = QStringLiteral("RDB$UPDATE_FLAG");
inline const QString ComputedBlr = QStringLiteral("RDB$COMPUTED_BLR");

// The columns of the table, in the order of their names.
QString Query(const QString& nomeTabela);

}  // namespace RelationFields
