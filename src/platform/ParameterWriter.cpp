#include "ParameterWriter.h"

#include "BlobTransfer.h"
#include "CharacterSets.h"
#include "FbApi.h"
#include "MessageOffsets.h"

#include <algorithm>
#include <cstring>

using namespace Firebird;

namespace {

// Bytes one character may take in a character set whose characters are of more than one byte.
int WidestCharacter(unsigned charSet) { return charSet == csUtf8 ? 4 : charSet == csUnicodeFss ? 3 : 1; }

// A CHAR of such a set comes in a buffer of as many bytes as its widest characters would take,
// padded with blanks: as a CHAR of that many bytes the server would take every blank for a
// character of the value, and a VARCHAR or a blob would keep them all. The value is its declared
// characters, sent as a VARCHAR.
bool IsWideChar(const TFieldValue& value) { return value.sqlType == SQL_TEXT && WidestCharacter(value.charSet) > 1; }

QByteArray DeclaredCharacters(const TFieldValue& value) {
    const unsigned characters = value.length / unsigned(WidestCharacter(value.charSet));
    QByteArray text = value.data;
    while (!text.isEmpty() && text.back() == ' ') text.chop(1);
    // Both sets write a character as one lead byte and continuation bytes 10xxxxxx.
    const auto written = unsigned(std::count_if(text.begin(), text.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
    if (written < characters) text.append(qsizetype(characters - written), ' ');
    return text;
}

// The type a value is sent with: its own, blobs and arrays as ids, an untyped NULL as text, a
// CHAR of characters wider than a byte as a VARCHAR.
TFieldValue SentShape(const TFieldValue& value) {
    TFieldValue shape{value.sqlType, value.subType, value.scale, value.length, value.charSet, false, {}};
    if (shape.sqlType == SQL_BLOB || shape.sqlType == SQL_ARRAY) shape.length = sizeof(ISC_QUAD);
    if (shape.sqlType == SQL_NULL || shape.sqlType == 0) shape = TFieldValue{SQL_TEXT, 0, 0, 1, 0, false, {}};
    if (IsWideChar(value)) shape.sqlType = SQL_VARYING;
    return shape;
}

void PutVarying(unsigned char* slot, const QByteArray& text, unsigned length) {
    const ISC_USHORT size = static_cast<ISC_USHORT>(std::min<qsizetype>(text.size(), length));
    std::memcpy(slot, &size, sizeof size);
    std::memcpy(slot + sizeof size, text.constData(), size);
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
        if (IsWideChar(value)) {
            PutVarying(slot, DeclaredCharacters(value), length);
            continue;
        }
        switch (value.sqlType) {
        case SQL_VARYING: PutVarying(slot, value.data, length); break;
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
