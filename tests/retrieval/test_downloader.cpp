// CVideoDownloader's results as values, through a recording context: the
// redirect kinds it follows, and pages that fail for a reason the user must
// be told.

#include "base/AppLog.h"
#include "retrieval/CVideoDownloader.h"
#include "retrieval/FilePlacement.h"

#include "support/LoopbackServer.h"
#include "support/RecordingContext.h"
#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <future>

#include <sys/resource.h>
#include <sys/stat.h>

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

TEST_F(DownloaderTest, MediaIsWrittenWholeAcrossChunksWithPerBlockProgress) {
    QByteArray body(3 * CVideoDownloader::kWriteChunk + 12345, '\0');
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>((i * 7919) >> 3);
    server_.ServeBody("/big.flv", body, "video/x-flv");
    const QString file = Path("big.flv.qxt");
    const MediaResult got = CVideoDownloader(&context_).GetFLVFile(At("/big.flv"), file);
    ASSERT_EQ(got.code, 0) << got.errorText.toStdString();
    EXPECT_EQ(ReadFile(file), body);
    EXPECT_EQ(got.receivedBytes, quint64(body.size()));
    EXPECT_EQ(context_.receivedBytes, quint64(body.size()));
    // One progress report per 8192-byte block at least every few blocks.
    EXPECT_GE(context_.progress.size(), std::size_t(body.size() / CVideoDownloader::kBlockSize) / 2);
    EXPECT_EQ(context_.progress.back(), 1000);
}

// A file-size limit (with SIGXFSZ ignored, as the programs do) makes the
// write fail: that takes the full-disk path.
TEST_F(DownloaderTest, FileSizeLimitTakesTheFullDiskPath) {
    server_.ServeBody("/clip.flv", QByteArray(400000, 'v'), "video/x-flv");
    const QString file = Path("clip.flv.qxt");
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const MediaResult got = CVideoDownloader(&context_).GetFLVFile(At("/clip.flv"), file);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(got.code, -1);
    EXPECT_EQ(got.errorText, "Write file failed");
    EXPECT_EQ(context_.lastError, "Write file failed");
    EXPECT_TRUE(
        QString::fromUtf8(ReadFile(Path("ruzivar.log")))
            .contains("ERROR CVideoDownloader::DownloadFile <> - Write file failed: " + file + ", 27"));
}

// The temporary file is written through the descriptor it was created and
// locked with: a link swapped in under its name meanwhile leads nowhere.
TEST_F(DownloaderTest, TemporaryFileIsWrittenThroughTheDescriptorItWasCreatedWith) {
    server_.ServeBody("/clip.flv", "FLVDATA", "video/x-flv");
    const QString file = Path("clip.flv.qxt");
    const QString victim = WriteFile("victim", "keep me");
    ASSERT_TRUE(CreateTemporaryFile(file));
    ASSERT_TRUE(QFile::rename(file, Path("moved.qxt")));
    ASSERT_TRUE(QFile::link(victim, file));

    const MediaResult got = CVideoDownloader(&context_).GetFLVFile(At("/clip.flv"), file);
    EXPECT_EQ(got.code, 0) << got.errorText.toStdString();
    EXPECT_EQ(ReadFile(victim), "keep me");
    EXPECT_EQ(ReadFile(Path("moved.qxt")), "FLVDATA");
    EXPECT_FALSE(TemporaryFileIntact(file)); // so the item does not put the link in place
    ReleaseTemporaryFile(file, false);
}

// A server announcing 3 GiB and sending 1000 bytes gets a bounded step of
// disk ahead of what arrived, not its announcement.
TEST_F(DownloaderTest, HugeAnnouncedLengthReservesOnlyAStepAhead) {
    server_.ServeHeld("/huge.flv", 3LL << 30, 1000);
    const QString file = Path("huge.flv.qxt");
    const QByteArray native = QFile::encodeName(file);
    const auto allocated = [&] {
        struct stat info {};
        return ::stat(native.constData(), &info) == 0 ? qint64(info.st_blocks) * 512 : qint64(0);
    };
    std::future<MediaResult> download = std::async(
        std::launch::async, [&] { return CVideoDownloader(&context_).GetFLVFile(At("/huge.flv"), file); });
    EXPECT_TRUE(WaitFor([&] { return allocated() > 0; })); // the reservation has happened
    EXPECT_LE(allocated(), 16LL << 20);
    EXPECT_EQ(QFileInfo(file).size(), 0); // the size still says what was written
    context_.stop = true;
    EXPECT_TRUE(download.get().stopped);
    EXPECT_LE(allocated(), 16LL << 20);
}
