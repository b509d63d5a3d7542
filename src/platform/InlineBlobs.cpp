#include "InlineBlobs.h"

#include <firebird/Interface.h>

namespace {

constexpr unsigned Octets = 1;

}  // namespace

TFieldValue Inlined(const TFieldValue& value, const TField& column) {
    if (value.sqlType != SQL_BLOB) return value;
    const TFieldValue& target = column.Shape();
    const bool plain = value.subType == 0 || value.subType == 1;
    if (!plain || value.subType != target.subType || value.charSet != target.charSet ||
        value.data.size() > qsizetype(InlineBlobBytes))
        return value;
    return {SQL_VARYING, 0, 0, InlineBlobBytes, value.subType == 1 ? value.charSet : Octets, value.isNull, value.data};
}

std::vector<TFieldValue> Inlined(const FieldList& fields, const std::vector<TFieldValue>& values) {
    std::vector<TFieldValue> sent;
    sent.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) sent.push_back(Inlined(values[i], *fields[i]));
    return sent;
}
