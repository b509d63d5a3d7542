#include "DelayRelay.h"

#include <arpa/inet.h>
#include <cstring>
#include <deque>
#include <netdb.h>
#include <string>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void SleepFor(const timespec* span) {
    if (span) nanosleep(span, nullptr);
}

void NoDelay(int socket) {
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// The server on loopback, which may listen on ::1 alone.
int ConnectTo(int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo("localhost", std::to_string(port).c_str(), &hints, &found) != 0) return -1;
    int socket = -1;
    for (addrinfo* address = found; address && socket < 0; address = address->ai_next) {
        socket = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (socket >= 0 && ::connect(socket, address->ai_addr, address->ai_addrlen) != 0) {
            ::close(socket);
            socket = -1;
        }
    }
    freeaddrinfo(found);
    if (socket >= 0) NoDelay(socket);
    return socket;
}

// Reads from one socket and writes to the other, each piece held back by the delay. One thread
// waits for both the next piece and the time the oldest may go: handing pieces between threads
// would add its own latency to every round trip.
void Pump(int from, int to, std::chrono::microseconds delay) {
    // The default timer slack of 50 us would lengthen every wait by a fifth.
    prctl(PR_SET_TIMERSLACK, 1UL);
    std::deque<std::pair<Clock::time_point, std::vector<char>>> pieces;
    std::vector<char> buffer(256 * 1024);
    bool open = true;
    while (open || !pieces.empty()) {
        timespec wait{};
        timespec* timeout = nullptr;
        if (!pieces.empty()) {
            const auto left = std::max(Clock::duration::zero(), pieces.front().first - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait = {time_t(ns / 1000000000), long(ns % 1000000000)};
            timeout = &wait;
        }
        pollfd readable{from, POLLIN, 0};
        const int ready = open ? ppoll(&readable, 1, timeout, nullptr) : (SleepFor(timeout), 0);
        if (ready > 0) {
            const ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                open = false;
            else
                pieces.emplace_back(Clock::now() + delay, std::vector<char>(buffer.begin(), buffer.begin() + n));
        }
        while (!pieces.empty() && pieces.front().first <= Clock::now()) {
            const std::vector<char>& piece = pieces.front().second;
            for (size_t sent = 0; sent < piece.size();) {
                const ssize_t n = ::send(to, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += size_t(n);
            }
            pieces.pop_front();
        }
    }
    ::shutdown(to, SHUT_WR);
}

}  // namespace

DelayRelay::DelayRelay(int targetPort, std::chrono::microseconds delay) : targetPort_(targetPort), delay_(delay) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        throw std::runtime_error(std::string("relay: ") + std::strerror(errno));
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

DelayRelay::~DelayRelay() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    {
        std::lock_guard lock(mutex_);
        for (int socket : sockets_) ::shutdown(socket, SHUT_RDWR);
    }
    for (std::thread& pump : pumps_) pump.join();
    for (int socket : sockets_) ::close(socket);
}

void DelayRelay::Accept() {
    for (;;) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        if (stopping_) {
            ::close(client);
            return;
        }
        NoDelay(client);
        const int server = ConnectTo(targetPort_);
        if (server < 0) {
            ::close(client);
            continue;
        }
        std::lock_guard lock(mutex_);
        sockets_.push_back(client);
        sockets_.push_back(server);
        pumps_.emplace_back(Pump, client, server, delay_);
        pumps_.emplace_back(Pump, server, client, delay_);
    }
}
