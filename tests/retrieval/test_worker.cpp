// Whole batches of the download worker against a loopback stand-in for the
// Metacafe site: queue handling, naming, retries, stop, dialog waits and the
// clean-up of temporary files.

#include "base/AppLog.h"
#include "base/StringTable.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/HttpSession.h"

#include "support/LoopbackServer.h"
#include "support/PostedMessages.h"
#include "support/SilentServer.h"
#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace std::chrono_literals;

namespace {
QByteArray Page(const QString& title, const QString& media) {
    return QStringLiteral("<html><head><title>%1</title></head><body>\n"
                          "<embed flashvars=\"a=1&mediaURL=%2&postRollContentURL=x\">\n</body></html>")
        .arg(title, media)
        .toUtf8();
}

// Serves `total` zero bytes: the first block at once, the rest only once
// the test sets `release`, so what the test does in between surely happens
// while the download is under way.
void ServeHeld(LoopbackServer& server, const std::string& path, qint64 total,
               std::shared_ptr<Event> release) {
    server.Raw().Get(path, [total, release](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(static_cast<size_t>(total), "video/x-flv",
                                 [total, release](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset > 0 && !release->Wait(30000))
                                         return false;
                                     const std::string zeros(
                                         static_cast<size_t>(std::min<qint64>(8192, total - qint64(offset))),
                                         '\0');
                                     return sink.write(zeros.data(), zeros.size());
                                 });
    });
}
} // namespace

class WorkerTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO",
                (server_.ConnectTo("www.metacafe.com") + ',' + server_.ConnectTo("v.mccont.com")).toUtf8());
        InitLog(Path("ruzivar.log"));
        worker_ = std::make_shared<DownloadWorker>(&target_);
        worker_->SetOutputFolder(Path("out"));
        worker_->SetUseTitle(1);
    }
    void TearDown() override {
        worker_.reset();
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }

    // A watch page whose media address names the old media host, as the
    // site does; the download is served under the new host.
    void ServeVideo(const std::string& id, const QString& title, const QByteArray& media) {
        server_.ServeBody("/watch/" + id + "/clip/",
                          Page(title, QStringLiteral("http%3A%2F%2Fakvideos.metacafe.com%2Fitem%2F%1.flv")
                                          .arg(QString::fromStdString(id))));
        server_.ServeBody("/item/" + id + ".flv", media, "video/x-flv");
    }
    static QString Watch(const std::string& id) {
        return QStringLiteral("http://www.metacafe.com/watch/%1/clip/").arg(QString::fromStdString(id));
    }
    // Collects notifications until the batch ends.
    std::vector<PostedMessage> Collect(std::chrono::milliseconds limit = 20s) {
        std::vector<PostedMessage> all;
        EXPECT_TRUE(CollectUntilBatchEnds(target_, all, limit));
        return all;
    }
    bool WaitForMessage(int msg, std::vector<PostedMessage>& seen) {
        return CollectUntil(target_, seen, [msg](const PostedMessage& m) { return m.msg == msg; });
    }
    bool WaitingForDialog() const { return worker_->Snapshot().waitingForDialog; }
    // Stops the batch, adds what it posted to `all` and returns how long the
    // stop took in milliseconds.
    qint64 StopAndCollect(std::vector<PostedMessage>& all) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(worker_->Stop());
        const qint64 took = timer.elapsed();
        for (PostedMessage& m : target_.TakeAll())
            all.push_back(m);
        return took;
    }
    // Starts a batch of one long, slow download ("Slow.flv") and returns once
    // its first progress message has arrived.
    void StartSlowDownload(std::vector<PostedMessage>& seen) {
        server_.ServeBody("/watch/1/clip/", Page("Slow", "http://v.mccont.com/item/slow.flv"));
        server_.ServeSlow("/item/slow.flv", 50 * 1000 * 1000, 8192, 20);
        worker_->Enqueue(Watch("1"), 0);
        ASSERT_TRUE(worker_->Start());
        ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_PROGRESS, seen));
    }
    QStringList SiteFiles() const {
        return QDir(Path("out/MetaCafe")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    LoopbackServer server_;
    QueueMessageTarget target_;
    std::shared_ptr<DownloadWorker> worker_;
};

TEST_F(WorkerTest, QueueSkipsAnAddressThatIsNoVideoSite) {
    ServeVideo("11", "First", "one");
    ServeVideo("33", "Third", "three");
    worker_->Enqueue(Watch("11"), 0);
    worker_->Enqueue("ftp://www.example.org/page", 1);
    worker_->Enqueue(Watch("33"), 2);
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
    for (const PostedMessage& m : all) {
        const bool aboutRow1 = (m.msg == UM_DOWNLOAD_STATUS && DownloadStatus::RowOf(m.lParam) == 1) ||
                               (m.msg == UM_DOWNLOAD_TITLE && m.wParam == 1) ||
                               (m.msg != UM_DOWNLOAD_STATUS && m.msg != UM_DOWNLOAD_TITLE && m.lParam == 1);
        EXPECT_FALSE(aboutRow1) << m.msg;
    }
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 110}));
    EXPECT_EQ(Statuses(all, 2), (std::vector<int>{104, 105, 110}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 2);
    EXPECT_EQ(SiteFiles(), (QStringList{"First.flv", "Third.flv"}));
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Third.flv")), "three");

    // The window reads the finished item's results by row.
    const std::optional<DownloadWorker::ItemState> first = worker_->RowSnapshot(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->finalPath, Path("out/MetaCafe/First.flv"));
    EXPECT_EQ(first->pageUrl, Watch("11"));
    EXPECT_EQ(first->site, METACAFE);
    EXPECT_EQ(first->mediaAddress, "http://v.mccont.com/item/11.flv");
    EXPECT_EQ(first->title, "First");
}

TEST_F(WorkerTest, TitleWithPathCharactersIsCleanedAndMadeUnique) {
    ServeVideo("5", "a:b/c?", "data");
    for (int batch = 0; batch < 2; ++batch) {
        worker_->Enqueue(Watch("5"), 0);
        ASSERT_TRUE(worker_->Start());
        EXPECT_EQ(Collect().back().msg, UM_DOWNLOAD_ALL_DONE);
    }
    EXPECT_EQ(SiteFiles(), (QStringList{"a_b_c_.flv", "a_b_c__001.flv"}));

    worker_->SetUseTitle(0);
    worker_->Enqueue(Watch("5"), 0);
    ASSERT_TRUE(worker_->Start());
    Collect();
    EXPECT_TRUE(SiteFiles().contains("5.flv"));
}

TEST_F(WorkerTest, AllNamesTakenFailsTheItemAndKeepsTheFiles) {
    ServeVideo("9", "Taken", "new data");
    QDir().mkpath(Path("out/MetaCafe"));
    WriteFile("out/MetaCafe/Taken.flv", "original");
    for (int i = 1; i <= 999; ++i)
        WriteFile(QStringLiteral("out/MetaCafe/Taken_%1.flv").arg(i, 3, 10, QLatin1Char('0')), "mine");
    worker_->Enqueue(Watch("9"), 4);
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
    EXPECT_EQ(Statuses(all, 4), (std::vector<int>{104, 105}));
    EXPECT_TRUE(worker_->RowSnapshot(4)->lastError.contains("all 1000 names are taken"));
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Taken.flv")), "original");
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Taken_999.flv")), "mine");
    EXPECT_EQ(SiteFiles().size(), 1000);
    EXPECT_EQ(server_.Hits("/item/9.flv"), 0);
}

TEST_F(WorkerTest, FailingPageIsRetriedRetryTimesMore) {
    worker_->SetRetryTimes(2);
    worker_->Enqueue(Watch("77"), 3); // nothing served there: 404
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    EXPECT_EQ(server_.Hits("/watch/77/clip/"), 3);
    std::vector<qintptr> retries;
    for (const PostedMessage& m : all)
        if (m.msg == UM_DOWNLOAD_RETRY) {
            retries.push_back(m.wParam);
            EXPECT_EQ(m.lParam, 3);
        }
    EXPECT_EQ(retries, (std::vector<qintptr>{1, 2}));
    // The page fetch reports 204, the failed attempt 201.
    EXPECT_EQ(Statuses(all, 3), (std::vector<int>{104, 204, 201, 104, 204, 201, 104, 204, 201}));
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);

    const QString log = QString::fromUtf8(ReadFile(Path("ruzivar.log")));
    const qsizetype second = log.indexOf("WARN CVideoDownloader <> - Retrying download 2, video id: 77");
    const qsizetype first = log.indexOf("WARN CVideoDownloader <> - Retrying download 1, video id: 77");
    EXPECT_GE(second, 0);
    EXPECT_GT(first, second);
}

TEST_F(WorkerTest, StopDuringMediaCopyEndsTheItemAndRemovesItsTemporaryFile) {
    std::vector<PostedMessage> all;
    ASSERT_NO_FATAL_FAILURE(StartSlowDownload(all));
    EXPECT_TRUE(QFileInfo::exists(Path("out/MetaCafe/Slow.flv.qxt")));

    EXPECT_LT(StopAndCollect(all), 4000); // the worker noticed it; nothing was abandoned

    const std::vector<int> statuses = Statuses(all, 0);
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses[statuses.size() - 2], 201);
    EXPECT_EQ(statuses.back(), 111);
    // A stop is no error: logged as what it is, no error text for the row.
    EXPECT_TRUE(worker_->LastError().isEmpty()) << worker_->LastError().toStdString();
    const QString log = QString::fromUtf8(ReadFile(Path("ruzivar.log")));
    EXPECT_TRUE(log.contains("INFO CVideoDownloader::GetFLVFile <> - Download stopped by the user"))
        << log.toStdString();
    EXPECT_FALSE(log.contains("ERROR")) << log.toStdString();
    EXPECT_EQ(Count(all, UM_DOWNLOAD_STOPPED), 2); // the batch's own and Stop's
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
    EXPECT_TRUE(SiteFiles().isEmpty());
    EXPECT_FALSE(worker_->Stop()); // nothing left to stop
}

TEST_F(WorkerTest, FileTakingTheNameDuringTheDownloadIsNotReplaced) {
    // Another download (a second program run) may finish a file of the same
    // name while this one is still copying: neither may be lost.
    server_.ServeBody("/watch/1/clip/", Page("Clash", "http://v.mccont.com/item/clash.flv"));
    auto release = std::make_shared<Event>(Event::Reset::Manual);
    ServeHeld(server_, "/item/clash.flv", 40 * 8192, release);
    worker_->Enqueue(Watch("1"), 0);
    ASSERT_TRUE(worker_->Start());
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_PROGRESS, all));
    {
        QFile theirs(Path("out/MetaCafe/Clash.flv"));
        ASSERT_TRUE(theirs.open(QIODevice::WriteOnly));
        theirs.write("theirs");
    }
    release->Set(); // the rest of the body comes only now
    for (const PostedMessage& m : Collect())
        all.push_back(m);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Clash.flv")), "theirs");
    const auto state = worker_->RowSnapshot(0);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->finalPath, Path("out/MetaCafe/Clash_001.flv"));
    EXPECT_EQ(QFileInfo(state->finalPath).size(), 40 * 8192);
    EXPECT_EQ(SiteFiles(), QStringList({"Clash.flv", "Clash_001.flv"}));
}

TEST_F(WorkerTest, DroppingTheLastReferenceStopsTheBatch) {
    // The window lets go of its worker while a download runs: the batch must
    // end then, not go on posting to a window that is gone.
    std::vector<PostedMessage> all;
    ASSERT_NO_FATAL_FAILURE(StartSlowDownload(all));
    worker_.reset();                                             // stops and joins the batch thread
    EXPECT_EQ(Count(target_.TakeAll(), UM_DOWNLOAD_STOPPED), 2); // the batch's own and Stop's
    EXPECT_TRUE(target_.TakeAll().empty());                      // nothing is left to post
    EXPECT_FALSE(QFileInfo::exists(Path("out/MetaCafe/Slow.flv.qxt")));
}

TEST_F(WorkerTest, FailedItemsLoseTheirTemporaryFileWhenTheyEnd) {
    // The first item's media comes without a length: it fails with an
    // empty temporary file, which must not wait for the end of the batch.
    server_.ServeBody("/watch/1/clip/", Page("NoLength", "http://v.mccont.com/item/chunked.flv"));
    server_.ServeChunked("/item/chunked.flv", QByteArray(5000, 'x'));
    server_.ServeBody("/watch/2/clip/", Page("Cut", "http://v.mccont.com/item/cut.flv"));
    server_.ServeCutShort("/item/cut.flv", 90000, QByteArray(20000, 'y'));
    ServeVideo("3", "Fine", "fine");
    worker_->Enqueue(Watch("1"), 0);
    worker_->Enqueue(Watch("2"), 1);
    worker_->Enqueue(Watch("3"), 2);
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201}));
    EXPECT_EQ(Statuses(all, 1), (std::vector<int>{104, 105, 201}));
    EXPECT_EQ(worker_->RowSnapshot(0)->lastError,
              "Can not download the FLV file, please check your network connection.");
    EXPECT_EQ(worker_->RowSnapshot(1)->lastError, "Network error, can not get FLV file");
    EXPECT_EQ(SiteFiles(), QStringList{"Fine.flv"});
}

// A site that names no container gets the file named after what its first
// bytes are, under the usual free-name rule; an existing file stays.
TEST_F(WorkerTest, FileIsNamedAfterTheContainerItsBytesName) {
    const QByteArray iso = QByteArray::fromHex("00000018") + "ftypisom" + QByteArray(12, '\0');
    const QByteArray phone = QByteArray::fromHex("00000018") + "ftyp3gp5" + QByteArray(12, '\0');
    const QByteArray matroska = QByteArray::fromHex("1a45dfa3") + "webm body";
    const struct {
        const char* id;
        const char* title;
        QByteArray media;
        const char* file;
    } cases[] = {
        {"51", "Iso", iso, "Iso.mp4"},
        {"52", "Phone", phone, "Phone.3gp"},
        {"53", "Flash", "FLV\x01\x05 body", "Flash.flv"},
        {"54", "Matroska", matroska, "Matroska.webm"},
        {"55", "Unknown", "no container", "Unknown.flv"},
        {"56", "Taken", iso, "Taken_001.mp4"},
    };
    WriteFile("out/MetaCafe/Taken.mp4", "the user's own");
    int row = 0;
    for (const auto& c : cases) {
        ServeVideo(c.id, c.title, c.media);
        worker_->Enqueue(Watch(c.id), row++);
    }
    ASSERT_TRUE(worker_->Start());
    Collect();

    QStringList expected{"Taken.mp4"};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadFile(Path("out/MetaCafe/") + c.file), c.media) << c.file;
        expected << c.file;
    }
    expected.sort();
    EXPECT_EQ(SiteFiles(), expected);
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Taken.mp4")), "the user's own");
}

TEST_F(WorkerTest, AddressEnqueuedDuringABatchJoinsIt) {
    server_.ServeBody("/watch/1/clip/", Page("Long", "http://v.mccont.com/item/long.flv"));
    auto release = std::make_shared<Event>(Event::Reset::Manual);
    ServeHeld(server_, "/item/long.flv", 40 * 8192, release);
    ServeVideo("2", "Later", "later");
    worker_->Enqueue(Watch("1"), 0);
    ASSERT_TRUE(worker_->Start());
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_PROGRESS, all));
    worker_->Enqueue(Watch("2"), 1);
    release->Set(); // the first item ends only after the enqueue
    for (PostedMessage& m : Collect())
        all.push_back(m);

    EXPECT_EQ(Count(all, UM_DOWNLOAD_ALL_DONE), 1);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 2);
    EXPECT_EQ(SiteFiles(), (QStringList{"Later.flv", "Long.flv"}));
}

TEST_F(WorkerTest, StopWakesAWorkerWaitingForTheCaptchaDialog) {
    // The address is set as an extractor would with status 207; the item
    // then waits for the dialog after its attempt.
    ServeVideo("4", "Guarded", "data");
    worker_->RequestCaptcha("http://www.metacafe.com/captcha");
    worker_->Enqueue(Watch("4"), 0);
    ASSERT_TRUE(worker_->Start());
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); }));
    EXPECT_TRUE(worker_->IsRunning());

    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(worker_->Stop());
    EXPECT_LT(timer.elapsed(), DownloadWorker::kStopDeadlineMs); // woken, not abandoned
    EXPECT_FALSE(worker_->IsRunning());                          // the thread ended and was joined
    for (PostedMessage& m : target_.TakeAll())
        all.push_back(m);
    EXPECT_EQ(Statuses(all, 0).back(), 111);
    EXPECT_EQ(server_.Hits("/item/4.flv"), 0);

    // The dialog closes only now: that must not answer the next batch's wait.
    worker_->DialogClosed(BrowserDialog::Captcha);
    worker_->RequestCaptcha("http://www.metacafe.com/captcha");
    worker_->Enqueue(Watch("4"), 1);
    ASSERT_TRUE(worker_->Start());
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); })); // waiting for its own dialog
    EXPECT_TRUE(worker_->IsRunning());
    EXPECT_EQ(server_.Hits("/item/4.flv"), 0);
    EXPECT_TRUE(worker_->Stop());
}

TEST_F(WorkerTest, ClosedCaptchaDialogEarnsOneMoreAttempt) {
    worker_->RequestCaptcha("http://www.metacafe.com/captcha");
    worker_->Enqueue(Watch("8"), 0); // 404: every attempt fails
    ASSERT_TRUE(worker_->Start());
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); }));
    EXPECT_EQ(server_.Hits("/watch/8/clip/"), 1);
    worker_->DialogClosed(BrowserDialog::Captcha);
    for (PostedMessage& m : Collect())
        all.push_back(m);
    EXPECT_EQ(server_.Hits("/watch/8/clip/"), 2);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 1);
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
}

TEST_F(WorkerTest, MetacafePageWithoutMediaFailsWithItsText) {
    server_.ServeBody("/watch/6/clip/", "<html><title>Nothing</title>mediaURL=http://x/y.mp4&</html>");
    server_.ServeBody("/other/page", Page("Elsewhere", "http://v.mccont.com/item/e.flv"));
    server_.ServeBody("/item/e.flv", "e", "video/x-flv");
    worker_->SetUseTitle(0);
    worker_->Enqueue(Watch("6"), 0);
    worker_->Enqueue("http://www.metacafe.com/other/page", 1);
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201, 201})); // the parse, then the attempt
    EXPECT_EQ(worker_->RowSnapshot(0)->lastError, BuiltinString(32891));
    // An address without "/watch/" still downloads, named after the site.
    EXPECT_EQ(SiteFiles(), QStringList{"metacafe.flv"});
}

namespace {
// A worker whose media step blocks where no stop request reaches it (as a
// system call that cannot be interrupted would), until the test releases it.
class StuckWorker : public DownloadWorker {
  public:
    using DownloadWorker::DownloadWorker;
    MediaDownload DownloadMedia(const QString&, const QString&, MediaResume&) override {
        entered.Set();
        release.Wait(-1);
        return MediaDownload{-1, false};
    }
    Event entered{Event::Reset::Manual};
    Event release{Event::Reset::Manual};
};
} // namespace

TEST_F(WorkerTest, WorkerStuckWhereNoStopReachesIsAbandonedAndFallsSilent) {
    ServeVideo("1", "Stuck", "never");
    ServeVideo("2", "Next", "next");
    auto stuck = std::make_shared<StuckWorker>(&target_);
    stuck->SetOutputFolder(Path("out"));
    stuck->Enqueue(Watch("1"), 0);
    stuck->Enqueue(Watch("2"), 1);
    ASSERT_TRUE(stuck->Start());
    ASSERT_TRUE(stuck->entered.Wait(20000));

    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(stuck->Stop());
    EXPECT_GE(timer.elapsed(), DownloadWorker::kStopDeadlineMs - 100);
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_STOPPED, all));
    target_.TakeAll();

    // Released, the abandoned thread winds down on its own, posts nothing
    // more and does not go on with the queue.
    stuck->release.Set();
    ASSERT_TRUE(WaitFor([&] { return !stuck->IsRunning(); }));
    EXPECT_TRUE(target_.TakeAll().empty());
    EXPECT_EQ(server_.Hits("/watch/2/clip/"), 0);
    EXPECT_FALSE(QFileInfo::exists(Path("out/MetaCafe/Stuck.flv.qxt")));

    // The worker can run a new batch once the old thread has ended.
    stuck->Enqueue(Watch("2"), 1);
    ASSERT_TRUE(WaitFor([&] { return stuck->Start(); }));
    EXPECT_TRUE(CollectUntilBatchEnds(target_, all, 20s));
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
}

// A stop ends a transfer that waits on the network at once, not after the
// next block that may never come.
TEST_F(WorkerTest, StopEndsAStalledMediaTransferAtOnce) {
    SilentServer silent;
    server_.ServeSlow("/item/trickle.flv", 100, 1, 1000); // one byte per second
    // The page names its media on a host of its own, routed per case. Every
    // handler is in place before the first request: the server's threads
    // read the handler table, and the first case's trickle goes on serving
    // while the second runs.
    server_.ServeBody("/watch/1/clip/", Page("Stalled", "http://media.example/item/trickle.flv"));
    for (const char* media : {"trickle", "silent"}) {
        SCOPED_TRACE(media);
        const bool hangs = std::string(media) == "silent";
        qputenv("ZORV_CONNECT_TO",
                (server_.ConnectTo("www.metacafe.com") + ',' +
                 (hangs ? silent.ConnectTo("media.example") : server_.ConnectTo("media.example")))
                    .toUtf8());
        worker_->Enqueue(Watch("1"), 0);
        ASSERT_TRUE(worker_->Start());
        std::vector<PostedMessage> all;
        ASSERT_TRUE(CollectUntil(target_, all, [](const PostedMessage& m) {
            return m.msg == UM_DOWNLOAD_STATUS && DownloadStatus::CodeOf(m.lParam) == 105;
        }));
        ASSERT_TRUE(WaitFor([this] { return QFileInfo::exists(Path("out/MetaCafe/Stalled.flv.qxt")); }));

        EXPECT_LT(StopAndCollect(all), 1000);
        EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201, 111}));
        EXPECT_TRUE(worker_->RowSnapshot(0)->lastError.isEmpty());
        EXPECT_EQ(Count(all, UM_DOWNLOAD_STOPPED), 2);
        EXPECT_TRUE(SiteFiles().isEmpty());
    }
}

TEST_F(WorkerTest, StopDuringAPageFetchEndsTheItemAsStopped) {
    server_.ServeSlow("/watch/1/clip/", 100, 1, 1000);
    worker_->SetRetryTimes(3);
    worker_->Enqueue(Watch("1"), 0);
    worker_->Enqueue(Watch("2"), 1);
    ASSERT_TRUE(worker_->Start());
    std::vector<PostedMessage> all;
    ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_STATUS, all)); // 104: the page fetch began

    EXPECT_LT(StopAndCollect(all), 1000);
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 111, 201, 111}));
    EXPECT_EQ(worker_->RowSnapshot(0)->lastError, "Aborted");
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 0);
    EXPECT_TRUE(Statuses(all, 1).empty());
    EXPECT_EQ(server_.Hits("/watch/2/clip/"), 0);
}

TEST_F(WorkerTest, SignInDialogIsAwaitedAndItsCloseEarnsOneMoreAttempt) {
    // Set as an extractor sets it together with status 208.
    worker_->RequestSignIn("https://accounts.example/signin");
    worker_->Enqueue(Watch("8"), 0); // 404: every attempt fails
    ASSERT_TRUE(worker_->Start());
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); }));
    EXPECT_EQ(worker_->Snapshot().signInAddress, "https://accounts.example/signin");
    EXPECT_EQ(server_.Hits("/watch/8/clip/"), 1);

    worker_->DialogClosed(BrowserDialog::SignIn);
    const std::vector<PostedMessage> all = Collect();
    EXPECT_FALSE(worker_->Snapshot().waitingForDialog);
    EXPECT_EQ(server_.Hits("/watch/8/clip/"), 2);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 1);
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
}

TEST_F(WorkerTest, RetryUnderAnotherNameLeavesNoTemporaryFileOfTheFirstAttempt) {
    // The first answer has no title (the file is named after the id) and a
    // body cut short; the retry learns the title.
    std::atomic<int> hits{0};
    server_.Raw().Get("/watch/7/clip/", [&hits](const httplib::Request&, httplib::Response& res) {
        const bool first = hits++ == 0;
        res.set_content(first ? "<embed flashvars=\"mediaURL=http://v.mccont.com/item/cut.flv&x\">"
                              : Page("Named", "http://v.mccont.com/item/whole.flv").toStdString(),
                        "text/html");
    });
    server_.ServeCutShort("/item/cut.flv", 90000, QByteArray(20000, 'c'));
    server_.ServeBody("/item/whole.flv", "whole", "video/x-flv");
    worker_->SetRetryTimes(1);
    worker_->Enqueue(Watch("7"), 0);
    ASSERT_TRUE(worker_->Start());
    const std::vector<PostedMessage> all = Collect();

    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(SiteFiles(), QStringList{"Named.flv"});
}

// Another download (maybe another program run) writing a video of the same
// title into the same folder must neither share nor delete this one's file.
TEST_F(WorkerTest, TwoDownloadsOfTheSameTitleKeepTheirOwnBytes) {
    server_.ServeBody("/watch/1/clip/", Page("Same", "http://v.mccont.com/item/a.flv"));
    auto release = std::make_shared<Event>(Event::Reset::Manual);
    ServeHeld(server_, "/item/a.flv", 40 * 8192, release);
    ServeVideo("2", "Same", "the other video");
    QueueMessageTarget otherTarget;
    auto other = std::make_shared<DownloadWorker>(&otherTarget);
    other->SetOutputFolder(Path("out"));

    std::vector<PostedMessage> first;
    worker_->Enqueue(Watch("1"), 0);
    ASSERT_TRUE(worker_->Start());
    ASSERT_TRUE(WaitForMessage(UM_DOWNLOAD_PROGRESS, first));
    other->Enqueue(Watch("2"), 0);
    ASSERT_TRUE(other->Start());
    std::vector<PostedMessage> second;
    ASSERT_TRUE(CollectUntilBatchEnds(otherTarget, second, 20s));
    release->Set(); // the first download ends only after the other one
    ASSERT_TRUE(CollectUntilBatchEnds(target_, first, 20s));

    EXPECT_EQ(Count(first, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(Count(second, UM_DOWNLOAD_ITEM_DONE), 1);
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Same.flv")), QByteArray(40 * 8192, '\0'));
    EXPECT_EQ(ReadFile(Path("out/MetaCafe/Same_001.flv")), "the other video");
    EXPECT_EQ(SiteFiles(), (QStringList{"Same.flv", "Same_001.flv"}));
}
