#pragma once

#include "FieldList.h"
#include "ParameterWriter.h"
#include "TDataSetProvider.h"

#include <QString>
#include <vector>

// One statement of an apply with the values for its markers, in order.
struct UpdateStatement {
    QString sql;
    std::vector<ParameterValue> parameters;
};

// The table an apply writes to: the provider's update table, or the table the fields read.
QString UpdateTable(const TDataSetProvider& provider, const FieldList& fields);

// The positions of the fields an INSERT writes: those that take part in updates, in field order.
std::vector<size_t> InsertedFields(const FieldList& fields);

// INSERT of every field that takes part in updates, in field order.
UpdateStatement InsertStatement(const QString& table, const FieldList& fields, const std::vector<TFieldValue>& values);

// UPDATE of the changed fields, the row found by the old values the update mode asks for;
// an old NULL is looked for with IS NULL. Empty sql when nothing to write changed; raises when
// no field can find the row.
UpdateStatement ModifyStatement(const QString& table, TUpdateMode mode, const FieldList& fields,
                                const std::vector<TFieldValue>& oldValues, const std::vector<TFieldValue>& newValues);
