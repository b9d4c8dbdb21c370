#pragma once
// nginx serving a folder on 127.0.0.1 from a private prefix: its own
// configuration, pid, lock, log and temporary folders, no root-owned path
// touched; one process in the foreground (no daemon, no master), running as
// the current user, sendfile on and no access log, so the server costs next
// to nothing against the client it serves.
//
// Threads: the benchmark's main thread only.

#include "ChildProcess.h"

#include <string>

class NginxServer {
  public:
    // `prefix` is an empty folder the server may fill; `root` the folder served.
    NginxServer(std::string nginxPath, std::string prefix, std::string root);
    // Stops the server when it still runs.
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Starts it on a free port and waits until it accepts connections.
    // Throws std::runtime_error with the server's own error text on failure.
    void Start();
    void Stop();
    int Port() const { return port_; }

  private:
    bool TryStart(int port, std::string& error);
    void WriteConfig(int port) const;

    std::string nginx_;
    std::string prefix_;
    std::string root_;
    ChildProcess process_{WatchSlot::Server};
    int port_ = 0;
};
