#include "RelationFields.h"

#include "platform/SqlNames.h"

QString RelationFields::Query(const QString& nomeTabela) {
    return QStringLiteral(
               "SELECT RDB$RELATION_FIELDS.RDB$FIELD_NAME, RDB$RELATION_FIELDS.RDB$RELATION_NAME,"
               " RDB$RELATION_FIELDS.RDB$UPDATE_FLAG, RDB$FIELDS.RDB$COMPUTED_BLR"
               " FROM RDB$RELATION_FIELDS"
               " JOIN RDB$FIELDS ON (RDB$FIELDS.RDB$FIELD_NAME = RDB$RELATION_FIELDS.RDB$FIELD_SOURCE)"
               " WHERE RDB$RELATION_FIELDS.RDB$RELATION_NAME = ") +
           QuotedStr(nomeTabela) +
           QStringLiteral(" ORDER BY RDB$RELATION_FIELDS.RDB$FIELD_NAME, RDB$RELATION_FIELDS.RDB$RELATION_NAME,"
                          " RDB$RELATION_FIELDS.RDB$FIELD_POSITION");
}
