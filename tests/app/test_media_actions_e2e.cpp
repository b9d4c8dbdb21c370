// Media actions in the real window: a history entry converted to MP4 (from
// its command) and its marked range saved (from the preview's menu), each as
// a row of the task list with its progress, ending as a new file beside the
// original and a new history entry.

#include "app/MainWindowFixture.h"
#include "app/history/HistoryList.h"
#include "app/history/HistoryListView.h"
#include "app/history/SiteTreePanel.h"
#include "app/preview/CPreviewPanel.h"
#include "app/tasklist/TaskListModel.h"
#include "base/CommandIds.h"
#include "mediatools/IdentifyMedia.h"
#include "support/XvfbDisplay.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QTreeWidget>
#include <QWindow>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);

MediaInfo Identified(const QString& path) {
    MediaInfo info;
    EXPECT_EQ(IdentifyMedia(path, info), 1) << path.toStdString();
    return info;
}
} // namespace

class MediaActionsE2E : public MainWindowFixture {
  protected:
    // A 60-second FLV (Sorenson video, MP3 sound) in the YouTube folder,
    // recorded in the history as a download of that site.
    DownloadTask MakeDownload(const QString& name) {
        const QString folder = Path("downloads/YouTube");
        EXPECT_TRUE(QDir().mkpath(folder));
        DownloadTask task;
        task.location = folder + QLatin1Char('/') + name;
        const int made =
            QProcess::execute(QStringLiteral("ffmpeg"), {"-v",
                                                         "error",
                                                         "-y",
                                                         "-f",
                                                         "lavfi",
                                                         "-i",
                                                         "testsrc=duration=60:rate=25:size=480x360",
                                                         "-f",
                                                         "lavfi",
                                                         "-i",
                                                         "sine=frequency=440:duration=60",
                                                         "-c:v",
                                                         "flv1",
                                                         "-g",
                                                         "75",
                                                         "-c:a",
                                                         "libmp3lame",
                                                         "-ar",
                                                         "44100",
                                                         "-shortest",
                                                         task.location});
        EXPECT_EQ(made, 0);
        const MediaInfo info = Identified(task.location);
        task.ApplyMediaInfo(task.location, info);
        task.pageUrl = Address(QStringLiteral("zvHarbour01"));
        task.site = 0;
        EXPECT_EQ(InsertHistory(history_.get(), task, QDateTime::currentDateTime()), 1);
        return task;
    }

    // Shows the YouTube history and selects its entry of `file`, marked
    // from `inMs` to `outMs`; null when it is not listed.
    DownloadTask* SelectHistoryEntry(CTrevaloDlg& window, const QString& file, int inMs, int outMs) {
        SiteTreePanel* tree = window.SiteTree();
        tree->Tree()->setCurrentItem(tree->Node(SiteTreePanel::kYouTube));
        QApplication::processEvents();
        HistoryList* history = window.History();
        for (int row = 0; row < history->Model()->rowCount(); ++row) {
            history->ListView()->selectRow(row);
            DownloadTask* task = history->SingleSelectedTask();
            if (task && task->location == file) {
                task->markInMs = inMs; // as the preview's mark buttons leave them
                task->markOutMs = outMs;
                return task;
            }
        }
        return nullptr;
    }

    // Waits for the task row `row` to end its action; its state then.
    int WaitForAction(CTrevaloDlg& window, int row) {
        EXPECT_TRUE(WaitForGui([&] { return !window.TaskList()->IsBusy(); }, std::chrono::seconds(120)))
            << Rows()->index(row, 6).data().toString().toStdString();
        const DownloadTask* task = window.TaskList()->Model()->Task(row);
        return task ? task->state : -1;
    }
};

TEST_F(MediaActionsE2E, AHistoryEntryIsConvertedAndItsMarkedRangeSavedAsNewEntries) {
    const DownloadTask original = MakeDownload(QStringLiteral("Harbour lights.flv"));
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(WaitForGui([&] { return window.windowHandle()->isExposed(); }));
    window.resize(1280, 720); // the picture shows the row whole beside the site panel
    ASSERT_TRUE(WaitForGui([&] { return window.size() == QSize(1280, 720); }));

    // Convert to MP4: the video is encoded again, long enough to be seen.
    ASSERT_NE(SelectHistoryEntry(window, original.location, 0, original.lengthMs), nullptr);
    EXPECT_FALSE(window.IsCommandEnabled(CommandId::SaveMarkedRange)); // the marks hold the whole clip
    ASSERT_TRUE(window.IsCommandEnabled(CommandId::ConvertToMp4));
    ASSERT_TRUE(window.ExecuteCommand(CommandId::ConvertToMp4));
    ASSERT_TRUE(window.IsTaskListInFront());
    ASSERT_EQ(Rows()->rowCount(), 1);
    EXPECT_EQ(Rows()->index(0, 1).data().toString(), QStringLiteral("Harbour lights.mp4"));
    ASSERT_TRUE(WaitForGui([&] { return Rows()->index(0, 6).data(TaskListModel::ProgressRole).toInt() > 0; },
                           std::chrono::seconds(60)))
        << Rows()->index(0, 6).data().toString().toStdString();
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("media-action-row.png")));
    EXPECT_EQ(CutTexts(&window).join(QLatin1Char('\n')).toStdString(), "");
    EXPECT_FALSE(window.IsCommandEnabled(CommandId::RemoveAll)); // the row's file is still being made
    ASSERT_EQ(WaitForAction(window, 0), DownloadTask::LocalFile);
    const QString mp4 = Path("downloads/YouTube/Harbour lights.mp4");
    const MediaInfo converted = Identified(mp4);
    EXPECT_EQ(converted.videoFormat.toLower(), QStringLiteral("h264"));
    EXPECT_NEAR(converted.lengthMs, original.lengthMs, 500);
    EXPECT_EQ(window.TaskList()->Model()->Task(0)->location, mp4);

    // The range 0:10 to 0:20 of the same entry, streams copied.
    ASSERT_NE(SelectHistoryEntry(window, original.location, 10000, 20000), nullptr);
    ASSERT_TRUE(window.IsCommandEnabled(CommandId::SaveMarkedRange));
    // This time from the preview's own menu.
    Q_EMIT window.Preview()->customContextMenuRequested(QPoint(10, 10));
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitForGui([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
    ASSERT_EQ(menu->actions().size(), 1);
    QAction* save = menu->actions().first();
    EXPECT_EQ(save->data().toInt(), CommandId::SaveMarkedRange);
    EXPECT_TRUE(save->isEnabled());
    menu->close();
    save->trigger();
    ASSERT_EQ(Rows()->rowCount(), 2);
    ASSERT_EQ(WaitForAction(window, 1), DownloadTask::LocalFile);
    const QString part = Path("downloads/YouTube/Harbour lights (0.10\u20130.20).flv");
    EXPECT_EQ(window.TaskList()->Model()->Task(1)->location, part);
    EXPECT_NEAR(Identified(part).lengthMs, 10000, 3000 + 100); // a key frame every 3 s

    // Both results are history entries of the original's site and page; the
    // original is untouched.
    EXPECT_EQ(CountHistory(history_.get()), 3) << window.StatusText().toStdString();
    EXPECT_TRUE(WaitForGui([&] {
        return window.SiteTree()->Node(SiteTreePanel::kYouTube)->text(0) == QStringLiteral("YouTube (3)");
    }));
    EXPECT_NEAR(Identified(original.location).lengthMs, original.lengthMs, 1);
    EXPECT_EQ(
        QDir(Path("downloads/YouTube")).entryList(QDir::Files),
        (QStringList{"Harbour lights (0.10\u20130.20).flv", "Harbour lights.flv", "Harbour lights.mp4"}));
}
