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
#include <sys/uio.h>
#include <algorithm>
#include <ctime>
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

// When the kernel took in what the last read returned, on the steady clock: a piece is held from
// then, not from the moment this thread woke up to read it.
Clock::time_point Arrival(const msghdr& message) {
    const Clock::time_point now = Clock::now();
    for (cmsghdr* control = CMSG_FIRSTHDR(&message); control; control = CMSG_NXTHDR(const_cast<msghdr*>(&message), control)) {
        if (control->cmsg_level != SOL_SOCKET || control->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(control), sizeof stamp);
        timespec wall{};
        clock_gettime(CLOCK_REALTIME, &wall);
        const auto age = std::chrono::seconds(wall.tv_sec - stamp.tv_sec) + std::chrono::nanoseconds(wall.tv_nsec - stamp.tv_nsec);
        if (age >= Clock::duration::zero() && age < std::chrono::milliseconds(100)) return now - age;
    }
    return now;
}

// Reads from one socket and writes to the other, each piece held back by the delay. One thread
// waits for both the next piece and the time the oldest may go: handing pieces between threads
// would add its own latency to every round trip. A timer here wakes some tens of microseconds
// late; the pump learns by how much, wakes that much early and waits out the rest awake, so that
// a piece goes neither early nor late. Passing a piece on takes a hop the direct path does not
// have (a send on loopback costs some tens of microseconds); that too is learnt and held less.
void Pump(int from, int to, std::chrono::microseconds delay) {
    // The default timer slack of 50 us would make the lateness vary more.
    prctl(PR_SET_TIMERSLACK, 1UL);
    const int on = 1;
    setsockopt(from, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    std::deque<std::pair<Clock::time_point, std::vector<char>>> pieces;
    std::vector<char> buffer(256 * 1024);
    alignas(cmsghdr) char controlBuffer[CMSG_SPACE(sizeof(timespec)) * 2];
    Clock::duration lateness = std::chrono::microseconds(30);
    Clock::duration hop = Clock::duration::zero();
    bool open = true;
    while (open || !pieces.empty()) {
        timespec wait{};
        timespec* timeout = nullptr;
        Clock::time_point wake{};
        if (!pieces.empty()) {
            wake = pieces.front().first - lateness;
            const auto left = std::max(Clock::duration::zero(), wake - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait = {time_t(ns / 1000000000), long(ns % 1000000000)};
            timeout = &wait;
        }
        pollfd readable{from, POLLIN, 0};
        const int ready = open ? ppoll(&readable, 1, timeout, nullptr) : (SleepFor(timeout), 0);
        if (ready == 0 && timeout && wait.tv_sec == 0 && wait.tv_nsec > 0) {
            // How late this timer woke, averaged over the last few dozen waits.
            const auto late = std::clamp<Clock::duration>(Clock::now() - wake, Clock::duration::zero(), std::chrono::microseconds(200));
            lateness += (late - lateness) / 16;
        }
        if (ready > 0) {
            iovec span{buffer.data(), buffer.size()};
            msghdr message{};
            message.msg_iov = &span;
            message.msg_iovlen = 1;
            message.msg_control = controlBuffer;
            message.msg_controllen = sizeof controlBuffer;
            const ssize_t n = ::recvmsg(from, &message, 0);
            if (n <= 0)
                open = false;
            else
                pieces.emplace_back(Arrival(message) + delay - hop, std::vector<char>(buffer.begin(), buffer.begin() + n));
        }
        if (!pieces.empty() && pieces.front().first > Clock::now() && pieces.front().first - Clock::now() <= lateness)
            while (Clock::now() < pieces.front().first) {
            }
        while (!pieces.empty() && pieces.front().first <= Clock::now()) {
            const std::vector<char>& piece = pieces.front().second;
            const Clock::time_point sending = Clock::now();
            for (size_t sent = 0; sent < piece.size();) {
                const ssize_t n = ::send(to, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += size_t(n);
            }
            hop += (std::min<Clock::duration>(Clock::now() - sending, delay / 4) - hop) / 16;
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
