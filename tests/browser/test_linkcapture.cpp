// Link capture: decoding of text files, the two link passes, and the import
// of pages from real loopback servers.

#include "browser/CTextFileReader.h"
#include "browser/LinkCapture.h"
#include "retrieval/AddressRoute.h"

#include "support/LoopbackServer.h"
#include "support/RawHttpServer.h"
#include "support/TempDirTest.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {
const QString kYt = QStringLiteral("http://www.youtube.com/watch?v=");

QByteArray Utf16(const QString& text, bool littleEndian, bool mark) {
    QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

// Files whose names start with the temporary page prefix in `folder`.
QStringList PageFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("~qx*")}, QDir::Files | QDir::Hidden);
}

class LinkCaptureTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        savedTmp_ = qgetenv("TMPDIR");
        ASSERT_TRUE(QDir().mkpath(Path("tmp")));
        qputenv("TMPDIR", Path("tmp").toUtf8());
    }
    void TearDown() override {
        qputenv("TMPDIR", savedTmp_);
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
    QByteArray savedTmp_;
};
} // namespace

TEST_F(LinkCaptureTest, ReaderSplitsLinesAndDecodesByTheMark) {
    const QString fffd(QChar(QChar::ReplacementCharacter));
    const QString mark(QChar(QChar::ByteOrderMark));
    const QByteArray longLine(1023, 'a'); // puts the next CR LF across the block edge
    struct Case {
        const char* name;
        QByteArray bytes;
        CTextFileReader::Encoding encoding;
        QStringList lines;
    };
    const Case cases[] = {
        {"line ends", "a\rb\nc\r\nd\n\re", CTextFileReader::Encoding::Ansi, {"a", "b", "c", "d", "", "e"}},
        {"utf-8 mark", "\xEF\xBB\xBFx\xC3\xA4y\n", CTextFileReader::Encoding::Utf8, {"x\u00E4y"}},
        {"invalid byte",
         "\xEF\xBB\xBF"
         "a\xFF"
         "b\n\x80z",
         CTextFileReader::Encoding::Utf8,
         {"a" + fffd + "b", fffd + "z"}},
        {"cut at the end", "\xEF\xBB\xBFok\xE3\x81", CTextFileReader::Encoding::Utf8, {"ok" + fffd}},
        {"utf-16 le",
         Utf16("p\r\nq\u65E5", true, true),
         CTextFileReader::Encoding::Utf16LE,
         {"p", "q\u65E5"}},
        {"utf-16 be", Utf16("p\nq", false, true), CTextFileReader::Encoding::Utf16BE, {"p", "q"}},
        {"second mark is text",
         Utf16(mark + "z", true, true),
         CTextFileReader::Encoding::Utf16LE,
         {mark + "z"}},
        {"crlf across blocks",
         longLine + "\r\nb\xC3\xA4",
         CTextFileReader::Encoding::Ansi,
         {QString::fromLatin1(longLine), "b\u00E4"}},
        {"bad sequence at the block edge",
         longLine + "\xE5\nb",
         CTextFileReader::Encoding::Ansi,
         {QString::fromLatin1(longLine) + fffd, "b"}},
        {"empty", "", CTextFileReader::Encoding::Ansi, {}},
        {"lone surrogate",
         QByteArray("\xFF\xFE\xFF\xFE\x00\xD8x\x00\x00\xDC", 10),
         CTextFileReader::Encoding::Utf16LE,
         {mark + fffd + "x" + fffd}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTextFileReader reader(WriteFile(QStringLiteral("r.txt"), c.bytes));
        ASSERT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.GetEncoding(), c.encoding);
        QStringList lines;
        QString line;
        while (reader.ReadLine(line))
            lines << line;
        EXPECT_EQ(lines, c.lines);
    }
    EXPECT_FALSE(CTextFileReader(Path("missing.txt")).IsOpen());
}

TEST_F(LinkCaptureTest, ExtractsYouTubeLinksFirstThenGoogleVideoKeepingDuplicates) {
    const QByteArray mixed = "<a href=\"/watch?v=ab-c_d1\">one</a>\n"
                             "<a href=\"http://www.youtube.com/watch?v=XYZ9&feature=related\">two</a>";
    const QString page = QStringLiteral("<a href=\"http://video.google.com/videoplay?docid=8812&hl=en\">g</a>"
                                        "<a href=\"/watch?v=k1\">y</a>");
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList links;
    };
    const Case cases[] = {
        {"relative then absolute", mixed, {kYt + "ab-c_d1", kYt + "XYZ9"}},
        {"three times", "/watch?v=a1 /watch?v=a1\r\n/watch?v=a1", {kYt + "a1", kYt + "a1", kYt + "a1"}},
        {"google first", page.toUtf8(), {kYt + "k1", "http://video.google.com/videoplay?docid=8812"}},
        {"any case", "HTTP://WWW.YOUTUBE.COM/WATCH?V=Q1", {"HTTP://WWW.YOUTUBE.COM/WATCH?V=Q1"}},
        {"https kept",
         "https://www.youtube.com/watch?v=s1 https://video.google.com/videoplay?docid=9",
         {"https://www.youtube.com/watch?v=s1", "https://video.google.com/videoplay?docid=9"}},
        {"other hosts",
         "http://m.youtube.com/watch?v=b2 http://video.google.de/videoplay?docid=5",
         {kYt + "b2"}}, // only the path part matches: the link is moved to the web host
        {"utf-16 le marked",
         Utf16(page, true, true),
         {kYt + "k1", "http://video.google.com/videoplay?docid=8812"}},
        {"utf-16 be marked",
         Utf16(page, false, true),
         {kYt + "k1", "http://video.google.com/videoplay?docid=8812"}},
        {"utf-16 unmarked", Utf16(page, true, false), {}},
        {"invalid utf-8 between", "\xEF\xBB\xBF/watch?v=c3\xFE\xFF/watch?v=d4", {kYt + "c3", kYt + "d4"}},
        {"utf-16 lone surrogate between",
         Utf16("/watch?v=a1 ", true, true) + QByteArray("\x00\xD8", 2) + Utf16(" /watch?v=b2", true, false),
         {kYt + "a1", kYt + "b2"}},
        {"a line break ends an id", "/watch?v=e5\r\nf6", {kYt + "e5"}},
        {"what the task list refuses", "/watch?v=k|1 /watch?v=k2", {kYt + "k2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractVideoLinks(WriteFile(QStringLiteral("page.html"), c.bytes)), c.links);
    }
    EXPECT_TRUE(ExtractVideoLinks(Path("missing.html")).isEmpty());
    // A file too large to be a page is not read at all.
    QFile huge(Path("huge.html"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("/watch?v=big1\n");
    ASSERT_TRUE(huge.resize(LinkCapture::kMaxPageBytes + 1));
    huge.close();
    EXPECT_TRUE(ExtractVideoLinks(huge.fileName()).isEmpty());
}

TEST_F(LinkCaptureTest, FindsEveryWatchLinkTheTaskListTakes) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList links;
    };
    const Case cases[] = {
        {"negative docid",
         "<a href=\"http://video.google.com/videoplay?docid=-4711&hl=en\">",
         {"http://video.google.com/videoplay?docid=-4711"}},
        {"short link", "see http://youtu.be/zvNormal001.", {"http://youtu.be/zvNormal001"}},
        {"v link",
         "<embed src=\"http://www.youtube.com/v/ab-1_c&hl=en\">",
         {"http://www.youtube.com/v/ab-1_c"}},
        {"short and v links keep their place",
         "https://youtu.be/s1 /watch?v=w1 http://m.youtube.com/v/m1",
         {"https://youtu.be/s1", kYt + "w1", "http://m.youtube.com/v/m1"}},
        {"metacafe and nicovideo after google",
         "http://www.nicovideo.jp/watch/sm9 http://www.metacafe.com/watch/1000001/sample_clip/ "
         "http://video.google.com/videoplay?docid=1",
         {"http://video.google.com/videoplay?docid=1", "http://www.metacafe.com/watch/1000001/sample_clip/",
          "http://www.nicovideo.jp/watch/sm9"}},
        {"surrounded by white space", " \t http://youtu.be/t1 \r\n", {"http://youtu.be/t1"}},
        {"no video named", "http://youtu.be/ http://www.youtube.com/v/ /videoplay?docid=3", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList links = ExtractVideoLinks(WriteFile(QStringLiteral("page.html"), c.bytes));
        EXPECT_EQ(links, c.links);
        for (const QString& link : links)
            EXPECT_NE(RouteAddress(link).route, AddressRoute::Refused) << link.toStdString();
    }
}

// What the clipboard watch offers: one video's page, never a site's other pages.
TEST_F(LinkCaptureTest, NamesOneVideosPageAndNothingElse) {
    const struct {
        const char* text;
        bool video;
    } cases[] = {
        {"http://www.youtube.com/watch?v=zvNormal001", true},
        {" https://www.youtube.com/watch?v=zvNormal001&t=42\n", true},
        {"https://m.youtube.com/watch?app=desktop&v=x1", true},
        {"https://youtu.be/dQw4w9WgXcQ", true},
        {"https://www.youtube.com/shorts/abc123", true},
        {"http://video.google.com/videoplay?docid=-4711", true},
        {"http://www.metacafe.com/watch/1000001/sample_clip/", true},
        {"https://www.nicovideo.jp/watch/sm9", true},
        {"https://vimeo.com/76979871", true},
        {"https://www.dailymotion.com/video/x7tgad0", true},
        {"https://www.youtube.com/", false},
        {"https://www.youtube.com/results?search_query=cats", false},
        {"https://vimeo.com/about", false},
        {"https://notyoutube.com/watch?v=x1", false},
        {"https://example.org/watch?v=x1", false},
        {"http://www.youtube.com/watch?v=a b", false},
        {"ftp://www.youtube.com/watch?v=x1", false},
        {"watch?v=x1", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsVideoPageAddress(QString::fromUtf8(c.text)), c.video) << c.text;
}

TEST_F(LinkCaptureTest, ImportFetchesHttpAndHttpsIntoATemporaryFileAndReadsEverythingElseAsAPath) {
    LoopbackServer server;
    TestCertificates certs;
    ASSERT_TRUE(MakeTestCertificates(Path(), {"pages.example"}, certs));
    LoopbackServer tls(certs.certFile, certs.keyFile);
    const QByteArray page = "<a href=\"/watch?v=p1\">p</a> http://video.google.com/videoplay?docid=77";
    const QStringList links = {kYt + "p1", "http://video.google.com/videoplay?docid=77"};
    server.ServeBody("/page", page);
    server.ServeChunked("/chunked", page, "text/html");
    server.ServeStatus("/missing", 404, "gone: /watch?v=e404");
    server.ServeCutShort("/short", 4096, page);
    tls.ServeBody("/page", page);
    qputenv("ZORV_CONNECT_TO", (server.ConnectTo(QStringLiteral("pages.example")) + QLatin1Char(',') +
                                tls.ConnectTo(QStringLiteral("pages.example"), 443))
                                   .toUtf8());
    qputenv("ZORV_CA_BUNDLE", certs.caFile.toUtf8());
    const QString saved = WriteFile(QStringLiteral("saved.htm"), page);

    struct Case {
        QString address;
        QStringList links;
        bool fetched;
    };
    const Case cases[] = {
        {"http://pages.example/page", links, true},
        {server.Url("/page"), links, true}, // the port in the address is used
        {"http://pages.example/chunked", links, true},
        {"http://pages.example/missing", {kYt + "e404"}, true}, // an error page is scanned too
        {"http://pages.example/short", links, true},            // whatever arrived is scanned
        {"https://pages.example/page", links, true},
        {"http://127.0.0.1:1/page", {}, true},
        {saved, links, false},
        {" \t" + saved + "\r\n", links, false}, // as typed or pasted
        {" http://pages.example/page\n", links, true},
        {"ftp://pages.example/page", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        QStringList during; // the page files while the fetch runs
        const QStringList found = ImportVideoLinks(c.address, {}, [&](bool fetching) {
                                      during += fetching ? PageFiles(Path("tmp")) : QStringList{"after"};
                                  }).links;
        EXPECT_EQ(found, c.links);
        EXPECT_EQ(during.size(), c.fetched ? 2 : 0);
        EXPECT_TRUE(PageFiles(Path("tmp")).isEmpty());
    }
    EXPECT_EQ(server.Hits("/page"), 3);
    EXPECT_EQ(server.Hits("/chunked"), 1);
    EXPECT_EQ(tls.Hits("/page"), 1);
    qunsetenv("ZORV_CA_BUNDLE");
}

TEST_F(LinkCaptureTest, FetchSendsTheFourHeadersInOrderAndFailsOnAShortOrOversizedBody) {
    RawHttpServer raw("HTTP/1.1 200 OK\r\nContent-Length: 500\r\nConnection: close\r\n\r\n/watch?v=s1 cut");
    const QString file = Path("page.tmp");
    EXPECT_EQ(FetchPageToFile(QStringLiteral("127.0.0.1"), QStringLiteral("/a?b=1"), file, raw.Port()), 0);
    EXPECT_EQ(ReadFile(file), QByteArray("/watch?v=s1 cut"));
    ASSERT_EQ(raw.Heads().size(), 1);
    const QByteArray head = raw.Heads().first();
    EXPECT_TRUE(head.startsWith("GET /a?b=1 HTTP/1.1\r\n")) << head.constData();
    const QByteArray expected =
        "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.1) Gecko/20061010 Firefox/2.0\r\n"
        "Accept-Charset: utf-8;q=0.7,*;q=0.7\r\n"
        "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,"
        "*/*;q=0.5\r\n"
        "Accept-Language: en-us,en;q=0.5\r\n";
    EXPECT_TRUE(head.contains(expected)) << head.constData();

    LoopbackServer server;
    server.ServeGenerated("/huge", LinkCapture::kMaxPageBytes + 1);
    server.ServeBody("/empty", QByteArray());
    struct Case {
        const char* path;
        int result;
    };
    for (const Case& c : {Case{"/huge", 0}, Case{"/empty", 1}}) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(QFile::remove(file) || !QFile::exists(file));
        EXPECT_EQ(
            FetchPageToFile(QStringLiteral("127.0.0.1"), QString::fromLatin1(c.path), file, server.Port()),
            c.result);
        EXPECT_TRUE(QFile::exists(file));
        EXPECT_EQ(QFileInfo(file).size(), 0);
    }
}
