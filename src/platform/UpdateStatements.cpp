#include "UpdateStatements.h"

#include "EDatabaseError.h"
#include "SqlNames.h"

#include <QStringList>
#include <ibase.h>

namespace {

bool Writable(const TField& field) { return (field.ProviderFlags & pfInUpdate) && !field.OriginColumn().isEmpty(); }

// Blobs and arrays cannot be compared in a where clause.
bool Comparable(const TField& field) {
    const unsigned type = field.Shape().sqlType;
    return type != SQL_BLOB && type != SQL_ARRAY && !field.OriginColumn().isEmpty();
}

ParameterValue Parameter(const TField& field, const TFieldValue& value) {
    return {&value, field.OriginTable(), field.OriginColumn()};
}

}  // namespace

QString UpdateTable(const TDataSetProvider& provider, const FieldList& fields) {
    if (!provider.UpdateTableName.isEmpty()) return provider.UpdateTableName;
    for (const auto& field : fields)
        if (!field->OriginTable().isEmpty()) return field->OriginTable();
    throw EDatabaseError(QStringLiteral("Não foi possível determinar a tabela a atualizar"));
}

std::vector<size_t> InsertedFields(const FieldList& fields) {
    std::vector<size_t> inserted;
    for (size_t i = 0; i < fields.size(); ++i)
        if (Writable(*fields[i])) inserted.push_back(i);
    return inserted;
}

UpdateStatement InsertStatement(const QString& table, const FieldList& fields, const std::vector<TFieldValue>& values) {
    UpdateStatement statement;
    QStringList columns, markers;
    for (size_t i : InsertedFields(fields)) {
        columns << quoteIdentifier(fields[i]->OriginColumn());
        markers << QStringLiteral("?");
        statement.parameters.push_back(Parameter(*fields[i], values[i]));
    }
    statement.sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quoteIdentifier(table), columns.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    return statement;
}

UpdateStatement ModifyStatement(const QString& table, TUpdateMode mode, const FieldList& fields,
                                const std::vector<TFieldValue>& oldValues, const std::vector<TFieldValue>& newValues) {
    UpdateStatement statement;
    QStringList assignments, conditions;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!Writable(*fields[i]) || oldValues[i] == newValues[i]) continue;
        assignments << quoteIdentifier(fields[i]->OriginColumn()) + QStringLiteral(" = ?");
        statement.parameters.push_back(Parameter(*fields[i], newValues[i]));
    }
    if (assignments.isEmpty()) return {};
    for (size_t i = 0; i < fields.size(); ++i) {
        const TField& field = *fields[i];
        const bool key = field.ProviderFlags & pfInKey;
        const bool where = field.ProviderFlags & pfInWhere;
        const bool changed = !(oldValues[i] == newValues[i]);
        const bool used = mode == TUpdateMode::upWhereAll       ? where
                          : mode == TUpdateMode::upWhereKeyOnly ? key
                                                                : key || (where && changed);
        if (!used || !Comparable(field)) continue;
        const QString column = quoteIdentifier(field.OriginColumn());
        if (oldValues[i].isNull) {
            conditions << column + QStringLiteral(" IS NULL");
        } else {
            conditions << column + QStringLiteral(" = ?");
            statement.parameters.push_back(Parameter(field, oldValues[i]));
        }
    }
    // Without a where clause one edited row would overwrite every row of the table.
    if (conditions.isEmpty())
        throw EDatabaseError(QStringLiteral("A alteração na tabela %1 não identifica a linha: nenhum campo entra na cláusula"
                                            " WHERE")
                                 .arg(table));
    statement.sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                        .arg(quoteIdentifier(table), assignments.join(QStringLiteral(", ")),
                             conditions.join(QStringLiteral(" AND ")));
    return statement;
}
