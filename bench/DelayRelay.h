#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A TCP relay on 127.0.0.1 that holds every piece of traffic for a fixed time in each direction
// before passing it on to a port of localhost: a network's round trip without touching the
// system's settings.
class DelayRelay {
public:
    DelayRelay(int targetPort, std::chrono::microseconds delay);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    int Port() const { return port_; }

private:
    void Accept();

    int targetPort_;
    std::chrono::microseconds delay_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> pumps_;
    std::vector<int> sockets_;
};
