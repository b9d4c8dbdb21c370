#include "support/SilentServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 16) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "no listening socket for the silent server";
        return;
    }
    port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString SilentServer::ConnectTo(const QString& host, int hostPort) const {
    return QStringLiteral("%1:%2:127.0.0.1:%3").arg(host).arg(hostPort).arg(port_);
}
