#pragma once

// A server on loopback that takes connections and never answers, as a frozen one does: a
// client's attach to it waits for minutes, and nothing can cancel it.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // A database path on it: 127.0.0.1/<port>:/nada.fdb.
    const char* Database() const { return database_; }
    // Returns once a client has connected: its attach is then waiting for the answer.
    void WaitForClient();

private:
    int listener_ = -1;
    char database_[64] = {};
};
