#pragma once

// A dataset using a connection; told to drop its server handles before the connection closes.
class ConnectionClient {
public:
    virtual ~ConnectionClient() = default;
    virtual void ConnectionClosing() = 0;
};
