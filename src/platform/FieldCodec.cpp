#include "FieldCodec.h"

#include "BlobTransfer.h"
#include "FbApi.h"

#include <cstring>

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

QString NameText(const char* name) { return QString::fromUtf8(name).trimmed(); }

}  // namespace

namespace {

void ReadOffsets(IMessageMetadata* metadata, std::vector<unsigned>& offsets, std::vector<unsigned>& nullOffsets) {
    FbStatus status;
    const unsigned count = metadata->getCount(&status);
    offsets.resize(count);
    nullOffsets.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        offsets[i] = metadata->getOffset(&status, i);
        nullOffsets[i] = metadata->getNullOffset(&status, i);
    }
}

// The type a value is sent with: its own, blobs and arrays as ids, an untyped NULL as text.
TFieldValue SentShape(const TFieldValue& value) {
    TFieldValue shape{value.sqlType, value.subType, value.scale, value.length, value.charSet, false, {}};
    if (shape.sqlType == SQL_BLOB || shape.sqlType == SQL_ARRAY) shape.length = sizeof(ISC_QUAD);
    if (shape.sqlType == SQL_NULL || shape.sqlType == 0) shape = TFieldValue{SQL_TEXT, 0, 0, 1, 0, false, {}};
    return shape;
}

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

RowReader::RowReader(IMessageMetadata* metadata) : metadata_(metadata) { ReadOffsets(metadata, offsets_, nullOffsets_); }

void RowReader::Read(const unsigned char* buffer, FieldList& fields, IAttachment* attachment, ITransaction* transaction) {
    for (unsigned i = 0; i < fields.size(); ++i) {
        TField& field = *fields[i];
        TFieldValue value = field.Shape();
        const ISC_SHORT* nullFlag = reinterpret_cast<const ISC_SHORT*>(buffer + nullOffsets_[i]);
        value.isNull = *nullFlag != 0;
        if (!value.isNull) {
            const unsigned char* slot = buffer + offsets_[i];
            switch (value.sqlType) {
            case SQL_VARYING: {
                ISC_USHORT length;
                std::memcpy(&length, slot, sizeof length);
                value.data = QByteArray(reinterpret_cast<const char*>(slot + sizeof length), length);
                break;
            }
            case SQL_BLOB: {
                ISC_QUAD id;
                std::memcpy(&id, slot, sizeof id);
                value.data = ReadBlob(attachment, transaction, id, field.OriginTable(), field.OriginColumn());
                break;
            }
            case SQL_ARRAY: {
                ISC_QUAD id;
                std::memcpy(&id, slot, sizeof id);
                value.data = arrays_.Read(attachment, transaction, id, field.OriginTable(), field.OriginColumn());
                break;
            }
            default:
                value.data = QByteArray(reinterpret_cast<const char*>(slot), int(value.length));
            }
        }
        field.Load(value);
    }
}

bool ParameterWriter::Matches(const std::vector<ParameterValue>& values) const {
    if (!metadata_ || values.size() != signature_.size()) return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (!(SentShape(*values[i].value) == signature_[i])) return false;
    return true;
}

void ParameterWriter::Describe(const std::vector<ParameterValue>& values) {
    if (Matches(values)) return;
    std::vector<TFieldValue> signature;
    signature.reserve(values.size());
    for (const ParameterValue& parameter : values) signature.push_back(SentShape(*parameter.value));

    FbStatus status;
    FbRef<IMetadataBuilder> builder(FbMaster()->getMetadataBuilder(&status, unsigned(signature.size())));
    for (unsigned i = 0; i < signature.size(); ++i) {
        const TFieldValue& shape = signature[i];
        builder->setType(&status, i, shape.sqlType | 1u);
        builder->setSubType(&status, i, shape.subType);
        builder->setLength(&status, i, shape.length);
        builder->setScale(&status, i, shape.scale);
        builder->setCharSet(&status, i, shape.charSet);
    }
    metadata_.Reset(builder->getMetadata(&status));
    signature_ = std::move(signature);
    ReadOffsets(metadata_.get(), offsets_, nullOffsets_);
    buffer_ = QByteArray(int(metadata_->getMessageLength(&status)), '\0');
}

void ParameterWriter::Write(const std::vector<ParameterValue>& values, IAttachment* attachment,
                            ITransaction* transaction) {
    Describe(values);
    unsigned char* buffer = reinterpret_cast<unsigned char*>(buffer_.data());
    for (unsigned i = 0; i < values.size(); ++i) {
        const TFieldValue& value = *values[i].value;
        ISC_SHORT* nullFlag = reinterpret_cast<ISC_SHORT*>(buffer + nullOffsets_[i]);
        *nullFlag = value.isNull ? -1 : 0;
        if (value.isNull) continue;
        unsigned char* slot = buffer + offsets_[i];
        const unsigned length = signature_[i].length;
        switch (value.sqlType) {
        case SQL_VARYING: {
            const ISC_USHORT size = static_cast<ISC_USHORT>(std::min<qsizetype>(value.data.size(), length));
            std::memcpy(slot, &size, sizeof size);
            std::memcpy(slot + sizeof size, value.data.constData(), size);
            break;
        }
        case SQL_BLOB: {
            const ISC_QUAD id = WriteBlob(attachment, transaction, value, values[i].table, values[i].column);
            std::memcpy(slot, &id, sizeof id);
            break;
        }
        case SQL_ARRAY: {
            const ISC_QUAD id = arrays_.Write(attachment, transaction, value.data, values[i].table, values[i].column);
            std::memcpy(slot, &id, sizeof id);
            break;
        }
        default:
            std::memset(slot, 0, length);
            std::memcpy(slot, value.data.constData(), std::min<qsizetype>(value.data.size(), length));
        }
    }
}
