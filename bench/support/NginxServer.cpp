#include "NginxServer.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kStartAttempts = 3;
constexpr int kReadyTimeoutMs = 10000;

// A port the kernel just handed out and released; another process may still
// take it before the server binds it, hence the retries in Start().
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

NginxServer::NginxServer(std::string nginxPath, std::string prefix, std::string root)
    : nginx_(std::move(nginxPath)), prefix_(std::move(prefix)), root_(std::move(root)) {}

NginxServer::~NginxServer() {
    Stop();
}

void NginxServer::WriteConfig(int port) const {
    const std::string& p = prefix_;
    std::ofstream conf(p + "/nginx.conf", std::ios::trunc);
    conf << "daemon off;\n"
            "master_process off;\n"
            "worker_processes 1;\n"
         << "pid " << p << "/nginx.pid;\n"
         << "lock_file " << p << "/nginx.lock;\n"
         << "error_log " << p << "/error.log warn;\n"
         << "events { worker_connections 64; }\n"
            "http {\n"
            "    access_log off;\n"
            "    sendfile on;\n"
            "    tcp_nopush on;\n"
            "    keepalive_timeout 30s;\n"
         << "    client_body_temp_path " << p << "/body;\n"
         << "    proxy_temp_path " << p << "/proxy;\n"
         << "    fastcgi_temp_path " << p << "/fastcgi;\n"
         << "    uwsgi_temp_path " << p << "/uwsgi;\n"
         << "    scgi_temp_path " << p << "/scgi;\n"
         << "    types { text/html html; video/x-flv flv; video/mp4 mp4; }\n"
            "    default_type application/octet-stream;\n"
            "    server {\n"
         << "        listen 127.0.0.1:" << port << ";\n"
         << "        server_name _;\n"
         << "        root " << root_ << ";\n"
         << "        index index.html;\n"
            "    }\n"
            "}\n";
    if (!conf)
        throw std::runtime_error("cannot write " + p + "/nginx.conf");
}

bool NginxServer::TryStart(int port, std::string& error) {
    WriteConfig(port);
    const std::string log = prefix_ + "/stderr.log";
    // -e: the start-up messages go to our prefix, not to /var/log.
    process_.Start({nginx_, "-p", prefix_ + "/", "-c", prefix_ + "/nginx.conf", "-e", prefix_ + "/error.log"},
                   log);
    for (int waited = 0; waited < kReadyTimeoutMs; waited += 20) {
        if (const std::optional<ChildOutcome> ended = process_.Poll()) {
            error = "nginx ended at start-up (" + ended->Describe() + "): " + ReadFile(log) +
                    ReadFile(prefix_ + "/error.log");
            return false;
        }
        if (Accepts(port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    process_.Stop(1000);
    error = "nginx did not accept connections on port " + std::to_string(port) + " within " +
            std::to_string(kReadyTimeoutMs) + " ms: " + ReadFile(prefix_ + "/error.log");
    return false;
}

void NginxServer::Start() {
    std::string error;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        const int port = FreePort();
        if (port == 0) {
            error = "no free port on 127.0.0.1";
            continue;
        }
        if (TryStart(port, error)) {
            port_ = port;
            return;
        }
    }
    throw std::runtime_error(error);
}

void NginxServer::Stop() {
    if (process_.Running())
        process_.Stop(3000);
    port_ = 0;
}
