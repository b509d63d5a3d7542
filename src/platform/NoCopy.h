#pragma once

// The base of a class that owns what it holds (a connection, a statement, a thread, records):
// a copy would free it twice, so there is none.
class NoCopy {
protected:
    NoCopy() = default;
    ~NoCopy() = default;

public:
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};
