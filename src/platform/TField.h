#pragma once

#include "TFieldValue.h"

#include <QString>
#include <cstdint>

enum class TFieldType {
    ftUnknown,
    ftSmallint,
    ftInteger,
    ftLargeint,
    ftSingle,
    ftFloat,
    ftFMTBcd,      // NUMERIC and DECIMAL with a scale
    ftBoolean,
    ftString,      // CHAR
    ftVarString,   // VARCHAR
    ftDate,
    ftTime,
    ftDateTime,    // the date-and-time kind; no Firebird column maps to it
    ftTimeStamp,   // SQL TIMESTAMP columns
    ftMemo,        // text blob
    ftBlob,        // any other blob
    ftArray,
};

// Provider flags of a field: which statements of an apply it takes part in.
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };

// One column of a dataset's current row.
class TField {
public:
    TField(QString name, TFieldType type, bool required, TFieldValue shape,
           QString originTable = {}, QString originColumn = {});

    const QString& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    bool Required() const { return required_; }   // the column is NOT NULL
    bool IsNull() const { return value_.isNull; }

    // The value exactly as stored; assigning one keeps every byte and the null flag.
    const TFieldValue& Value() const { return value_; }
    void SetValue(const TFieldValue& value);
    void Clear();   // sets NULL

    // Text for a person: names, counts, the grid. Never used on the copy's data path.
    QString AsString() const;
    void SetAsString(const QString& text);
    int AsInteger() const;
    void SetAsInteger(int value);
    // The whole 64 bits of an integer column (SMALLINT, INTEGER, BIGINT; a scale truncates as in
    // AsInteger); 0 for NULL. Any other type raises: no value reaches it through a double.
    qint64 AsLargeInt() const;
    // Numbers as a double; dates and times as days since 30 December 1899 and fractions of a day.
    double AsFloat() const;

    unsigned ProviderFlags = pfInUpdate | pfInWhere;

    // The table and column the field reads, when it reads one; empty for expressions.
    const QString& OriginTable() const { return originTable_; }
    const QString& OriginColumn() const { return originColumn_; }
    // The empty value of this field's type: a NULL with the column's type description.
    const TFieldValue& Shape() const { return shape_; }
    bool Assigned() const { return assigned_; }
    void ResetAssigned() { assigned_ = false; }
    // Loads a fetched value without marking the field as changed.
    void Load(const TFieldValue& value) { value_ = value; assigned_ = false; }

private:
    QString name_;
    TFieldType type_;
    bool required_;
    TFieldValue shape_;
    QString originTable_;
    QString originColumn_;
    TFieldValue value_;
    bool assigned_ = false;
};
