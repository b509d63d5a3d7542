#pragma once

#include <firebird/Interface.h>

// Status wrapper whose failures are raised as EDatabaseError carrying the whole status vector.
class FbStatus : public Firebird::BaseStatusWrapper<FbStatus> {
public:
    FbStatus();
    ~FbStatus();
    FbStatus(const FbStatus&) = delete;
    FbStatus& operator=(const FbStatus&) = delete;
    static void checkException(FbStatus* status);
};
