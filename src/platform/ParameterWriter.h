#pragma once

#include "ArraySlices.h"
#include "FbRef.h"
#include "TFieldValue.h"

#include <QByteArray>
#include <QString>
#include <firebird/Interface.h>
#include <vector>

// One value for a statement parameter; blobs and arrays name the column they are written to.
struct ParameterValue {
    const TFieldValue* value;
    QString table;
    QString column;
};

// Builds the input message of a statement from values: each parameter is described with the
// value's own type, so bytes pass unchanged and the server converts only where types differ.
class ParameterWriter {
public:
    ParameterWriter() = default;
    ParameterWriter(const ParameterWriter&) = delete;
    ParameterWriter& operator=(const ParameterWriter&) = delete;

    void Write(const std::vector<ParameterValue>& values, Firebird::IAttachment* attachment,
               Firebird::ITransaction* transaction);
    Firebird::IMessageMetadata* Metadata() const { return metadata_.get(); }
    // Null when there are no parameters, as the server expects for a statement without input.
    unsigned char* Buffer() { return metadata_ ? reinterpret_cast<unsigned char*>(buffer_.data()) : nullptr; }

private:
    void Describe(const std::vector<ParameterValue>& values);
    bool Matches(const std::vector<ParameterValue>& values) const;
    FbRef<Firebird::IMessageMetadata> metadata_;
    std::vector<TFieldValue> signature_;
    std::vector<unsigned> offsets_, nullOffsets_;
    QByteArray buffer_;
    ArraySlices arrays_;
};
