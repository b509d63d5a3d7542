#pragma once

// How a transaction sees the work of others, whether it writes, and whether it waits for a row
// another transaction holds.
enum class FbIsolation { ReadCommitted, Snapshot };
struct FbTransactionOptions {
    FbIsolation isolation = FbIsolation::ReadCommitted;
    bool readOnly = false;
    bool wait = true;
    int lockTimeout = 0;   // seconds a wait lasts at most; 0: until the other transaction ends
};
