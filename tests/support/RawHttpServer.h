#pragma once
// A byte-level HTTP server on 127.0.0.1 (port 0) for what a parsing server
// hides: it records each request head exactly as received (header order and
// spelling included) and answers every connection with one scripted response,
// then closes it.
//
// Threads: one accept thread, ended and joined by the destructor.

#include <QByteArray>
#include <QList>

#include <mutex>
#include <thread>

class RawHttpServer {
  public:
    explicit RawHttpServer(QByteArray response);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int Port() const { return port_; }
    // Request heads received so far, each up to and including the blank line.
    QList<QByteArray> Heads() const;

  private:
    void Serve();

    QByteArray response_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    QList<QByteArray> heads_;
};
