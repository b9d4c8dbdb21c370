// The download session over a real worker and a loopback stand-in for the
// Metacafe site: the order in which the observer hears of a batch, the
// browser-dialog handshake, and the worker's thread checks.

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/ThreadCheck.h"
#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "mediatools/ToolFolders.h"
#include "session/DownloadSession.h"

#include "mediatools/ScriptTool.h"
#include "support/LoopbackServer.h"
#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {
QByteArray Page(const QString& title, const QString& media) {
    return QStringLiteral("<html><head><title>%1</title></head><body>\n"
                          "<embed flashvars=\"a=1&mediaURL=%2&postRollContentURL=x\">\n</body></html>")
        .arg(title, media)
        .toUtf8();
}

// Writes down what the session reports, one line per call.
class RecordingObserver : public SessionObserver {
  public:
    void OnItemStatus(int row, int code, const QString&, const QString&) override {
        events << QStringLiteral("status %1 %2").arg(row).arg(code);
    }
    void OnItemProgress(int row, int, quint64, quint64, const QString&) override {
        if (!events.isEmpty() && events.last() == QStringLiteral("progress %1").arg(row))
            return; // one line for a run of progress reports
        events << QStringLiteral("progress %1").arg(row);
    }
    void OnItemRetry(int row, int retry) override { events << QStringLiteral("retry %1 %2").arg(row).arg(retry); }
    void OnItemTitle(int row, const QString&) override { events << QStringLiteral("title %1").arg(row); }
    void OnItemRecorded(const RecordedItem& item) override {
        events << QStringLiteral("recorded %1").arg(item.row);
        recorded.push_back(item);
    }
    void OnDialogNeeded(int row, BrowserDialog kind, const QString& address) override {
        events << QStringLiteral("dialog %1 %2").arg(row).arg(kind == BrowserDialog::Captcha ? "captcha" : "sign-in");
        dialogAddress = address;
        if (dialogThrows)
            throw std::runtime_error("the dialog could not be shown");
    }
    void OnBatchEnded(bool stopped) override {
        events << (stopped ? QStringLiteral("stopped") : QStringLiteral("all done"));
        ended = true;
    }

    QStringList events;
    std::vector<RecordedItem> recorded;
    QString dialogAddress;
    bool dialogThrows = false;
    bool ended = false;
};
} // namespace

class SessionTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        qputenv("ZORV_CONNECT_TO",
                (server_.ConnectTo("www.metacafe.com") + ',' + server_.ConnectTo("v.mccont.com")).toUtf8());
        InitLog(Path("ruzivar.log"));
        // mplayer stands in: it answers once the test creates "release".
        SetMPlayerPathOverride(WriteScriptTool(
            Path("mplayer"), "echo $$ > '" + Path("pid").toUtf8() + "'\ntouch '" + Path("identifying").toUtf8() +
                                 "'\nwhile [ ! -e '" +
                                 Path("release").toUtf8() +
                                 "' ]; do sleep 0.02; done\n"
                                 "printf 'ID_VIDEO_FORMAT=FLV1\\nID_VIDEO_WIDTH=320\\nID_VIDEO_HEIGHT=240\\n"
                                 "ID_VIDEO_FPS=15.000\\nID_LENGTH=2.00\\n'"));
        ASSERT_TRUE(OpenHistoryDB(db_, Path("history.db")));
        session_ = std::make_unique<DownloadSession>(&target_, observer_);
        SettingsValues settings;
        settings.OutputFolder = Path("out");
        settings.UseTitleAsFileName = 1;
        session_->Configure(settings);
        session_->SetHistory(db_.get());
    }
    void TearDown() override {
        session_.reset();
        db_.reset();
        SetMPlayerPathOverride(QString());
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
    void ServeVideo(const std::string& id, const QString& title) {
        server_.ServeBody("/watch/" + id + "/clip/",
                          Page(title, QStringLiteral("http%3A%2F%2Fakvideos.metacafe.com%2Fitem%2F%1.flv")
                                          .arg(QString::fromStdString(id))));
        server_.ServeBody("/item/" + id + ".flv", "media " + QByteArray::fromStdString(id), "video/x-flv");
    }
    static QString Watch(const std::string& id) {
        return QStringLiteral("http://www.metacafe.com/watch/%1/clip/").arg(QString::fromStdString(id));
    }
    // Hands the session every message posted so far; true once `until` holds.
    template <typename Until> bool DispatchUntil(Until&& until, std::chrono::milliseconds limit = 20s) {
        return WaitFor(
            [&] {
                while (auto m = target_.Wait(std::chrono::milliseconds(0)))
                    session_->Dispatch(*m);
                return until();
            },
            limit);
    }

    LoopbackServer server_;
    QueueMessageTarget target_;
    RecordingObserver observer_;
    std::unique_ptr<SqliteConnection> db_;
    std::unique_ptr<DownloadSession> session_;
};

TEST_F(SessionTest, TheBatchEndsForTheObserverOnlyAfterItsLastItemIsRecorded) {
    ServeVideo("11", "First");
    ServeVideo("22", "Second");
    DownloadWorker& worker = session_->Worker();
    worker.Enqueue(Watch("11"), 0);
    worker.Enqueue(Watch("22"), 1);
    ASSERT_TRUE(worker.Start());

    // The worker finishes its batch while the first file is still being
    // identified: everything after that item waits for its record.
    ASSERT_TRUE(DispatchUntil([&] { return !worker.IsRunning() && QFile::exists(Path("identifying")); }));
    while (auto m = target_.Wait(std::chrono::milliseconds(0)))
        session_->Dispatch(*m);
    EXPECT_EQ(session_->Outstanding(), 2);
    EXPECT_FALSE(observer_.ended);
    EXPECT_TRUE(observer_.recorded.empty());
    EXPECT_FALSE(observer_.events.contains("status 0 110"));

    QFile(Path("release")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(DispatchUntil([&] { return observer_.ended; }));
    EXPECT_EQ(observer_.events,
              (QStringList{"status 0 104", "status 0 105", "title 0", "progress 0", "recorded 0", "status 0 110",
                           "status 1 104", "status 1 105", "title 1", "progress 1", "recorded 1", "status 1 110",
                           "all done"}))
        << observer_.events.join(", ").toStdString();
    ASSERT_EQ(observer_.recorded.size(), 2u);
    const struct {
        QString path;
        QString page;
    } expected[] = {{Path("out/MetaCafe/First.flv"), Watch("11")}, {Path("out/MetaCafe/Second.flv"), Watch("22")}};
    for (size_t i = 0; i < 2; ++i) {
        const RecordedItem& item = observer_.recorded[i];
        EXPECT_TRUE(item.published);
        EXPECT_EQ(item.path, expected[i].path);
        EXPECT_EQ(item.pageUrl, expected[i].page);
        EXPECT_EQ(item.site, METACAFE);
        EXPECT_TRUE(item.identified);
        EXPECT_EQ(item.info.videoFormat, "FLV1");
        EXPECT_EQ(item.task.location, expected[i].path);
        EXPECT_EQ(item.historyWasEmpty, i == 0);
        EXPECT_TRUE(item.historyTried);
        EXPECT_TRUE(item.historyInserted);
    }
    EXPECT_EQ(CountHistory(db_.get()), 2);
}

TEST_F(SessionTest, TheDialogHandshakeAlwaysReleasesTheWaitingWorker) {
    const struct {
        const char* name;
        bool throws;
        std::string id;
    } cases[] = {{"the observer returns at once", false, "404"}, {"the observer throws", true, "405"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        observer_.events.clear();
        observer_.ended = false;
        observer_.dialogAddress.clear();
        observer_.dialogThrows = c.throws;
        DownloadWorker& worker = session_->Worker();
        // As an extractor sets it together with status 207; every attempt
        // fails (nothing is served), so only the dialog earns a retry.
        worker.RequestCaptcha("http://www.metacafe.com/captcha");
        worker.Enqueue(Watch(c.id), 3);
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(WaitFor([&] { return worker.Snapshot().waitingForDialog; }));

        const PostedMessage captcha{UM_DOWNLOAD_STATUS, 0,
                                    DownloadStatus::Pack(DownloadStatus::CaptchaRequired, 3), std::nullopt};
        if (c.throws)
            EXPECT_THROW(session_->Dispatch(captcha), std::runtime_error);
        else
            EXPECT_TRUE(session_->Dispatch(captcha));
        EXPECT_EQ(observer_.dialogAddress, "http://www.metacafe.com/captcha");
        // Released: the wait ends and the item gets its one more attempt.
        ASSERT_TRUE(DispatchUntil([&] { return observer_.ended; }));
        EXPECT_TRUE(observer_.events.contains("dialog 3 captcha"));
        EXPECT_EQ(observer_.events.filter(QRegularExpression("^retry 3 ")).size(), 1)
            << observer_.events.join(", ").toStdString();
        EXPECT_EQ(observer_.events.last(), "all done");
        EXPECT_EQ(server_.Hits("/watch/" + c.id + "/clip/"), 2);
    }
}

TEST_F(SessionTest, EndingTheSessionCutsARunningIdentificationShort) {
    ServeVideo("11", "First");
    session_->Worker().Enqueue(Watch("11"), 0);
    ASSERT_TRUE(session_->Worker().Start());
    ASSERT_TRUE(DispatchUntil([&] { return QFile::exists(Path("identifying")); }));
    const qint64 pid = ReadFile(Path("pid")).trimmed().toLongLong();
    ASSERT_GT(pid, 0);

    QElapsedTimer timer;
    timer.start();
    session_.reset(); // mplayer never answers: it is stopped, not waited for
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(ProcessExists(pid)); // killed and reaped
    EXPECT_TRUE(observer_.recorded.empty());
}

#if ZORV_THREAD_CHECKS_ON
TEST(WorkerThreadChecksDeathTest, AWindowThreadEntryPointCalledFromAnotherThreadAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QueueMessageTarget target;
    auto worker = std::make_shared<DownloadWorker>(&target);
    EXPECT_DEATH(std::thread([&] { worker->Enqueue("http://www.metacafe.com/watch/1/clip/", 0); }).join(),
                 "thread check failed: DownloadWorker::Enqueue called off the thread that made the worker");
    EXPECT_DEATH(std::thread([&] { worker->Start(); }).join(), "DownloadWorker::Start called off the thread");
}
#endif
