#pragma once

#include "ArraySlices.h"
#include "FieldList.h"

#include <firebird/Interface.h>
#include <vector>

// Turns fetched message buffers into field values, blob and array contents included; the
// metadata must outlive the reader.
class RowReader {
public:
    explicit RowReader(Firebird::IMessageMetadata* metadata);
    void Read(const unsigned char* buffer, FieldList& fields, Firebird::IAttachment* attachment,
              Firebird::ITransaction* transaction);

private:
    Firebird::IMessageMetadata* metadata_;
    std::vector<unsigned> offsets_, nullOffsets_;
    ArraySlices arrays_;
};
