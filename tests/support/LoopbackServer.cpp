#include "support/LoopbackServer.h"

#include "retrieval/ConnectionPool.h"

#include <chrono>

std::string RecordedRequest::Header(const char* name) const {
    auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()) {
    Begin();
}

LoopbackServer::LoopbackServer(const QString& certFile, const QString& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.toLocal8Bit().constData(),
                                                   keyFile.toLocal8Bit().constData())),
      tls_(true) {
    Begin();
}

void LoopbackServer::Begin() {
    // Recorded after routing (the body has been read by then) and before the
    // response goes out, so a client that got its answer finds its request.
    server_->set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard lock(mutex_);
        requests_.push_back(RecordedRequest{req.method, req.path, req.target, req.headers, req.body});
        clientPorts_.insert(req.remote_port);
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() is ignored until the server runs: wait so the destructor can
    // always end it.
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer() {
    // Stopping waits for every open connection to go quiet (up to the
    // keep-alive time-out); the transport keeps its idle ones per thread,
    // so close those of the thread ending the server first.
    ConnectionPool::CloseIdleConnections();
    ReleaseHeld();
    server_->stop();
    thread_.join();
}

QString LoopbackServer::Url(const QString& path) const {
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(tls_ ? "https" : "http").arg(port_).arg(path);
}

QString LoopbackServer::ConnectTo(const QString& host, int hostPort) const {
    return QStringLiteral("%1:%2:127.0.0.1:%3").arg(host).arg(hostPort).arg(port_);
}

void LoopbackServer::ServeBody(const std::string& path, const QByteArray& body, const std::string& type) {
    server_->Get(path, [body, type](const httplib::Request&, httplib::Response& res) {
        res.set_content(body.toStdString(), type.c_str());
    });
}

void LoopbackServer::ServeChunked(const std::string& path, const QByteArray& body, const std::string& type) {
    server_->Get(path, [body, type](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider(type, [body](size_t offset, httplib::DataSink& sink) {
            if (offset < static_cast<size_t>(body.size()))
                sink.write(body.constData() + offset, body.size() - offset);
            else
                sink.done();
            return true;
        });
    });
}

void LoopbackServer::Redirect(const std::string& path, const std::string& location, int status) {
    server_->Get(path, [location, status](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_header("Location", location);
    });
}

void LoopbackServer::ServeStatus(const std::string& path, int status, const QByteArray& body) {
    server_->Get(path, [status, body](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body.toStdString(), "text/html");
    });
}

void LoopbackServer::ServeCutShort(const std::string& path, qint64 announced, const QByteArray& sent) {
    server_->Get(path, [announced, sent](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(static_cast<size_t>(announced), "video/x-flv",
                                 [sent](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0 && !sent.isEmpty())
                                         sink.write(sent.constData(), sent.size());
                                     return offset == 0 && !sent.isEmpty() ? true : false;
                                 });
    });
}

void LoopbackServer::ServeSlow(const std::string& path, qint64 total, int block, int delayMs) {
    server_->Get(path, [total, block, delayMs](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(static_cast<size_t>(total), "video/x-flv",
                                 [total, block, delayMs](size_t offset, size_t, httplib::DataSink& sink) {
                                     std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                                     const std::string zeros(
                                         static_cast<size_t>(std::min<qint64>(block, total - qint64(offset))),
                                         '\0');
                                     return sink.write(zeros.data(), zeros.size());
                                 });
    });
}

void LoopbackServer::ServeGenerated(const std::string& path, qint64 total) {
    server_->Get(path, [total](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(static_cast<size_t>(total), "video/x-flv",
                                 [total](size_t offset, size_t, httplib::DataSink& sink) {
                                     static const std::string block(256 * 1024, 'z');
                                     const size_t n = static_cast<size_t>(std::min<qint64>(
                                         static_cast<qint64>(block.size()), total - qint64(offset)));
                                     return sink.write(block.data(), n);
                                 });
    });
}

void LoopbackServer::ServeHeld(const std::string& path, qint64 total, qint64 before) {
    server_->Get(path, [this, total, before](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(static_cast<size_t>(total), "video/x-flv",
                                 [this, total, before](size_t offset, size_t, httplib::DataSink& sink) {
                                     const qint64 at = static_cast<qint64>(offset);
                                     if (at >= before)
                                         held_.Wait(-1);
                                     const qint64 end = at < before ? before : total;
                                     const std::string zeros(
                                         static_cast<size_t>(std::min<qint64>(64 * 1024, end - at)), '\0');
                                     return sink.write(zeros.data(), zeros.size());
                                 });
    });
}

void LoopbackServer::ServeWithCookie(const std::string& path, const std::string& cookie,
                                     const QByteArray& body) {
    server_->Get(path, [cookie, body](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", cookie);
        res.set_content(body.toStdString(), "text/html");
    });
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackServer::Connections() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(clientPorts_.size());
}

int LoopbackServer::Hits(const std::string& path) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const RecordedRequest& r : requests_)
        n += r.path == path ? 1 : 0;
    return n;
}
