// The download task list on the real worker, the site simulator, mplayer and
// a real history file: what each way of adding does, what a batch leaves in
// its rows, and what the user's commands do while it runs.

#include "app/tasklist/TaskListTest.h"

#include "app/tasklist/TaskListText.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/VideoSite.h"
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QProcess>
#include <QSignalSpy>
#include <QUrl>

namespace {
QMimeData* TextData(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}
QMimeData* FileData(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}
} // namespace

TEST_F(TaskListTest, OnlyAWebAddressOnOneLineIsAccepted) {
    const QString warning = LoadText(32909);
    const QString twoLines = Metacafe() + "\n" + YouTube("zvNormal001");
    struct Case {
        const char* how;
        QString candidate;
        bool dropped;
        bool accepted;
    } cases[] = {
        {"https", "https://www.youtube.com/watch?v=zvNormal001", false, true},
        {"ftp", "ftp://www.metacafe.com/watch/1000001/sample_clip/", false, false},
        {"empty", "", false, false},
        {"two lines", twoLines, false, false},
        {"two lines dropped", twoLines, true, false},
        {"http with a path and query", "http://www.example.org/any/path?x=1&y=2", false, true},
        {"http dropped", Metacafe(), true, true},
        {"copied with a line break", YouTube("zvCopied001") + "\r\n", false, true},
        {"dropped with spaces around", "   " + YouTube("zvSpaced001") + " \t", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        h_->prompts.shown.clear();
        const int before = Rows();
        if (c.dropped)
            Drop(TextData(c.candidate));
        else
            List().AddUrlTask(c.candidate);
        EXPECT_EQ(h_->prompts.Count(warning), c.accepted ? 0 : 1);
        EXPECT_EQ(h_->prompts.shown.size(), c.accepted ? 0u : 1u);
        ASSERT_EQ(Rows(), before + (c.accepted ? 1 : 0));
        if (!c.accepted)
            continue;
        const int row = before;
        const QString address = c.candidate.trimmed();
        EXPECT_EQ(Model().Task(row)->location, address);
        EXPECT_EQ(Model().Task(row)->state, DownloadTask::Pending);
        EXPECT_TRUE(Model().IsChecked(row));
        const QStringList cells{Model().CellText(row, 1), Model().CellText(row, 2), Model().CellText(row, 3),
                                Model().CellText(row, 4), Model().CellText(row, 5), Model().CellText(row, 6)};
        EXPECT_EQ(cells, (QStringList{address, "N/A", "Online", "N/A", "N/A", "Ready for download..."}));
        for (int column = 0; column < TaskListModel::kColumnCount; ++column)
            EXPECT_EQ(Model().CellColour(row, column), QColor(192, 0, 0)) << column;
        EXPECT_EQ(Model().index(row, 1).data(Qt::ToolTipRole).toString(), address);
    }
}

TEST_F(TaskListTest, AddedLinesSkipEmptyOnesAndNameTheRefusedInOneMessage) {
    List().AddUrls({"", "  " + Metacafe() + "\n", "ftp://a.example/x", "   ", "not an address",
                    YouTube("zvNormal001"), "http://b.example/" + QString(40000, 'a')});
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Model().Task(0)->location, Metacafe());
    const QString cut = ("http://b.example/" + QString(40000, 'a')).left(100) + QChar(0x2026);
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, LoadText(33301) + "\nftp://a.example/x\nnot an address\n" + cut);
}

TEST_F(TaskListTest, PasteIsOfferedExactlyWhenItWouldAddARowAndHugeTextIsRefusedUnread) {
    const QString huge = "http://c.example/" + QString(10 * 1024 * 1024, 'x');
    struct Case {
        QString clipboard;
        bool offered;
    } cases[] = {{Metacafe() + "\n", true}, {"ftp://a.example/x", false}, {"", false}, {huge, false}};
    for (const Case& c : cases) {
        QApplication::clipboard()->setText(c.clipboard);
        EXPECT_EQ(List().CanPaste(), c.offered) << c.clipboard.left(40).toStdString();
    }
    QApplication::clipboard()->setText(Metacafe());
    List().PasteFromClipboard();
    EXPECT_FALSE(List().CanPaste()); // already waiting in the list

    QApplication::clipboard()->setText(huge);
    List().PasteFromClipboard();
    EXPECT_EQ(Rows(), 1);
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, LoadText(33300));
}

TEST_F(TaskListTest, AnAddressIsAddedAgainOnlyOnceItsDownloadHasFinished) {
    List().AddUrlTask(Metacafe());
    List().AddUrlTask(Metacafe());
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(h_->prompts.shown.empty());

    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());
    ASSERT_EQ(Model().Task(0)->state, DownloadTask::LocalFile);
    List().AddUrlTask(Metacafe());
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Model().Task(1)->location, Metacafe());
    EXPECT_EQ(Model().Task(1)->state, DownloadTask::Pending);
}

TEST_F(TaskListTest, AFinishedDownloadFillsItsRowUnchecksItAndIsRecordedOnce) {
    List().AddUrlTask(Metacafe());
    List().StartAll();
    EXPECT_TRUE(List().IsDownloading());
    ASSERT_TRUE(h_->WaitIdle());

    const DownloadTask* task = Model().Task(0);
    EXPECT_EQ(task->state, DownloadTask::LocalFile);
    EXPECT_EQ(task->location, Path("out/MetaCafe/1000001.flv"));
    EXPECT_TRUE(QFileInfo::exists(task->location));
    EXPECT_EQ(task->pageUrl, Metacafe());
    EXPECT_EQ(task->site, METACAFE);
    EXPECT_FALSE(Model().IsChecked(0));
    const QStringList cells{Model().CellText(0, 1), Model().CellText(0, 2), Model().CellText(0, 3),
                            Model().CellText(0, 4), Model().CellText(0, 5), Model().CellText(0, 6)};
    EXPECT_EQ(cells, (QStringList{"Tom & Jerry's \"big\" day", "00:00:02", "FLV1", "320x240", "15 fps",
                                  "Download completed"}));
    // Filled from the file: normal colours from the title on.
    for (int column = 1; column < TaskListModel::kColumnCount; ++column)
        EXPECT_FALSE(Model().CellColour(0, column).has_value()) << column;
    EXPECT_EQ(Model().index(0, 1).data(Qt::ToolTipRole).toString(), task->location);
    EXPECT_EQ(h_->HistoryRows(), 1);
    EXPECT_EQ(h_->historySignals, 1);
    EXPECT_EQ(h_->beeps, 1);
    EXPECT_TRUE(h_->prompts.shown.empty()); // the clip has sound
    EXPECT_FALSE(List().CanStripStart());
}

TEST_F(TaskListTest, StartAllWithOnlyUncheckedRowsRunsAnEmptyBatch) {
    for (int shutdownFlag : {0, 1}) {
        SCOPED_TRACE(shutdownFlag);
        h_.reset();
        h_ = std::make_unique<TaskListHarness>(Path(QStringLiteral("case%1").arg(shutdownFlag)));
        h_->settings.ShutdownFlag = shutdownFlag;
        List().AddUrlTask(Metacafe());
        List().AddUrlTask(YouTube("zvNormal001"));
        for (int row = 0; row < 2; ++row)
            Model().setData(Model().index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
        EXPECT_FALSE(List().CanStripStart());
        ASSERT_TRUE(List().CanStartAll());

        List().StartAll();
        ASSERT_TRUE(h_->WaitIdle());
        EXPECT_EQ(h_->beeps, 1);
        EXPECT_EQ(h_->power.calls, shutdownFlag);
        EXPECT_EQ(h_->quits, shutdownFlag);
        EXPECT_EQ(h_->StatusCell(0), QStringLiteral("Ready for download..."));
        EXPECT_EQ(h_->StatusCell(1), QStringLiteral("Ready for download..."));
        EXPECT_EQ(Model().Task(0)->state, DownloadTask::Pending);
    }
}

TEST_F(TaskListTest, PowerOffWaitsForTheSystemsAnswerWithoutHoldingTheWindowAndShowsARefusal) {
    h_->settings.ShutdownFlag = 1;
    h_->power.holdAnswer = true;
    h_->power.refusal = QStringLiteral("Interactive authentication required.");
    List().AddUrlTask(Metacafe());
    Model().setData(Model().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());
    EXPECT_EQ(h_->power.calls, 1);
    // Asked, not yet answered: the window is back and nothing has been decided.
    EXPECT_EQ(h_->quits, 0);
    EXPECT_TRUE(h_->prompts.shown.empty());
    List().AddUrlTask(YouTube("zvNormal001"));
    EXPECT_EQ(Model().rowCount(), 2);

    ASSERT_TRUE(h_->power.Answer());
    QCoreApplication::processEvents();
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, QStringLiteral("Interactive authentication required."));
    EXPECT_EQ(h_->prompts.shown[0].icon, UserPrompts::Icon::Error);
    EXPECT_EQ(h_->quits, 1);
}

TEST_F(TaskListTest, ProgressShowsTenthsOfAPercentWhileABatchRuns) {
    List().AddUrlTask(Metacafe());
    h_->Post(UM_DOWNLOAD_PROGRESS, 453, 0); // no batch yet: ignored
    EXPECT_EQ(h_->StatusCell(0), QStringLiteral("Ready for download..."));
    EXPECT_FALSE(Model().IsProgressOn(0));

    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::DownloadBegins, 0));
    ASSERT_TRUE(List().IsDownloading());
    List().Worker()->SetByteCounts(559031, 1234567);
    const struct {
        int perMille;
        const char* shown;
    } cases[] = {{0, "0.0%"}, {453, "45.3%"}, {1000, "100.0%"}};
    for (const auto& c : cases) {
        h_->Post(UM_DOWNLOAD_PROGRESS, c.perMille, 0);
        EXPECT_EQ(h_->StatusCell(0), c.shown);
        EXPECT_TRUE(Model().IsProgressOn(0));
        EXPECT_EQ(Model().index(0, 6).data(TaskListModel::ProgressRole).toInt(), c.perMille);
    }
    const QLocale locale = QLocale::system();
    EXPECT_EQ(List().StatusText(),
              FillFormat(LoadText(32827), {QString(), locale.toString(559031), locale.toString(1234567)}));
    // Rows the list does not have (-1 travels as 0xFFFF) change nothing.
    h_->Post(UM_DOWNLOAD_PROGRESS, 700, 5);
    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::Failed, -1));
    h_->Post(UM_DOWNLOAD_ITEM_DONE, 0, 0xFFFF);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(h_->StatusCell(0), "100.0%");
    // A status ends the bar.
    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::DownloadEnded, 0));
    EXPECT_FALSE(Model().IsProgressOn(0));
    h_->Post(UM_DOWNLOAD_STOPPED, 0, 0);
    EXPECT_FALSE(List().IsDownloading());
}

TEST_F(TaskListTest, AnItemThatKeepsFailingIsRetriedAndStaysPendingWithItsErrorInDarkRed) {
    h_->settings.RetryTimes = 2;
    List().ApplyWorkerSettings();
    List().AddUrlTask(YouTube("zvMedia4041"));
    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());

    const QString first = FillFormat(LoadText(32832), {"1"});
    const QString second = FillFormat(LoadText(32832), {"2"});
    EXPECT_EQ(h_->statusLines.count(first), 1);
    EXPECT_EQ(h_->statusLines.count(second), 1);
    EXPECT_EQ(h_->statusLines.count(FillFormat(LoadText(32832), {"3"})), 0);
    EXPECT_GT(h_->statusLines.indexOf(second), h_->statusLines.indexOf(first));

    EXPECT_EQ(Model().Task(0)->state, DownloadTask::Pending);
    EXPECT_TRUE(Model().IsChecked(0));
    EXPECT_EQ(h_->StatusCell(0), QStringLiteral("Download failed"));
    EXPECT_EQ(Model().CellColour(0, 6), QColor(192, 0, 0));
    const QString lastError = List().Worker()->Snapshot().lastError;
    EXPECT_FALSE(lastError.isEmpty());
    EXPECT_EQ(List().StatusText(), FillFormat(LoadText(32831), {lastError}));
    EXPECT_EQ(h_->HistoryRows(), 0);
    EXPECT_TRUE(List().CanStripStart()); // it can be started again
}

TEST_F(TaskListTest, StopAskedFirstEndsTheItemWithStatus111AndLeavesNothingBehind) {
    List().AddUrlTask(YouTube("zvSlowBody1"));
    List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return Model().IsProgressOn(0); }));

    h_->prompts.answer = UserPrompts::Answer::No;
    List().StopAskingFirst();
    EXPECT_EQ(h_->prompts.asked, QStringList{LoadText(309)});
    EXPECT_TRUE(List().IsDownloading());

    h_->prompts.answer = UserPrompts::Answer::Yes;
    List().StopAskingFirst();
    EXPECT_FALSE(List().IsDownloading());
    ASSERT_TRUE(WaitOnWindow(
        [&] { return h_->StatusCell(0) == QStringLiteral("Download stopped") && !List().IsDownloading(); }));
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::Pending);
    EXPECT_EQ(Model().CellText(0, 2), "N/A"); // never identified
    EXPECT_TRUE(h_->prompts.shown.empty());
    EXPECT_EQ(h_->HistoryRows(), 0);
    EXPECT_EQ(QDir(Path("out/YouTube")).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_TRUE(List().CanStartAll());
}

TEST_F(TaskListTest, ADroppedFileThatIsNoVideoWarnsAndAddsNothing) {
    List().AddUrlTask(Metacafe());
    List().AddUrlTask(YouTube("zvNormal001"));
    const DownloadTask* first = Model().Task(0);
    const DownloadTask* second = Model().Task(1);
    const QString notVideo = WriteFile("drop/notes.flv", "plain text, not a video\n");

    Drop(FileData(notVideo));
    const QString warning = FillFormat(LoadText(32804), {notVideo});
    ASSERT_TRUE(WaitOnWindow([&] { return !h_->prompts.shown.empty(); }));
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, warning);
    EXPECT_EQ(h_->prompts.shown[0].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(List().StatusText(), warning);
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Model().Task(0), first);
    EXPECT_EQ(Model().Task(1), second);

    // The next file lands in the next row with its own task.
    const QString clip = WriteFile("drop/A & B.flv", ReadFile(sim_->MediaPath("flv")));
    Drop(FileData(clip));
    ASSERT_TRUE(WaitOnWindow([&] { return Rows() == 3; }));
    EXPECT_EQ(Model().Task(2)->location, clip);
    EXPECT_EQ(Model().Task(2)->site, -2);
    EXPECT_EQ(Model().CellText(2, 1), "A & B");
    EXPECT_EQ(Model().CellText(2, 4), "320x240");
    EXPECT_EQ(Model().Task(1), second);
    EXPECT_EQ(h_->HistoryRows(), 0); // dropped files are not downloads
}

TEST_F(TaskListTest, RemovingRowsKeepsEveryOtherRowWithItsOwnTask) {
    for (int i = 0; i < 5; ++i)
        List().AddUrlTask(QStringLiteral("http://www.example.org/v%1").arg(i));
    ASSERT_TRUE(List().RemoveRows({3, 1}));
    ASSERT_EQ(Rows(), 3);
    QStringList locations;
    for (int row = 0; row < Rows(); ++row) {
        locations << Model().Task(row)->location;
        EXPECT_EQ(Model().CellText(row, 1), Model().Task(row)->location);
        EXPECT_EQ(Model().index(row, 1).data(Qt::ToolTipRole).toString(), Model().Task(row)->location);
    }
    EXPECT_EQ(locations, (QStringList{"http://www.example.org/v0", "http://www.example.org/v2",
                                      "http://www.example.org/v4"}));

    // A notification for row 1 now reaches the task that moved there.
    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::DownloadBegins, 1));
    EXPECT_EQ(h_->StatusCell(1), QStringLiteral("Downloading video..."));
    EXPECT_EQ(h_->StatusCell(2), QStringLiteral("Ready for download..."));
    // While a batch runs the worker addresses rows by index: no removal.
    EXPECT_FALSE(List().RemoveRows({0}));
    EXPECT_FALSE(List().RemoveAll());
    EXPECT_EQ(Rows(), 3);
    h_->Post(UM_DOWNLOAD_STOPPED, 0, 0);
    EXPECT_TRUE(List().RemoveAll());
    EXPECT_EQ(Rows(), 0);
}

TEST_F(TaskListTest, SelectedRowsAreCheckedAndUncheckedTogether) {
    for (int i = 0; i < 3; ++i)
        List().AddUrlTask(QStringLiteral("http://www.example.org/v%1").arg(i));
    QItemSelectionModel* selection = List().ListView()->selectionModel();
    selection->select(Model().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(Model().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    List().CheckSelected(false);
    EXPECT_EQ((QList<bool>{Model().IsChecked(0), Model().IsChecked(1), Model().IsChecked(2)}),
              (QList<bool>{false, true, false}));
    EXPECT_EQ(h_->StatusCell(0), QString());
    EXPECT_EQ(h_->StatusCell(1), QStringLiteral("Ready for download..."));
    List().CheckSelected(true);
    EXPECT_TRUE(Model().IsChecked(0) && Model().IsChecked(2));
}

TEST_F(TaskListTest, AnAddressAddedWhileStartAllRunsJoinsTheBatchAndCheckBoxesOnlySayWaiting) {
    List().AddUrlTask(YouTube("zvSlowBody1"));
    List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return Model().IsProgressOn(0); }));
    List().AddUrlTask(Metacafe());
    ASSERT_EQ(Rows(), 2);

    // Toggling a box while the batch runs changes only the status text.
    const QModelIndex box = Model().index(1, 0);
    Model().setData(box, Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(h_->StatusCell(1), QString());
    Model().setData(box, Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(h_->StatusCell(1), QStringLiteral("Waiting"));

    ASSERT_TRUE(h_->WaitIdle());
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::LocalFile);
    EXPECT_EQ(Model().Task(1)->state, DownloadTask::LocalFile);
    EXPECT_EQ(Model().Task(1)->location, Path("out/MetaCafe/1000001.flv"));
    EXPECT_EQ(h_->HistoryRows(), 2);
    EXPECT_EQ(h_->beeps, 1);
}

TEST_F(TaskListTest, TheWorkerAlwaysGetsAnAbsoluteCleanedOutputFolder) {
    h_->settings.OutputFolder = QStringLiteral("videos/new:set//");
    List().ApplyWorkerSettings();
    const QString expected = Path("home/videos/new:set"); // the colon is the user's
    EXPECT_EQ(List().Worker()->OutputFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(List().SetOutputFolder(Path("chosen") + "/"), Path("chosen"));
    EXPECT_EQ(List().Worker()->OutputFolder(), Path("chosen"));
}

TEST_F(TaskListTest, ACaptchaPageIsShownAndReleasesTheWaitingWorker) {
    // Until the browser dialog exists, the address is shown as a message.
    List().AddUrlTask(YouTube("zvCaptcha01"));
    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());
    ASSERT_FALSE(h_->prompts.shown.empty());
    EXPECT_TRUE(h_->prompts.shown[0].text.contains("das_captcha"));
    EXPECT_EQ(h_->prompts.shown[0].icon, UserPrompts::Icon::Information);
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::Pending);
    EXPECT_EQ(Model().CellColour(0, 6), QColor(192, 0, 0));

    // The hook replaces the message; the worker waits for it to return.
    std::vector<std::pair<int, QString>> opened;
    List().SetBrowserDialogHook([&](int code, const QString& address) {
        EXPECT_TRUE(List().Worker()->IsRunning());
        opened.emplace_back(code, address);
    });
    const size_t messages = h_->prompts.shown.size();
    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened[0].first, DownloadStatus::CaptchaRequired);
    EXPECT_TRUE(opened[0].second.contains("das_captcha")) << opened[0].second.toStdString();
    EXPECT_EQ(h_->prompts.shown.size(), messages);
}

TEST_F(TaskListTest, ADroppedFileWithoutSoundWarnsAndIsStillAdded) {
    const QString clip = sim_->MediaPath("videoonly");
    Drop(FileData(clip));
    EXPECT_EQ(Rows(), 0); // the drop returns at once; mplayer runs off the window thread
    ASSERT_TRUE(WaitOnWindow([&] { return !h_->prompts.shown.empty(); }));
    ASSERT_EQ(Rows(), 1);
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, LoadText(32788));
    EXPECT_EQ(h_->prompts.shown[0].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(List().StatusText(), LoadText(32788));
    EXPECT_EQ(Model().Task(0)->hasAudio, 0);
    EXPECT_EQ(Model().CellText(0, 4), "320x240");
    EXPECT_TRUE(Model().IsChecked(0));
}

TEST_F(TaskListTest, ADownloadThatIsNoVideoStaysAFailedRowThatIsNeverPlayed) {
    LoopbackServer server;
    server.ServeBody("/watch/42/not_a_video/",
                     "<html><title>x</title>mediaURL=http%3A%2F%2Fwww.metacafe.com%2Fnote.flv&amp;</html>");
    server.ServeBody("/note.flv", QByteArray(4096, 'z'), "video/x-flv");
    const QByteArray routes = qgetenv("ZORV_CONNECT_TO");
    qputenv("ZORV_CONNECT_TO", server.ConnectTo("www.metacafe.com").toUtf8());
    List().AddUrlTask("http://www.metacafe.com/watch/42/not_a_video/");
    QSignalSpy played(&List(), &DownloadTaskList::playTaskRequested);
    List().StartAll();
    const bool idle = h_->WaitIdle();
    qputenv("ZORV_CONNECT_TO", routes);
    ASSERT_TRUE(idle);

    const QString path = Path("out/MetaCafe/42.flv");
    ASSERT_TRUE(WaitOnWindow([&] { return !h_->prompts.shown.empty(); })); // after the report returned
    EXPECT_EQ(h_->prompts.shown[0].text, FillFormat(LoadText(32804), {path}));
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::Failed);
    EXPECT_EQ(Model().Task(0)->location, path);
    EXPECT_EQ(h_->StatusCell(0), LoadText(33302));
    Q_EMIT List().ListView()->rowDoubleClicked(0);
    EXPECT_EQ(played.count(), 0);
    EXPECT_FALSE(List().CanStripStart());
}

TEST_F(TaskListTest, AHistoryHeldByAnotherProgramHoldsTheWindowASecondAndIsReported) {
    QProcess holder; // the sqlite3 shell keeps the history locked until told
    holder.start("sqlite3", {Path("history.db")});
    ASSERT_TRUE(holder.waitForStarted());
    holder.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
    QByteArray said;
    while (!said.contains("locked") && holder.waitForReadyRead(5000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("locked"));

    List().AddUrlTask(Metacafe());
    List().StartAll();
    const bool idle = h_->WaitIdle(std::chrono::seconds(15)); // far below SQLite's usual minute
    holder.write("ROLLBACK;\n");
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(5000));
    ASSERT_TRUE(idle);
    const QString path = Path("out/MetaCafe/1000001.flv");
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::LocalFile);
    EXPECT_EQ(List().StatusText(), FillFormat(LoadText(33303), {path}));
    EXPECT_EQ(h_->HistoryRows(), 0);
}

TEST_F(TaskListTest, LeftoverQueueEntriesNeverDownloadARowTwiceAndARefusedStartSaysSo) {
    List().AddUrlTask(YouTube("zvSlowBody1"));
    List().AddUrlTask(Metacafe());
    // A batch of its own still runs (as one that would not stop winds down)
    // and an entry of an earlier batch is left in the queue.
    List().Worker()->Enqueue(YouTube("zvSlowBody1"), 0);
    ASSERT_TRUE(List().Worker()->Start());
    List().Worker()->Enqueue(Metacafe(), 1);
    List().StartAll();
    EXPECT_FALSE(List().IsDownloading());
    EXPECT_EQ(List().Worker()->QueuedCount(), 0);
    ASSERT_EQ(h_->prompts.shown.size(), 1u);
    EXPECT_EQ(h_->prompts.shown[0].text, LoadText(33306));
    EXPECT_EQ(List().StatusText(), LoadText(33306));
    List().Worker()->Stop();
    ASSERT_TRUE(WaitOnWindow([&] { return !List().Worker()->IsRunning(); }));

    // The next start queues each checked row once.
    List().Worker()->Enqueue(Metacafe(), 1); // a leftover again
    Model().setData(Model().index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    List().StartAll();
    ASSERT_TRUE(h_->WaitIdle());
    EXPECT_TRUE(QFileInfo::exists(Path("out/MetaCafe/1000001.flv")));
    EXPECT_FALSE(QFileInfo::exists(Path("out/MetaCafe/1000001_001.flv")));
    EXPECT_EQ(h_->HistoryRows(), 1);
}

// A media action that ffmpeg cannot do, and one the user stops: each row
// says what became of it, and the folder holds the original alone.
TEST_F(TaskListTest, AMediaActionThatFailsOrIsStoppedSaysSoAndLeavesTheOriginalAlone) {
    const QString clip = Path("clips/big.flv");
    ASSERT_TRUE(QDir().mkpath(Path("clips")));
    ASSERT_EQ(
        QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                     "testsrc=duration=60:rate=25:size=1280x720", "-c:v", "flv1", clip}),
        0);
    WriteFile("clips/junk.flv", QByteArray(4096, 'j'));
    DownloadTask source;
    source.state = DownloadTask::LocalFile;
    source.lengthMs = source.markOutMs = 60000;
    MediaAction toMp4;
    toMp4.format = MediaFormat::Mp4;

    source.location = Path("clips/junk.flv");
    ASSERT_TRUE(List().StartMediaAction(source, toMp4));
    ASSERT_TRUE(WaitOnWindow([&] { return !List().IsBusy(); }, std::chrono::seconds(30)));
    EXPECT_TRUE(h_->StatusCell(0).startsWith(LoadText(33332).section('%', 0, 0)))
        << h_->StatusCell(0).toStdString();
    EXPECT_EQ(Model().Task(0)->state, DownloadTask::Failed);

    source.location = clip;
    ASSERT_TRUE(List().StartMediaAction(source, toMp4));
    ASSERT_TRUE(List().CanStop());
    ASSERT_TRUE(WaitOnWindow([&] { return Model().IsProgressOn(1); }, std::chrono::seconds(30)));
    List().Stop();
    ASSERT_TRUE(WaitOnWindow([&] { return !List().IsBusy(); }, std::chrono::seconds(30)));
    EXPECT_EQ(h_->StatusCell(1), LoadText(33333));
    EXPECT_EQ(QDir(Path("clips")).entryList(QDir::Files), (QStringList{"big.flv", "junk.flv"}));
}

// A conversion after each download: the new file is a row of its own, and
// the download's row keeps the original it was made from.
TEST_F(TaskListTest, AConversionAfterEachDownloadIsARowOfItsOwnBesideTheKeptOriginal) {
    h_->settings.AfterDownload = 1; // MP3
    h_->settings.KeepOriginal = 1;
    List().ApplyWorkerSettings();
    List().AddUrlTask(Metacafe());
    List().StartAll();
    ASSERT_TRUE(WaitOnWindow([&] { return Rows() == 2 && !List().IsBusy(); }, std::chrono::seconds(60)))
        << h_->StatusCell(0).toStdString();
    const QString original = Model().Task(0)->location;
    const QString converted = Model().Task(1)->location;
    EXPECT_TRUE(original.endsWith(".flv")) << original.toStdString();
    EXPECT_EQ(converted, original.chopped(4) + ".mp3");
    EXPECT_EQ(Model().Task(1)->state, DownloadTask::LocalFile);
    EXPECT_TRUE(QFileInfo::exists(original));
    EXPECT_TRUE(QFileInfo::exists(converted));
}
