#pragma once

#include "FieldList.h"

#include <vector>

// Through a server, a blob up to this size travels inside the statement's message and the server
// makes it: creating it first would cost two round trips more than the rest of the row.
constexpr unsigned InlineBlobBytes = 1024;

// The value as it is sent. A small blob of the column's own sub-type and character set goes as
// text of that character set (binary as OCTETS), which the server turns into the same bytes; any
// other value goes as it is, a blob to be created on the destination first and passed by its id.
TFieldValue Inlined(const TFieldValue& value, const TField& column);
// The row's values as they are sent, each by Inlined.
std::vector<TFieldValue> Inlined(const FieldList& fields, const std::vector<TFieldValue>& values);
