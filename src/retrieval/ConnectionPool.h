#pragma once
// The transfers of one thread run on one libcurl multi handle and so share
// its pool of idle connections: a request to a host that was just asked
// reuses the open connection (and its TLS session, and the CA store built
// for it) instead of connecting again. A transfer removed before its body
// ended closes its connection, so a half-read response never serves the next
// request.
//
// libcurl does not support one connection pool used by several threads at
// once (the share interface's connection cache has that limit), so every
// thread that makes requests gets its own pool, created on its first request
// and closed when the thread ends: the batch thread keeps its connections
// for the whole batch, the update check for its one request.
//
// Threads: a pool belongs to the thread that ForThisThread returned it to and
// is used only there.

#include <curl/curl.h>

class ConnectionPool {
  public:
    static ConnectionPool& ForThisThread();

    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;
    ~ConnectionPool();

    // Adds and removes a transfer of this thread. A transfer removed before
    // it finished closes its connection instead of leaving it for reuse.
    bool Add(CURL* easy);
    void Remove(CURL* easy);
    CURLM* Multi() const { return multi_; }

    // Closes the idle connections of the calling thread's pool, when no
    // transfer of the thread is running (otherwise does nothing). For a
    // thread that will not make requests for a long time, and for tests that
    // stop a server which would otherwise wait for the idle connection.
    static void CloseIdleConnections();

  private:
    ConnectionPool();
    void Open();
    void Close();
    CURLM* multi_ = nullptr;
    int transfers_ = 0;
};
