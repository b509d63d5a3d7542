#pragma once

#include "TField.h"

#include <firebird/Interface.h>
#include <memory>
#include <vector>

using FieldList = std::vector<std::unique_ptr<TField>>;

// Describes a statement's output columns as fields.
FieldList DescribeFields(Firebird::IMessageMetadata* metadata);
