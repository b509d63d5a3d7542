#pragma once

#include <firebird/Interface.h>
#include <vector>

// Where each column's value and null flag sit in a message buffer laid out by the metadata.
void ReadOffsets(Firebird::IMessageMetadata* metadata, std::vector<unsigned>& offsets, std::vector<unsigned>& nullOffsets);
