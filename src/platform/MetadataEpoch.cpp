#include "MetadataEpoch.h"

#include <atomic>

namespace {

// Read on the threads that write rows, changed on the window's.
std::atomic<unsigned long> epoch{0};

}  // namespace

void MetadataChanged() { ++epoch; }

unsigned long MetadataEpoch() { return epoch.load(); }
