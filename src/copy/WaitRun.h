#pragma once

#include "ServerWait.h"
#include "platform/NoCopy.h"

// One run of the waits: begun on entering the scope, finished on leaving it however it is left.
class WaitRun : private NoCopy {
public:
    explicit WaitRun(ServerWait& waits) : waits_(waits) { waits_.Begin(); }
    ~WaitRun() { waits_.Finish(); }

private:
    ServerWait& waits_;
};
