#include "retrieval/ConnectionPool.h"

namespace {
// Idle connections kept per thread: a watch page, its information host and
// the media host, with room to spare.
constexpr long kMaxIdleConnections = 8;
} // namespace

ConnectionPool& ConnectionPool::ForThisThread() {
    thread_local ConnectionPool pool;
    return pool;
}

ConnectionPool::ConnectionPool() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    Open();
}

ConnectionPool::~ConnectionPool() {
    Close();
}

void ConnectionPool::Open() {
    multi_ = curl_multi_init();
    if (multi_)
        curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, kMaxIdleConnections);
}

void ConnectionPool::Close() {
    if (multi_)
        curl_multi_cleanup(multi_);
    multi_ = nullptr;
}

bool ConnectionPool::Add(CURL* easy) {
    if (!multi_ || curl_multi_add_handle(multi_, easy) != CURLM_OK)
        return false;
    ++transfers_;
    return true;
}

void ConnectionPool::Remove(CURL* easy) {
    curl_multi_remove_handle(multi_, easy);
    --transfers_;
}

void ConnectionPool::CloseIdleConnections() {
    ConnectionPool& pool = ForThisThread();
    if (pool.transfers_ != 0)
        return;
    pool.Close();
    pool.Open();
}
