// CVideoDownloader's results as values, through a recording context: the
// redirect kinds it follows, and pages that fail for a reason the user must
// be told.

#include "app/AppLog.h"
#include "retrieval/CVideoDownloader.h"

#include "support/LoopbackServer.h"
#include "support/RecordingContext.h"
#include "support/TempDirTest.h"

class DownloaderTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO", server_.ConnectTo("www.metacafe.com").toUtf8());
        InitLog(Path("ruzivar.log"));
    }
    void TearDown() override {
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
    static QString At(const char* path) { return QString("http://www.metacafe.com") + path; }

    LoopbackServer server_;
    RecordingContext context_;
};

TEST_F(DownloaderTest, EveryRedirectKindIsFollowed) {
    server_.ServeBody("/media.flv", "FLVDATA", "video/x-flv");
    server_.ServeBody("/page", "<html>landed</html>");
    for (int status : {301, 302, 303, 307, 308}) {
        SCOPED_TRACE(status);
        const std::string media = "/m" + std::to_string(status);
        const std::string page = "/p" + std::to_string(status);
        server_.Redirect(media, "http://www.metacafe.com/media.flv", status);
        server_.Redirect(page, "/page", status);

        const QString file = Path(QString("m%1.flv.qxt").arg(status));
        const MediaResult got = CVideoDownloader(&context_).GetFLVFile(At(media.c_str()), file);
        EXPECT_EQ(got.code, 0) << got.errorText.toStdString();
        EXPECT_EQ(got.finalAddress, At("/media.flv"));
        EXPECT_EQ(got.receivedBytes, 7u);
        EXPECT_EQ(ReadFile(file), "FLVDATA");

        const PageResult text = CVideoDownloader(&context_).GetHTMLPage(At(page.c_str()));
        EXPECT_EQ(text.code, 0);
        EXPECT_EQ(text.text, "<html>landed</html>");
        EXPECT_EQ(text.location, "/page");
    }
}

TEST_F(DownloaderTest, PageCutShortIsANetworkError) {
    server_.ServeCutShort("/short", 90000, QByteArray(20000, 'p'));
    const PageResult page = CVideoDownloader(&context_).GetHTMLPage(At("/short"));
    EXPECT_EQ(page.code, 12000 + 18);
    EXPECT_TRUE(page.text.isEmpty());
    EXPECT_EQ(context_.lastError,
              "Network error, the page ended after 20000 of 90000 bytes: http://www.metacafe.com/short");
}

TEST_F(DownloaderTest, FailedPagesSayWhy) {
    server_.Redirect("/loop", "/loop");
    const struct {
        const char* path;
        int httpStatus;
        QString error;
    } cases[] = {
        {"/missing", 404, "The page was not found (HTTP 404): http://www.metacafe.com/missing"},
        {"/loop", 302, "The page redirected too many times: http://www.metacafe.com/loop"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const PageResult page = CVideoDownloader(&context_).GetHTMLPage(At(c.path));
        EXPECT_EQ(page.code, -1);
        EXPECT_EQ(page.httpStatus, c.httpStatus);
        EXPECT_EQ(page.errorText, c.error);
    }
}
