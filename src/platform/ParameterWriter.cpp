#include "ParameterWriter.h"

#include "BlobTransfer.h"
#include "FbApi.h"
#include "MessageOffsets.h"

#include <algorithm>
#include <cstring>

using namespace Firebird;

namespace {

// The type a value is sent with: its own, blobs and arrays as ids, an untyped NULL as text.
TFieldValue SentShape(const TFieldValue& value) {
    TFieldValue shape{value.sqlType, value.subType, value.scale, value.length, value.charSet, false, {}};
    if (shape.sqlType == SQL_BLOB || shape.sqlType == SQL_ARRAY) shape.length = sizeof(ISC_QUAD);
    if (shape.sqlType == SQL_NULL || shape.sqlType == 0) shape = TFieldValue{SQL_TEXT, 0, 0, 1, 0, false, {}};
    return shape;
}

}  // namespace

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
