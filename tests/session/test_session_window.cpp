// The window stays responsive while a finished download is identified: the
// identification (mplayer, here a stand-in that answers only after 10 s)
// runs on the session's finisher thread, not on the window's.

#include "app/tasklist/TaskListHarness.h"
#include "mediatools/ToolFolders.h"

#include "mediatools/ScriptTool.h"
#include "support/LoopbackServer.h"
#include "support/TempDirTest.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <thread>

using namespace std::chrono_literals;

class SessionWindowTest : public TempDirTest {
  protected:
    void TearDown() override {
        SetMPlayerPathOverride(QString());
        qunsetenv("ZORV_CONNECT_TO");
        TempDirTest::TearDown();
    }
};

TEST_F(SessionWindowTest, TheWindowAnswersWhileADownloadedFileIsIdentified) {
    LoopbackServer server;
    server.ServeBody("/watch/5/slow_tool/",
                     "<html><head><title>Slow tool</title></head><body>\n<embed flashvars=\"a=1&mediaURL="
                     "http%3A%2F%2Fakvideos.metacafe.com%2Fitem%2F5.flv&postRollContentURL=x\">\n</body></html>");
    server.ServeBody("/item/5.flv", QByteArray(20000, 'v'), "video/x-flv");
    qputenv("ZORV_CONNECT_TO",
            (server.ConnectTo("www.metacafe.com") + ',' + server.ConnectTo("v.mccont.com")).toUtf8());
    const QString started = Path("identifying");
    SetMPlayerPathOverride(WriteScriptTool(
        Path("mplayer"), "touch '" + started.toUtf8() +
                             "'\nsleep 10\n"
                             "printf 'ID_VIDEO_FORMAT=FLV1\\nID_VIDEO_WIDTH=320\\nID_VIDEO_HEIGHT=240\\n"
                             "ID_VIDEO_FPS=15.000\\nID_LENGTH=2.00\\n'"));

    TaskListHarness h(Path());
    h.List().AddUrlTask(QStringLiteral("http://www.metacafe.com/watch/5/slow_tool/"));
    // The list's first layout and paint come before the batch.
    for (int i = 0; i < 3; ++i) {
        QEventLoop settle;
        QTimer::singleShot(0, &settle, &QEventLoop::quit);
        settle.exec();
    }
    h.List().StartAll();

    // From the start of the batch until the file is recorded: post a zero
    // timer to the window's thread, time its delivery, again and again. A
    // round trip counts as one during the identification when mplayer had
    // started by its end (the file is not yet recorded at its start).
    QElapsedTimer clock;
    clock.start();
    qint64 worst = 0;   // during the identification
    qint64 before = 0;  // the slowest before it (the batch's start, the first paint)
    qint64 sum = 0;
    int probes = 0;
    int whileIdentifying = 0;
    while (h.Model().Task(0)->state != DownloadTask::LocalFile && clock.elapsed() < 60000) {
        QElapsedTimer trip;
        trip.start();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
        const qint64 took = trip.elapsed();
        ++probes;
        if (QFile::exists(started)) {
            ++whileIdentifying;
            worst = std::max(worst, took);
            sum += took;
        } else {
            before = std::max(before, took);
        }
        std::this_thread::sleep_for(5ms); // events queue up meanwhile; the next probe handles them
    }
    std::printf("%d round trips in %lld ms; %d while mplayer identified: slowest %lld ms, mean %.2f ms "
                "(slowest before it %lld ms)\n",
                probes, static_cast<long long>(clock.elapsed()), whileIdentifying, static_cast<long long>(worst),
                whileIdentifying ? double(sum) / whileIdentifying : 0.0, static_cast<long long>(before));

    ASSERT_EQ(h.Model().Task(0)->state, DownloadTask::LocalFile);
    EXPECT_GE(clock.elapsed(), 10000); // the tool's answer is what recorded the file
    EXPECT_GT(whileIdentifying, 500);
    EXPECT_LT(worst, 100);
    // Recorded once the tool answered.
    EXPECT_EQ(h.Model().Task(0)->location, Path("out/MetaCafe/5.flv"));
    EXPECT_EQ(h.Model().CellText(0, 3), "FLV1");
    EXPECT_EQ(h.HistoryRows(), 1);
    ASSERT_TRUE(h.WaitIdle());
    EXPECT_EQ(h.beeps, 1);
}
