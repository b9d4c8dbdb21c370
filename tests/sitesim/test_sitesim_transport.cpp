// Media faults, TLS trust, routing and the simulator's own lifecycle.

#include "SimFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <thread>

class TransportSimTest : public SimFixture {};

namespace {
const QString kMedia = "http://www.youtube.com/videoplayback?id=zvNormal001&itag=34";
}

TEST_F(TransportSimTest, CutShortAnnouncesMoreThanItSends) {
    const QByteArray whole = ReadFile(Sim().MediaPath("flv"));
    const SimReply r = client_->Get(kMedia + "&fault=cut");
    EXPECT_EQ(r.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(r.Header("Content-Length").toLongLong(), whole.size());
    EXPECT_LT(r.body.size(), whole.size());
    EXPECT_TRUE(whole.startsWith(r.body));
    // The catalogue's own fault, on another site's media host.
    const SimReply mc =
        client_->Get("http://v.mccont.com/ItemFiles/%5BFrom%20www.metacafe.com%5D%201000004.flv");
    EXPECT_EQ(mc.code, CURLE_PARTIAL_FILE);
}

TEST_F(TransportSimTest, NoLengthSendsChunkedBody) {
    const SimReply r = client_->Get("http://www.youtube.com/videoplayback?id=zvNoLength1&itag=18");
    EXPECT_EQ(r.code, CURLE_OK);
    EXPECT_TRUE(r.Header("Content-Length").isEmpty());
    EXPECT_EQ(r.Header("Transfer-Encoding"), "chunked");
    EXPECT_EQ(r.body, ReadFile(Sim().MediaPath("mp4")));
}

TEST_F(TransportSimTest, NotFoundAndSimulatorWideFault) {
    EXPECT_EQ(client_->Get("http://www.youtube.com/videoplayback?id=zvMedia4041&itag=34").status, 404);
    Sim().SetMediaFault("404");
    EXPECT_EQ(client_->Get(kMedia).status, 404);
    EXPECT_EQ(client_->Get(kMedia + "&fault=").status, 200) << "the request's own choice wins";
}

TEST_F(TransportSimTest, RedirectChainsHaveTheAnnouncedLength) {
    struct Case {
        QString url;
        int hops;
    } cases[] = {{"http://www.youtube.com/videoplayback?id=zvRedir0031&itag=34", 3},
                 {"http://www.youtube.com/videoplayback?id=zvRedir0101&itag=34", 10},
                 {kMedia + "&fault=redirect3", 3}};
    for (const Case& c : cases) {
        QString url = c.url;
        int redirects = 0;
        SimReply r = client_->Get(url);
        while (r.status == 302 && redirects < 20) {
            ++redirects;
            EXPECT_TRUE(r.location.startsWith("http://www.youtube.com/videoplayback?"))
                << r.location.toStdString();
            r = client_->Get(r.location);
        }
        EXPECT_EQ(redirects, c.hops) << c.url.toStdString();
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, ReadFile(Sim().MediaPath("flv")));
    }
}

TEST_F(TransportSimTest, SlowBodyTrickles) {
    const SimReply r = client_->Get("http://www.youtube.com/videoplayback?id=zvSlowBody1&itag=34", 400);
    EXPECT_EQ(r.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_GT(r.body.size(), 0);
    EXPECT_LT(r.body.size(), 16384);
}

TEST_F(TransportSimTest, HttpsIsTrustedOnlyThroughTheSimulatorsAuthority) {
    const QString url = "https://secure.nicovideo.jp/secure/login_form";
    EXPECT_EQ(client_->Get(url).code, CURLE_OK);
    SimClient untrusting(Sim().ConnectToValue(), QString());
    EXPECT_EQ(untrusting.Get(url).code, CURLE_PEER_FAILED_VERIFICATION);
    // Every host name is in the certificate.
    for (const QString& host : SiteSimulator::HostNames())
        EXPECT_EQ(client_->Get("https://" + host + "/").code, CURLE_OK) << host.toStdString();
    const SimReply plain = client_->Get("http://accounts.google.com/accounts/ServiceLogin?service=youtube");
    EXPECT_EQ(plain.status, 301);
    EXPECT_EQ(plain.location, "https://accounts.google.com/accounts/ServiceLogin?service=youtube");
}

TEST_F(TransportSimTest, ConnectToRoutesEveryHostOnBothPorts) {
    const QString value = Sim().ConnectToValue();
    for (const QString& host : SiteSimulator::HostNames()) {
        EXPECT_TRUE(value.contains(QString("%1:80:127.0.0.1:%2").arg(host).arg(Sim().HttpPort())));
        EXPECT_TRUE(value.contains(QString("%1:443:127.0.0.1:%2").arg(host).arg(Sim().HttpsPort())));
    }
    EXPECT_EQ(client_->Get("http://unknown.example/").code, CURLE_COULDNT_RESOLVE_HOST);
}

// A client that keeps its connection shows up once however many requests it
// makes; another client, or the other server, is another connection.
TEST_F(TransportSimTest, CountsTheConnectionsRequestsCameOn) {
    const int before = Sim().Connections();
    EXPECT_EQ(client_->Get("http://www.youtube.com/").status, 200);
    EXPECT_EQ(client_->Get("http://www.youtube.com/").status, 200);
    EXPECT_EQ(Sim().Connections(), before + 1);
    EXPECT_EQ(client_->Get("https://www.youtube.com/").status, 200);
    SimClient other(Sim().ConnectToValue(), Sim().CaBundlePath());
    EXPECT_EQ(other.Get("http://www.youtube.com/").status, 200);
    EXPECT_EQ(Sim().Connections(), before + 3);
}

TEST_F(TransportSimTest, StopEndsASlowDownloadAndJoins) {
    QTemporaryDir state;
    SiteSimulatorOptions options;
    options.stateDir = state.path();
    options.mediaDir = MediaDir(); // made already: no second generation
    SiteSimulator second(options);
    QString error;
    ASSERT_TRUE(second.Start(&error)) << error.toStdString();
    // An idle kept-alive connection must not hold the shutdown either.
    SimClient idle(second.ConnectToValue(), second.CaBundlePath());
    EXPECT_EQ(idle.Get("http://www.nicovideo.jp/").status, 200);
    CURLcode code = CURLE_OK;
    std::thread reader([&] {
        SimClient c(second.ConnectToValue(), second.CaBundlePath());
        code = c.Get("http://www.youtube.com/videoplayback?id=zvSlowBody1&itag=34", 20000).code;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto before = std::chrono::steady_clock::now();
    second.Stop();
    reader.join();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_NE(code, CURLE_OK);
    second.Stop();
}

TEST_F(TransportSimTest, BadCatalogueStopsStartWithTheEntryNamed) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"youtube": [{"id": "zvBadMedia1", "streams": [{"itag": 34, "media": "ogg"}]}]})");
    file.close();
    SiteSimulatorOptions options;
    options.catalogueFile = path;
    options.stateDir = dir.filePath("state");
    SiteSimulator sim(options);
    QString error;
    EXPECT_FALSE(sim.Start(&error));
    EXPECT_TRUE(error.contains("zvBadMedia1")) << error.toStdString();

    options.catalogueFile = dir.filePath("missing.json");
    SiteSimulator missing(options);
    EXPECT_FALSE(missing.Start(&error));
    EXPECT_TRUE(error.contains("missing.json"));
}
