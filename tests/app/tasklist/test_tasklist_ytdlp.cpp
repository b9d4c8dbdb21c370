// The window's task list downloading through the real yt-dlp from the
// simulator's generic host: the row, its file, its history row, the rows of
// a page of three videos, and the user's stop.

#include "app/tasklist/TaskListHarness.h"
#include "app/tasklist/TaskListView.h"
#include "history/HistoryDb.h"
#include "sitesim/SiteSimulator.h"
#include "support/SimulatorSuite.h"
#include "support/gui/GuiTestSupport.h"

#include <QDir>
#include <QElapsedTimer>

using namespace std::chrono_literals;

class TaskListYtDlpTest : public SimulatorSuite {
  protected:
    QString Out() const { return Path("out"); }
    static QByteArray Served(const QString& id) { return ReadFile(sim_->GenericMediaFile(id)); }
    static bool Done(TaskListHarness& h, int rows) {
        if (h.Model().TaskCount() < rows)
            return false;
        for (int row = 0; row < rows; ++row)
            if (h.Model().Task(row)->state != DownloadTask::LocalFile)
                return false;
        return !h.List().IsDownloading();
    }
    int HistoryRows(const QString& label) const {
        std::unique_ptr<SqliteConnection> db;
        return OpenHistoryDB(db, Path("history.db")) ? CountHistory(db.get(), label) : -1;
    }
};

TEST_F(TaskListYtDlpTest, AVideoPageBecomesAFileAndAHistoryRowOfItsSite) {
    // The https server's certificate is the simulator's test CA's.
    qputenv("ZORV_CA_BUNDLE", sim_->CaBundlePath().toUtf8());
    TaskListHarness h(Path());
    h.List().AddUrlTask(sim_->GenericTlsBase() + "/watch/clip-two");
    h.List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return Done(h, 1); }, 60s))
        << h.StatusCell(0).toStdString() << " / " << h.List().Worker()->LastError().toStdString();
    const DownloadTask& task = *h.Model().Task(0);
    EXPECT_EQ(task.location, Out() + "/HTML5MediaEmbed/clip-two-1.mp4");
    EXPECT_EQ(ReadFile(task.location), Served("clip-two"));
    EXPECT_EQ(task.siteName, "HTML5MediaEmbed");
    EXPECT_EQ(h.Model().CellText(0, TaskListModel::FormatColumn).isEmpty(), false);
    EXPECT_EQ(HistoryRows("HTML5MEDIAEMBED"), 1);
    EXPECT_EQ(FolderTree(Out()), (QStringList{"HTML5MediaEmbed", "HTML5MediaEmbed/clip-two-1.mp4"}));
    qunsetenv("ZORV_CA_BUNDLE");
}

TEST_F(TaskListYtDlpTest, APageOfThreeVideosBecomesThreeRowsInPageOrder) {
    TaskListHarness h(Path());
    h.List().AddUrlTask(sim_->GenericBase() + "/three");
    h.List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return Done(h, 3); }, 90s));
    ASSERT_EQ(h.Model().TaskCount(), 3);
    const char* served[] = {"clip-one", "clip-two", "clip-three"};
    for (int row = 0; row < 3; ++row) {
        const QString path = Out() + QString("/Generic/three-%1.mp4").arg(row + 1);
        EXPECT_EQ(h.Model().Task(row)->location, path) << row;
        EXPECT_EQ(ReadFile(path), Served(served[row])) << row;
    }
    EXPECT_EQ(HistoryRows("GENERIC"), 3);
}

TEST_F(TaskListYtDlpTest, TheUsersStopEndsTheRowWithinASecondAndLeavesNothing) {
    TaskListHarness h(Path());
    h.List().AddUrlTask(sim_->GenericBase() + "/slow/clip-one");
    h.List().StartAll();
    // Downloading: the row shows its progress.
    ASSERT_TRUE(WaitOnWindow([&] { return h.List().Worker()->ReceivedBytes() > 0; }, 60s))
        << h.StatusCell(0).toStdString();
    ASSERT_TRUE(WaitOnWindow([&] { return !h.StatusCell(0).isEmpty(); }, 5s));
    EXPECT_TRUE(SaveScreenshot(*h.List().View(), QStringLiteral("ytdlp-row.png")));
    QElapsedTimer clock;
    clock.start();
    h.List().Stop();
    ASSERT_TRUE(h.WaitIdle(5s));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(h.Model().Task(0)->state, DownloadTask::Pending);
    EXPECT_EQ(FolderTree(Out()), QStringList());
}

TEST_F(TaskListYtDlpTest, ClosingTheListDuringADownloadLeavesNoProcessAndNoFile) {
    auto h = std::make_unique<TaskListHarness>(Path());
    h->List().AddUrlTask(sim_->GenericBase() + "/slow/clip-two");
    h->List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return h->List().Worker()->ReceivedBytes() > 0; }, 60s));
    ASSERT_GT(ChildProcessCount(), 0); // yt-dlp runs
    h.reset();
    EXPECT_EQ(ChildProcessCount(), 0);
    EXPECT_EQ(FolderTree(Out()), QStringList());
}
