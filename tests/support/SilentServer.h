#pragma once
// A TCP port on 127.0.0.1 that takes connections (the kernel completes them
// from its backlog) and never answers: a server that hangs.

#include <QString>

class SilentServer {
  public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int Port() const { return port_; }
    // A ZORV_CONNECT_TO entry sending host:hostPort here.
    QString ConnectTo(const QString& host, int hostPort = 80) const;

  private:
    int fd_ = -1;
    int port_ = 0;
};
