// One exchange of the HTTP transport against real loopback servers: shared
// connections, aborts while the server stalls, refused framing and bodies
// that end early.

#include "retrieval/TransportError.h"
#include "retrieval/TransportResponse.h"

#include "support/LoopbackServer.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace {
using Clock = std::chrono::steady_clock;

// A port whose connections the kernel completes but nobody ever accepts or
// answers: a server that has hung.
class SilentListener {
  public:
    SilentListener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(fd_, 4) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        port_ = ntohs(addr.sin_port);
    }
    ~SilentListener() { ::close(fd_); }
    int Port() const { return port_; }

  private:
    int fd_;
    int port_ = 0;
};

QByteArray Url(int port, const char* path) {
    return QByteArray("http://127.0.0.1:") + QByteArray::number(port) + path;
}

std::unique_ptr<TransportResponse> Get(const QByteArray& url, std::function<bool()> abortCheck = {}) {
    TransportRequest request;
    request.url = url;
    request.abortCheck = std::move(abortCheck);
    return TransportResponse::Send(request);
}

QByteArray ReadAll(TransportResponse& response) {
    QByteArray body;
    char block[8192];
    while (const qint64 n = response.Read(block, sizeof block))
        body.append(block, n);
    return body;
}

QByteArray RawResponse(const QByteArray& headerLines, const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\n" + headerLines + "Connection: close\r\n\r\n" + body;
}
} // namespace

TEST(TransportResponse, RequestsToOneHostShareOneConnection) {
    LoopbackServer server;
    server.ServeBody("/a", "first");
    server.ServeBody("/b", "second");
    server.ServeGenerated("/big", qint64(8) * 1024 * 1024);

    EXPECT_EQ(ReadAll(*Get(server.Url("/a").toUtf8())), "first");
    EXPECT_EQ(ReadAll(*Get(server.Url("/b").toUtf8())), "second");
    EXPECT_EQ(server.Connections(), 1);

    // Left after one block: the rest of that body must not reach the next
    // request, so its connection is closed rather than reused.
    {
        std::unique_ptr<TransportResponse> big = Get(server.Url("/big").toUtf8());
        char block[8192];
        ASSERT_EQ(big->Read(block, sizeof block), 8192);
    }
    EXPECT_EQ(ReadAll(*Get(server.Url("/a").toUtf8())), "first");
    EXPECT_EQ(ReadAll(*Get(server.Url("/b").toUtf8())), "second");
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Hits("/a"), 2);
}

// A stop must not wait for the server: the abort is seen while the exchange
// waits for headers that never come and for a body that trickles in.
TEST(TransportResponse, AbortEndsAStalledExchangePromptly) {
    SilentListener silent;
    LoopbackServer server;
    server.ServeSlow("/drip", 100, 1, 1000); // one byte per second
    const struct {
        const char* name;
        QByteArray url;
    } cases[] = {
        {"never answers", Url(silent.Port(), "/watch")},
        {"one byte per second", server.Url("/drip").toUtf8()},
    };
    for (const auto& c : cases) {
        const Clock::time_point stopAt = Clock::now() + std::chrono::milliseconds(300);
        Clock::time_point thrown;
        try {
            std::unique_ptr<TransportResponse> response =
                Get(c.url, [stopAt] { return Clock::now() >= stopAt; });
            ReadAll(*response);
            ADD_FAILURE() << c.name << ": the exchange ended without an abort";
        } catch (const TransportError& error) {
            thrown = Clock::now();
            EXPECT_TRUE(error.IsAbort()) << c.name << ": " << error.code;
            EXPECT_EQ(error.code, TransportError::kAborted) << c.name;
        }
        EXPECT_LT(thrown - stopAt, std::chrono::seconds(1)) << c.name;
    }
}

// Content-Length headers that disagree leave the body's end unknown: such a
// response is refused, never cut to one of the lengths.
TEST(TransportResponse, ConflictingContentLengthsAreRefused) {
    const QByteArray body(400000, 'b');
    const struct {
        const char* headers;
        qint64 bodyBytes; // -1: refused
    } cases[] = {
        {"Content-Length: 400000\r\nContent-Length: 1000\r\n", -1},
        {"Content-Length: 1000\r\nContent-Length: 400000\r\n", -1},
        {"Content-Length: 1000, 400000\r\n", -1},
        {"Content-Length: 1000\r\nContent-Length: 1000\r\n", 1000},
    };
    for (const auto& c : cases) {
        RawHttpServer raw(RawResponse(c.headers, body));
        try {
            std::unique_ptr<TransportResponse> response = Get(Url(raw.Port(), "/clip.flv"));
            EXPECT_EQ(ReadAll(*response).size(), c.bodyBytes) << c.headers;
        } catch (const TransportError& error) {
            EXPECT_EQ(c.bodyBytes, -1) << c.headers;
            EXPECT_EQ(error.code, TransportError::kInvalidFraming) << c.headers;
            EXPECT_FALSE(error.IsAbort());
        }
    }
}

// A body that ends early still reads to its end, and says so.
TEST(TransportResponse, BodyEndingEarlyIsReported) {
    LoopbackServer server;
    server.ServeCutShort("/cut", 100000, QByteArray(30000, 'c'));
    server.ServeBody("/whole", QByteArray(30000, 'w'));
    RawHttpServer chunked(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n4000\r\n" +
        QByteArray(5000, 'k'));
    RawHttpServer unannounced("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(20000, 'u'));
    const struct {
        const char* name;
        QByteArray url;
        qint64 bytes;
        bool endedShort;
    } cases[] = {
        {"cut short of its Content-Length", server.Url("/cut").toUtf8(), 30000, true},
        {"chunked, last chunk missing", Url(chunked.Port(), "/"), 5000, true},
        {"whole", server.Url("/whole").toUtf8(), 30000, false},
        {"ended by close, nothing announced", Url(unannounced.Port(), "/"), 20000, false},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TransportResponse> response = Get(c.url);
        EXPECT_FALSE(response->EndedShort()) << c.name; // not before the end
        EXPECT_EQ(ReadAll(*response).size(), c.bytes) << c.name;
        EXPECT_EQ(response->BytesReceived(), c.bytes) << c.name;
        EXPECT_EQ(response->EndedShort(), c.endedShort) << c.name;
    }
}
