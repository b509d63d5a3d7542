#include "FieldList.h"

#include "FbApi.h"
#include "SqlNames.h"

using namespace Firebird;

namespace {

TFieldType TypeOf(unsigned sqlType, int subType, int scale) {
    switch (sqlType) {
    case SQL_SHORT: return scale ? TFieldType::ftFMTBcd : TFieldType::ftSmallint;
    case SQL_LONG: return scale ? TFieldType::ftFMTBcd : TFieldType::ftInteger;
    case SQL_INT64: return scale ? TFieldType::ftFMTBcd : TFieldType::ftLargeint;
    case SQL_FLOAT: return TFieldType::ftSingle;
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFieldType::ftFloat;
    case SQL_BOOLEAN: return TFieldType::ftBoolean;
    case SQL_TEXT: return TFieldType::ftString;
    case SQL_VARYING: return TFieldType::ftVarString;
    case SQL_TYPE_DATE: return TFieldType::ftDate;
    case SQL_TYPE_TIME: return TFieldType::ftTime;
    case SQL_TIMESTAMP: return TFieldType::ftTimeStamp;
    case SQL_BLOB: return subType == 1 ? TFieldType::ftMemo : TFieldType::ftBlob;
    case SQL_ARRAY: return TFieldType::ftArray;
    default: return TFieldType::ftUnknown;
    }
}

QString NameText(const char* name) { return StoredName(QString::fromUtf8(name)); }

}  // namespace

FieldList DescribeFields(IMessageMetadata* metadata) {
    FbStatus status;
    FieldList fields;
    const unsigned count = metadata->getCount(&status);
    for (unsigned i = 0; i < count; ++i) {
        TFieldValue shape;
        shape.sqlType = metadata->getType(&status, i) & ~1u;
        shape.subType = metadata->getSubType(&status, i);
        shape.scale = metadata->getScale(&status, i);
        shape.length = metadata->getLength(&status, i);
        shape.charSet = metadata->getCharSet(&status, i);
        fields.push_back(std::make_unique<TField>(
            NameText(metadata->getAlias(&status, i)), TypeOf(shape.sqlType, shape.subType, shape.scale),
            !metadata->isNullable(&status, i), shape, NameText(metadata->getRelation(&status, i)),
            NameText(metadata->getField(&status, i))));
    }
    return fields;
}
