#include "SilentServer.h"

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer() : listener_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listener_, 8);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    std::snprintf(database_, sizeof database_, "127.0.0.1/%d:/nada.fdb", int(ntohs(address.sin_port)));
}

SilentServer::~SilentServer() { ::close(listener_); }

void SilentServer::WaitForClient() {
    // Left open: a closed connection would answer the client.
    ::accept(listener_, nullptr, nullptr);
}
