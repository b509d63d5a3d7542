#include "MessageOffsets.h"

#include "FbApi.h"

using namespace Firebird;

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
