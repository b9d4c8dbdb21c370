// The preview panel with the real mplayer on a real X display (its own
// Xvfb, xcb platform): a 60-second test picture made by ffmpeg, the slave
// commands recorded as they are written, and the main window playing a file
// in its preview saved as a picture.
#include "app/MainWindowFixture.h"
#include "app/preview/CPreviewPanel.h"
#include "app/preview/CPreviewSlider.h"
#include "app/preview/PreviewButtonBar.h"
#include "app/preview/VideoRendererWindow.h"
#include "app/tasklist/TaskListText.h"
#include "base/CommandIds.h"
#include "mediatools/ScriptTool.h"
#include "mediatools/ToolFolders.h"
#include "support/XvfbDisplay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QWindow>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);

// One minute of ffmpeg's test picture, made once per run.
QString SixtySecondFile() {
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/testsrc60.avi");
    if (!QFile::exists(path))
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-v", "error", "-y", "-f", "lavfi", "-i",
                           "testsrc=size=320x240:rate=10:duration=60", "-c:v", "mpeg4", "-q:v", "4", path});
    return path;
}

DownloadTask LocalTask(int markIn, int markOut) {
    DownloadTask task;
    task.location = SixtySecondFile();
    task.lengthMs = 60000;
    task.markInMs = markIn;
    task.markOutMs = markOut;
    task.state = DownloadTask::LocalFile;
    return task;
}

// The buttons 0 to 6 that are enabled, as a string of indexes ("0123").
QString EnabledButtons(const CPreviewPanel& panel) {
    QString out;
    for (int i = 0; i < PreviewButtonBar::kButtonCount; ++i)
        if (panel.Buttons()->IsButtonEnabled(i))
            out += QString::number(i);
    return out;
}

// Distinct colours inside `rect` of what the X server shows of `window`
// (mplayer draws past Qt, so only the server's picture has its frames).
int DistinctColours(QWidget& window, QRect rect) {
    const QImage image = window.screen()->grabWindow(window.winId()).toImage().copy(rect);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return colours.size();
}
} // namespace

class PreviewPanelE2E : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        TestApp();
        ASSERT_FALSE(SixtySecondFile().isEmpty());
        ASSERT_TRUE(QFileInfo(SixtySecondFile()).size() > 0);
        ASSERT_TRUE(bundle_.Load(ResourceBundle::DefaultPath()));
        panel_ = std::make_unique<CPreviewPanel>(bundle_, settings_);
        panel_->resize(CPreviewPanel::kPreferredWidth, CPreviewPanel::kPreferredHeight);
        panel_->commandSent = [this](const QByteArray& command) {
            if (command != "get_percent_pos\n")
                sent_ << command;
        };
        panel_->show();
        ASSERT_TRUE(
            WaitForGui([&] { return panel_->windowHandle() && panel_->windowHandle()->isExposed(); }));
    }
    void TearDown() override {
        panel_.reset();
        SetMPlayerPathOverride(QString());
        TempDirTest::TearDown();
    }

    void PlayAndWaitForAnswers(DownloadTask& task) {
        panel_->ShowTask(&task);
        panel_->Play(1);
        ASSERT_EQ(panel_->State(), CPreviewPanel::Playing);
        // An answer to "get_percent_pos" has moved the bar to the range start.
        ASSERT_TRUE(WaitForGui([&] {
            return panel_->Slider()->Position() >= task.markInMs * 100 / 60000 &&
                   panel_->Slider()->Position() > 0;
        }));
    }
    void Press(int button) { QTest::mouseClick(panel_->Buttons()->Button(button), Qt::LeftButton); }

    AppSettings settings_; // video output "x11", as a fresh installation has it
    ResourceBundle bundle_;
    std::unique_ptr<CPreviewPanel> panel_;
    QList<QByteArray> sent_;
};

TEST_F(PreviewPanelE2E, RangeIsDrawnAndPlaybackStartsAtItsStart) {
    DownloadTask task = LocalTask(10000, 20000);
    panel_->ShowTask(&task);
    CPreviewSlider& bar = *panel_->Slider();
    const QImage drawn = bar.grab().toImage();
    const int w = bar.width();
    // Orange between one sixth and one third of the width (the thumb sits
    // on the range start), not outside it.
    const auto isRange = [&](int x) {
        return qRed(drawn.pixel(x, 7)) > 180 && qBlue(drawn.pixel(x, 7)) < 120;
    };
    EXPECT_TRUE(isRange(w / 6 + 12) && isRange(w / 4) && isRange(w / 3 - 2));
    EXPECT_FALSE(isRange(w / 6 - 4) || isRange(w / 3 + 4) || isRange(w * 2 / 3));

    PlayAndWaitForAnswers(task);
    ASSERT_FALSE(sent_.isEmpty());
    EXPECT_EQ(sent_.first(), QByteArray("seek 10.00 2\n"));
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("013456"));
    EXPECT_TRUE(panel_->VideoWindow()->isVisible());
    EXPECT_EQ(panel_->VideoWindow()->size(), QSize(320, 240));
}

TEST_F(PreviewPanelE2E, MarksAndTheBarWhilePausedAndPlaying) {
    DownloadTask task = LocalTask(10000, 20000);
    int marksChanged = 0;
    QObject::connect(panel_.get(), &CPreviewPanel::marksChanged, [&] { ++marksChanged; });
    PlayAndWaitForAnswers(task);

    Press(CPreviewPanel::PauseButton);
    ASSERT_EQ(panel_->State(), CPreviewPanel::Paused);
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("012456"));
    sent_.clear();
    // A click on the bar moves the thumb; the go-to buttons go to the mark,
    // then to the end of the file. Paused, nothing is sent to mplayer.
    CPreviewSlider& bar = *panel_->Slider();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() / 2, 7));
    EXPECT_EQ(bar.Position(), 50);
    const struct {
        int button;
        int position;
    } steps[] = {{CPreviewPanel::GoToIn, 16},
                 {CPreviewPanel::GoToIn, 0},
                 {CPreviewPanel::GoToOut, 33},
                 {CPreviewPanel::GoToOut, 100}};
    for (const auto& step : steps) {
        Press(step.button);
        EXPECT_EQ(bar.Position(), step.position) << "button " << step.button;
    }
    EXPECT_TRUE(sent_.isEmpty()) << sent_.value(0).toStdString();

    // Resumed, setting the range end jumps back to the range start.
    Press(CPreviewPanel::PlayButton);
    ASSERT_EQ(panel_->State(), CPreviewPanel::Playing);
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("013456"));
    ASSERT_TRUE(WaitForGui([&] { return bar.Position() > 16 && bar.Position() < 100; }));
    sent_.clear();
    const int at = bar.Position();
    Press(CPreviewPanel::MarkOutHere);
    EXPECT_EQ(sent_, QList<QByteArray>{"seek 9.60 2\n"}); // whole percents: 16 % of a minute
    EXPECT_EQ(task.markOutMs, 60000 / 100 * at);
    EXPECT_EQ(task.markInMs, 10000);
    EXPECT_EQ(marksChanged, 1);
}

TEST_F(PreviewPanelE2E, ShowingAnotherTaskAndTheEndOfTheFileStop) {
    DownloadTask first = LocalTask(10000, 20000);
    DownloadTask other = LocalTask(0, 60000);
    PlayAndWaitForAnswers(first);
    const qint64 pid = panel_->PlayerProcessId();
    ASSERT_TRUE(ProcessExists(pid));
    panel_->ShowTask(&other);
    EXPECT_EQ(panel_->State(), CPreviewPanel::Stopped);
    EXPECT_FALSE(ProcessExists(pid));
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("01256"));

    // A range start one second before the end: the poll notices the end.
    DownloadTask nearEnd = LocalTask(59000, 60000);
    panel_->ShowTask(&nearEnd);
    panel_->Play(1);
    ASSERT_EQ(panel_->State(), CPreviewPanel::Playing);
    const qint64 last = panel_->PlayerProcessId();
    ASSERT_TRUE(
        WaitForGui([&] { return panel_->State() == CPreviewPanel::Stopped; }, std::chrono::seconds(20)));
    EXPECT_FALSE(ProcessExists(last));
    EXPECT_FALSE(panel_->VideoWindow()->isVisible());
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("01256"));
}

TEST_F(PreviewPanelE2E, ButtonsFollowTheShownTask) {
    DownloadTask empty = LocalTask(5000, 5000), whole = LocalTask(0, 60000), pending = LocalTask(0, 60000);
    pending.state = DownloadTask::Pending;
    const struct {
        DownloadTask* task;
        const char* enabled;
    } cases[] = {{&empty, "2"}, {&whole, "01256"}, {&pending, ""}, {nullptr, ""}};
    for (const auto& c : cases) {
        panel_->ShowTask(c.task);
        EXPECT_EQ(EnabledButtons(*panel_), QLatin1String(c.enabled)) << c.enabled;
    }
    // A batch disables everything; its end enables the shown task again.
    panel_->ShowTask(&whole);
    panel_->EnableControls(0);
    EXPECT_EQ(EnabledButtons(*panel_), QString());
    EXPECT_FALSE(panel_->Slider()->IsBarEnabled());
    panel_->EnableControls(1);
    EXPECT_EQ(EnabledButtons(*panel_), QStringLiteral("01256"));
    EXPECT_TRUE(panel_->Slider()->IsBarEnabled());
}

TEST_F(PreviewPanelE2E, PlayerThatIgnoresTheInterruptIsKilledWithinTheBound) {
    const QString ready = Path("trap-set");
    SetMPlayerPathOverride(WriteScriptTool(Path("stuck-mplayer"), "trap '' INT\ntouch '" + ready.toUtf8() +
                                                                      "'\nwhile :; do sleep 1; done"));
    DownloadTask task = LocalTask(0, 60000);
    panel_->ShowTask(&task);
    panel_->Play(1);
    ASSERT_EQ(panel_->State(), CPreviewPanel::Playing);
    const qint64 pid = panel_->PlayerProcessId();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(ready); })); // it ignores SIGINT from now on
    QElapsedTimer clock;
    clock.start();
    panel_->StopPlayback();
    EXPECT_GE(clock.elapsed(), CPreviewPanel::kStopWaitMs - 100);
    EXPECT_LT(clock.elapsed(), CPreviewPanel::kStopWaitMs + 2000);
    EXPECT_FALSE(ProcessExists(pid));
    EXPECT_EQ(panel_->State(), CPreviewPanel::Stopped);
}

// ---- in the main window ----

class PreviewMainWindowE2E : public MainWindowFixture {
  protected:
    void DoubleClickRow(int row) {
        auto* view = qobject_cast<QAbstractItemView*>(window_->TaskList()->View());
        const QPoint at = view->visualRect(Rows()->index(row, 1)).center();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    void SelectRow(int row) { qobject_cast<QTableView*>(window_->TaskList()->View())->selectRow(row); }
    static bool SaveServerPicture(QWidget& window, const QString& name) {
        const QString folder = qEnvironmentVariable("ZORV_TEST_BINARY_DIR", QDir::currentPath()) +
                               QStringLiteral("/screenshots");
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        return window.screen()->grabWindow(window.winId()).save(path) && QFileInfo(path).size() > 0;
    }
};

TEST_F(PreviewMainWindowE2E, SelectedFilePlaysInTheWindowAndNoPlayerOutlivesIt) {
    CTrevaloDlg& window = Open();
    CPreviewPanel& preview = *window.Preview();
    ASSERT_TRUE(window.TaskList()->AddLocalFile(SixtySecondFile()));
    SelectRow(0);
    DownloadTask* task = window.TaskList()->Model()->Task(0);
    ASSERT_EQ(preview.Task(), task);
    EXPECT_EQ(EnabledButtons(preview), QStringLiteral("01256"));

    DoubleClickRow(0);
    ASSERT_EQ(preview.State(), CPreviewPanel::Playing);
    EXPECT_TRUE(window.previewPlaying());
    // Playing, a click on the bar seeks there.
    CPreviewSlider& bar = *preview.Slider();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() * 3 / 5, 7));
    ASSERT_TRUE(WaitForGui([&] { return bar.Position() >= 61; }));

    // The range end set here is the new duration of the row.
    const QString before = Rows()->index(0, 2).data().toString();
    QTest::mouseClick(preview.Buttons()->Button(CPreviewPanel::MarkOutHere), Qt::LeftButton);
    ASSERT_GE(task->markOutMs, 36600);
    ASSERT_LT(task->markOutMs, 60000);
    EXPECT_NE(Rows()->index(0, 2).data().toString(), before);
    // Under a minute: "00:00:SS", whole seconds of the marked range.
    EXPECT_EQ(Rows()->index(0, 2).data().toString(),
              QStringLiteral("00:00:%1").arg((task->markOutMs - task->markInMs) / 1000, 2, 10, QLatin1Char('0')));

    ASSERT_TRUE(WaitForGui([&] { return bar.Position() >= 3 && bar.Position() < 60; }));
    const QRect video(preview.VideoWindow()->mapTo(&window, QPoint(0, 0)), preview.VideoWindow()->size());
    ASSERT_TRUE(WaitForGui([&] { return DistinctColours(window, video) >= 8; })) << "no frame drawn";
    EXPECT_TRUE(SaveServerPicture(window, QStringLiteral("preview.png")));

    const qint64 pid = preview.PlayerProcessId();
    ASSERT_TRUE(ProcessExists(pid));
    ASSERT_TRUE(window.ExecuteCommand(32772)); // exit
    window_.reset();
    EXPECT_FALSE(ProcessExists(pid));
}

TEST_F(PreviewMainWindowE2E, BatchDisablesThePreviewAndRemovalClearsIt) {
    CTrevaloDlg& window = Open(/*connected=*/true);
    CPreviewPanel& preview = *window.Preview();
    ASSERT_TRUE(window.TaskList()->AddLocalFile(SixtySecondFile()));
    SelectRow(0);
    DoubleClickRow(0);
    ASSERT_EQ(preview.State(), CPreviewPanel::Playing);
    const qint64 pid = preview.PlayerProcessId();

    window.TaskList()->AddUrlTask(Address(QStringLiteral("zvNormal001")));
    ASSERT_TRUE(window.ExecuteCommand(CommandId::StartAll));
    EXPECT_EQ(preview.State(), CPreviewPanel::Stopped);
    EXPECT_FALSE(ProcessExists(pid));
    EXPECT_EQ(EnabledButtons(preview), QString());
    ASSERT_TRUE(WaitForGui([&] { return !window.TaskList()->IsDownloading(); }, std::chrono::seconds(90)));
    EXPECT_EQ(EnabledButtons(preview), QStringLiteral("01256"));

    SelectRow(0);
    ASSERT_EQ(preview.Task(), window.TaskList()->Model()->Task(0));
    ASSERT_TRUE(window.ExecuteCommand(CommandId::RemoveSelected));
    EXPECT_EQ(preview.Task(), nullptr);
    EXPECT_EQ(EnabledButtons(preview), QString());
}
