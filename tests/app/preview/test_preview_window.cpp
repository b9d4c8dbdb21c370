// The preview panel where the window system has no X windows (the offscreen
// platform stands in for a Wayland session): the real mplayer plays the
// file in a window of its own instead of being handed a window id.
#include "app/preview/CPreviewPanel.h"
#include "app/preview/CPreviewSlider.h"
#include "base/AppSettings.h"
#include "history/DownloadTask.h"
#include "support/TempDirTest.h"
#include "support/gui/GuiTestSupport.h"
#include "ui/ResourceBundle.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

class PreviewWindowTest : public TempDirTest {};

TEST_F(PreviewWindowTest, WithoutXWindowsThePlayerGetsNoWindowIdAndStillPlays) {
    TestApp();
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QString file = Path("clip.avi");
    ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"),
                                {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=10:duration=30",
                                 "-c:v", "mpeg4", file}),
              0);
    ResourceBundle bundle;
    ASSERT_TRUE(bundle.Load(ResourceBundle::DefaultPath()));
    AppSettings settings;
    settings.MPLAYER_VO = QStringLiteral("null"); // no X server is needed for this output
    CPreviewPanel panel(bundle, settings);
    panel.resize(CPreviewPanel::kPreferredWidth, CPreviewPanel::kPreferredHeight);
    panel.show();
    DownloadTask task;
    task.location = file;
    task.lengthMs = task.markOutMs = 30000;
    task.state = DownloadTask::LocalFile;
    panel.ShowTask(&task);
    panel.Play(1);
    ASSERT_EQ(panel.State(), CPreviewPanel::Playing);
    ASSERT_GT(panel.PlayerProcessId(), 0);
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(panel.PlayerProcessId()));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    const QList<QByteArray> arguments = cmdline.readAll().split('\0');
    EXPECT_FALSE(arguments.contains("-wid"));
    EXPECT_TRUE(arguments.contains(QFile::encodeName(file)));
    // Its answers move the bar: it plays.
    EXPECT_TRUE(WaitForGui([&] { return panel.Slider()->Position() > 0; }));
    panel.StopPlayback();
    EXPECT_EQ(panel.PlayerProcessId(), 0);
}
