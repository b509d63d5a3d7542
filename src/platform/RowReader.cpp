#include "RowReader.h"

#include "BlobTransfer.h"
#include "FbApi.h"
#include "MessageOffsets.h"

#include <cstring>

using namespace Firebird;

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
