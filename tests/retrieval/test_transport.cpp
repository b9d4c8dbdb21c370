// The HTTP transport against real loopback servers: redirect handling,
// error pages, broken and unannounced bodies, failures, decoding, cookies
// and the exact request the sites see.

#include "base/AppLog.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/HttpSession.h"

#include "support/LoopbackServer.h"
#include "support/RawHttpServer.h"
#include "support/TempDirTest.h"
#include "support/TestCertificates.h"

#include <QFile>
#include <QFileInfo>

class TransportTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO",
                QStringList{server_.ConnectTo("www.metacafe.com"),
                            server_.ConnectTo("www.metacafe.com", 8080), server_.ConnectTo("other.example")}
                    .join(',')
                    .toUtf8());
        InitLog(Path("ruzivar.log"));
        ClearCookies();
    }
    void TearDown() override {
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
    QString LogText() const { return QString::fromUtf8(ReadFile(Path("ruzivar.log"))); }
    int Fetch(const QString& address, QString& text, QString& location) {
        CVideoDownloader downloader(&worker_);
        return downloader.GetHTMLPage(address, text, location);
    }
    int FetchMedia(const QString& address, const QString& path) {
        CVideoDownloader downloader(&worker_);
        QString finalAddress;
        return downloader.GetFLVFile(address, path, finalAddress, total_, received_);
    }
    std::vector<PostedMessage> Progress() {
        std::vector<PostedMessage> out;
        for (PostedMessage& m : target_.TakeAll())
            if (m.msg == UM_DOWNLOAD_PROGRESS)
                out.push_back(std::move(m));
        return out;
    }

    LoopbackServer server_;
    QueueMessageTarget target_;
    DownloadWorker worker_{&target_};
    ByteCount total_{0};
    ByteCount received_{0};
};

// A page is parsed in memory: a huge one (a media file pasted as a page, a
// hostile server) is refused instead of exhausting memory.
TEST_F(TransportTest, HugePagesAreRefused) {
    server_.ServeGenerated("/announced", qint64(40) * 1024 * 1024);
    server_.ServeChunked("/unannounced", QByteArray(33 * 1024 * 1024, 'x'));
    for (const char* path : {"/announced", "/unannounced"}) {
        QString text, location;
        EXPECT_EQ(Fetch(QString("http://www.metacafe.com") + path, text, location), -1) << path;
        EXPECT_TRUE(text.isEmpty());
        EXPECT_TRUE(worker_.LastError().startsWith("The page is larger than 32 MiB")) << path;
    }
}

// A full disk and a folder that cannot hold the file end the download with
// their own texts.
TEST_F(TransportTest, FullDiskAndUncreatableFilesFail) {
    server_.ServeBody("/clip.flv", QByteArray(100000, 'v'), "video/x-flv");
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/clip.flv", "/dev/full"), -1);
    EXPECT_EQ(worker_.LastError(), "Write file failed");
    EXPECT_TRUE(
        LogText().contains("ERROR CVideoDownloader::DownloadFile <> - Write file failed: /dev/full, "));

    EXPECT_EQ(FetchMedia("http://www.metacafe.com/clip.flv", Path("no/such/folder/clip.flv.qxt")), -1);
    EXPECT_EQ(worker_.LastError(), "can not create output file");
    EXPECT_TRUE(LogText().contains("Open file failed: " + Path("no/such/folder/clip.flv.qxt")));
}

TEST_F(TransportTest, PageRedirectsAreFollowedForThreeResponsesOnly) {
    server_.Redirect("/r1", "http://www.metacafe.com/r2");
    server_.Redirect("/r2", "http://www.metacafe.com/r3");
    server_.Redirect("/r3", "http://www.metacafe.com/page");
    server_.ServeBody("/page", "<html>ok</html>");

    QString text, location;
    EXPECT_EQ(Fetch("http://www.metacafe.com/r2", text, location), 0);
    EXPECT_EQ(text, "<html>ok</html>");

    text.clear();
    EXPECT_EQ(Fetch("http://www.metacafe.com/r1", text, location), -1);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(location, "http://www.metacafe.com/page"); // the last target seen, never fetched
    EXPECT_EQ(server_.Hits("/page"), 1);
    EXPECT_TRUE(LogText().contains(
        "WARN CVideoDownloader <> - ParseHTMLContainer redirect to http://www.metacafe.com/r3"));
}

TEST_F(TransportTest, RelativePageRedirectResolvesAgainstFirstServerOverPlainHttp) {
    // The first address carries a port; the second hop is on another host.
    server_.Redirect("/start", "http://other.example/hop");
    server_.Redirect("/hop", "/target");
    server_.ServeBody("/target", "landed");

    QString text, location;
    EXPECT_EQ(Fetch("http://www.metacafe.com:8080/start", text, location), 0);
    EXPECT_EQ(text, "landed");
    EXPECT_EQ(location, "/target");
    const RecordedRequest last = server_.Requests().back();
    EXPECT_EQ(last.path, "/target");
    EXPECT_EQ(last.Header("Host"), "www.metacafe.com"); // not other.example, and no port
}

TEST_F(TransportTest, MediaRedirectsStopAfterTenResponses) {
    for (int i = 0; i < 12; ++i)
        server_.Redirect("/m" + std::to_string(i), "http://www.metacafe.com/m" + std::to_string(i + 1));
    server_.ServeBody("/m12", "FLVDATA", "video/x-flv");
    const QString file = Path("a.flv.qxt");

    EXPECT_EQ(FetchMedia("http://www.metacafe.com/m3", file), 0); // nine redirects, then the file
    EXPECT_EQ(ReadFile(file), "FLVDATA");

    EXPECT_EQ(FetchMedia("http://www.metacafe.com/m0", file), -1);
    EXPECT_EQ(worker_.LastError(), "can not connect to flv url, 302");
    EXPECT_EQ(server_.Hits("/m9"), 2);
    EXPECT_EQ(server_.Hits("/m10"), 1); // only from the first download
    EXPECT_TRUE(LogText().contains(
        "ERROR CVideoDownloader <> - GetFLVFile() Error: can not connect to flv url, 302"));
    EXPECT_TRUE(LogText().contains(
        "INFO CVideoDownloader::GetFLVFile <> - Redirect to new location: http://www.metacafe.com/m1"));
}

TEST_F(TransportTest, MediaFailuresBeforeTheBodyNameTheResult) {
    server_.Redirect("/rel", "/file.flv");
    server_.ServeBody("/file.flv", "FLV", "video/x-flv");
    const QString file = Path("b.flv.qxt");

    EXPECT_EQ(FetchMedia("http://www.metacafe.com/rel", file), -1);
    EXPECT_EQ(worker_.LastError(), "can not connect to flv url, -1"); // relative targets are not resolved
    EXPECT_EQ(server_.Hits("/file.flv"), 0);

    EXPECT_EQ(FetchMedia("http://www.metacafe.com/missing.flv", file), -1);
    EXPECT_EQ(worker_.LastError(), "can not connect to flv url, 404");

    QString text, location;
    EXPECT_EQ(Fetch("http://www.metacafe.com/missing", text, location), -1);
}

TEST_F(TransportTest, ServerErrorPageIsReadAsAPage) {
    server_.ServeStatus("/broken", 500, "<html>Internal trouble</html>");
    QString text = "kept:", location;
    EXPECT_EQ(Fetch("http://www.metacafe.com/broken", text, location), 0);
    EXPECT_EQ(text, "kept:<html>Internal trouble</html>"); // appended, not replaced
}

TEST_F(TransportTest, MediaErrorStatusIsAFailureNotAFile) {
    // An error page in place of the media file must not become the video.
    server_.ServeStatus("/gone.flv", 403, "<html><body><h1>403 Forbidden</h1></body></html>");
    server_.ServeStatus("/busy.flv", 503, "<html>try later</html>");
    const QString file = Path("e.flv.qxt");
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/gone.flv", file), -1);
    EXPECT_EQ(worker_.LastError(), "can not connect to flv url, 403");
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/busy.flv", file), -1);
    EXPECT_EQ(worker_.LastError(), "can not connect to flv url, 503");
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(TransportTest, MediaWithoutContentLengthFailsAndLeavesAnEmptyFile) {
    server_.ServeChunked("/chunked.flv", QByteArray(20000, 'x'));
    const QString file = Path("c.flv.qxt");
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/chunked.flv", file), -1);
    EXPECT_EQ(worker_.LastError(), "Can not download the FLV file, please check your network connection.");
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(QFileInfo(file).size(), 0);
}

TEST_F(TransportTest, EmptyMediaSucceedsWithoutProgress) {
    server_.ServeBody("/empty.flv", "", "video/x-flv");
    const QString file = Path("d.flv.qxt");
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/empty.flv", file), 0);
    EXPECT_EQ(total_, 0u);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(Progress().empty());
}

TEST_F(TransportTest, MediaProgressIsPostedOnlyOnChange) {
    server_.ServeBody("/big.flv", QByteArray(8192 * 300, 'v'), "video/x-flv");
    const QString file = Path("e.flv.qxt");
    worker_.BeginItem(7, METACAFE);
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/big.flv", file), 0);
    EXPECT_EQ(QFileInfo(file).size(), 8192 * 300);
    EXPECT_EQ(received_, 8192u * 300);
    const std::vector<PostedMessage> progress = Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.size(), 300u); // one per whole block: each changes the value
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i].wParam, progress[i - 1].wParam);
    EXPECT_EQ(progress.back().wParam, 1000);
    EXPECT_EQ(progress.back().lParam, 7);
}

TEST_F(TransportTest, BodyCutShortFailsAsANetworkError) {
    server_.ServeCutShort("/cut.flv", 100000, QByteArray(30000, 'c'));
    const QString file = Path("f.flv.qxt");
    EXPECT_EQ(FetchMedia("http://www.metacafe.com/cut.flv", file), -1);
    EXPECT_EQ(worker_.LastError(), "Network error, can not get FLV file");
    EXPECT_EQ(received_, 30000u);
    EXPECT_EQ(total_, 100000u);
}

// Which of two disagreeing lengths is the file's cannot be known: the
// download fails instead of ending at the shorter one.
TEST_F(TransportTest, ConflictingContentLengthsFailTheDownload) {
    RawHttpServer raw("HTTP/1.1 200 OK\r\nContent-Length: 400000\r\nContent-Length: 1000\r\n"
                      "Connection: close\r\n\r\n" +
                      QByteArray(400000, 'v'));
    const QString file = Path("h.flv.qxt");
    EXPECT_EQ(FetchMedia(QStringLiteral("http://127.0.0.1:%1/clip.flv").arg(raw.Port()), file),
              TransportError::kInvalidFraming);
    EXPECT_EQ(received_, 0u);
    EXPECT_TRUE(LogText().contains("GetFlvFile() Exception [12008]: "));
}

TEST_F(TransportTest, ConnectionFailureGivesTheNetworkCodeAndText) {
    // A port that was listening a moment ago and no longer is.
    int port = 0;
    {
        LoopbackServer gone;
        port = gone.Port();
    }
    QString text, location;
    const int r = Fetch(QStringLiteral("http://127.0.0.1:%1/").arg(port), text, location);
    EXPECT_EQ(r, 12000 + 7); // could not connect
    EXPECT_FALSE(worker_.LastError().isEmpty());
    EXPECT_TRUE(LogText().contains("ERROR CVideoDownloader <> - GetHTMLPage() Exception [12007]: "));
    EXPECT_TRUE(LogText().contains("ERROR CVideoDownloader <> - Error: " + worker_.LastError()));

    const QString file = Path("g.flv.qxt");
    EXPECT_EQ(FetchMedia(QStringLiteral("http://127.0.0.1:%1/x.flv").arg(port), file), 12007);
    EXPECT_TRUE(LogText().contains("GetFlvFile() Exception [12007]: "));
}

TEST_F(TransportTest, Utf8CharacterAcrossBlockBoundaryDecodesWhole) {
    QByteArray body(8191, 'a');
    body += "\xC3\xA9"; // é straddles bytes 8191 and 8192
    body += QByteArray(8190, 'b');
    body += "\xF0\x9F\x8E\xAC end"; // a four-byte character across the next boundary
    server_.ServeBody("/utf8", body, "text/html; charset=utf-8");
    QString text, location;
    ASSERT_EQ(Fetch("http://www.metacafe.com/utf8", text, location), 0);
    EXPECT_EQ(text, QString::fromUtf8(body));
    EXPECT_EQ(text.mid(8191, 1), QString::fromUtf8("\xC3\xA9"));
    EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
}

TEST_F(TransportTest, CookiesLiveForTheProcess) {
    server_.ServeWithCookie("/set", "sid=abc123; Path=/", "set");
    server_.ServeBody("/check", "check");
    QString text, location;
    ASSERT_EQ(Fetch("http://www.metacafe.com/set", text, location), 0);
    ASSERT_EQ(Fetch("http://www.metacafe.com/check", text, location), 0);
    EXPECT_EQ(server_.Requests().back().Header("Cookie"), "sid=abc123");
    // Another host does not get it.
    ASSERT_EQ(Fetch("http://other.example/check", text, location), 0);
    EXPECT_EQ(server_.Requests().back().Header("Cookie"), "");

    // The jar can be read and filled from outside (the browser dialogs).
    const QStringList jar = ExportCookies();
    ASSERT_EQ(jar.size(), 1);
    EXPECT_TRUE(jar[0].startsWith("www.metacafe.com\t"));
    EXPECT_TRUE(jar[0].endsWith("\tsid\tabc123"));
    ImportCookie("other.example\tFALSE\t/\tFALSE\t0\tlang\ten");
    ASSERT_EQ(Fetch("http://other.example/check", text, location), 0);
    EXPECT_EQ(server_.Requests().back().Header("Cookie"), "lang=en");
    ClearCookies();
    EXPECT_TRUE(ExportCookies().isEmpty());
}

TEST_F(TransportTest, RequestCarriesTheFiveHeadersInOrder) {
    RawHttpServer raw("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    const QString address = QStringLiteral("http://127.0.0.1:%1/watch").arg(raw.Port());
    QString text, location;
    ASSERT_EQ(Fetch(address, text, location), 0);
    EXPECT_EQ(text, "ok");
    {
        CVideoDownloader cached(&worker_);
        cached.SetUseCache(1);
        ASSERT_EQ(cached.GetHTMLPage(address, text, location), 0);
    }
    const QList<QByteArray> heads = raw.Heads();
    ASSERT_EQ(heads.size(), 2);

    const QList<QByteArray> expected = {
        "User-Agent: Mozilla/5.0 (X11; Linux x86_64; rv:2.0b11) Gecko/20100101 Firefox/4.0b11",
        "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7",
        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
        "Accept-Language: en-us,en;q=0.5",
        "Accept-Encoding: deflate",
    };
    for (const QByteArray& head : heads) {
        const QList<QByteArray> lines = head.trimmed().split('\n');
        EXPECT_EQ(lines[0].trimmed(), "GET /watch HTTP/1.1");
        QList<QByteArray> ours;
        for (const QByteArray& line : lines)
            for (const QByteArray& want : expected)
                if (line.trimmed() == want)
                    ours << want;
        EXPECT_EQ(ours, expected) << head.constData();
        EXPECT_FALSE(head.contains("Cookie:"));
        EXPECT_FALSE(head.contains("Referer:"));
        EXPECT_FALSE(head.contains("Content-Type:"));
    }
    // No cache may answer or keep the request unless the cache is wanted.
    EXPECT_TRUE(heads[0].contains("\r\nCache-Control: no-cache\r\n"));
    EXPECT_TRUE(heads[0].contains("\r\nPragma: no-cache\r\n"));
    EXPECT_FALSE(heads[1].contains("no-cache"));
}

TEST_F(TransportTest, FormPostSendsTheBodyAsGiven) {
    server_.Raw().Post("/login", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("welcome", "text/html");
    });
    CVideoDownloader downloader(&worker_);
    std::unique_ptr<TransportResponse> response;
    QString location;
    const QString body = QString::fromUtf8("user=j%C3%BCrgen&pass=a+b&note=\xC3\xBC");
    ASSERT_EQ(downloader.RequestHTTP("http://www.metacafe.com/login", response, location, "POST", body,
                                     "Content-Type: application/x-www-form-urlencoded"),
              0);
    char block[64];
    EXPECT_EQ(QByteArray(block, response->Read(block, sizeof block)), "welcome");
    response.reset();
    RecordedRequest sent = server_.Requests().back();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.body, body.toUtf8().toStdString()); // whole, in UTF-8
    EXPECT_EQ(sent.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(sent.Header("Expect"), "");

    ASSERT_EQ(
        downloader.RequestHTTP("http://www.metacafe.com/login", response, location, "POST", QString("x=1")),
        0);
    response.reset();
    sent = server_.Requests().back();
    EXPECT_EQ(sent.body, "x=1");
    EXPECT_EQ(sent.Header("Content-Type"), ""); // none unless the caller asks
}

TEST_F(TransportTest, TlsIsVerifiedAgainstSystemAndExtraCertificates) {
    TestCertificates certs;
    ASSERT_TRUE(MakeTestCertificates(Path(), {"www.metacafe.com"}, certs));
    LoopbackServer tls(certs.certFile, certs.keyFile);
    tls.ServeBody("/secure", "secret page");
    qputenv("ZORV_CONNECT_TO", tls.ConnectTo("www.metacafe.com", 443).toUtf8());

    QString text, location;
    qunsetenv("ZORV_CA_BUNDLE");
    EXPECT_EQ(Fetch("https://www.metacafe.com/secure", text, location), 12000 + 60); // peer not verified
    EXPECT_TRUE(text.isEmpty());

    qputenv("ZORV_CA_BUNDLE", certs.caFile.toUtf8());
    EXPECT_EQ(Fetch("https://www.metacafe.com/secure", text, location), 0);
    EXPECT_EQ(text, "secret page");

    // The extra CA adds to the system's; it does not make a wrong name pass.
    qputenv("ZORV_CONNECT_TO", tls.ConnectTo("other.example", 443).toUtf8());
    text.clear();
    EXPECT_EQ(Fetch("https://other.example/secure", text, location), 12000 + 60);
    qunsetenv("ZORV_CA_BUNDLE");
}
