// The preview panel where the window system has no X windows (the offscreen
// platform stands in for a Wayland session): mplayer is handed no window id
// and plays in a window of its own on the X server there is; without one it
// is left to pick a video output itself, and the panel is not held up.
#include "app/preview/CPreviewPanel.h"
#include "app/preview/CPreviewSlider.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "history/DownloadTask.h"
#include "support/TempDirTest.h"
#include "support/XvfbDisplay.h"
#include "support/gui/GuiTestSupport.h"
#include "ui/ResourceBundle.h"

#include <QProcess>

class PreviewWindowTest : public TempDirTest {};

TEST_F(PreviewWindowTest, WithoutXWindowsThePlayerGetsNoWindowIdAndPlaysInItsOwn) {
    TestApp();
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QString file = Path("clip.avi");
    ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"),
                                {"-v", "error", "-y", "-f", "lavfi", "-i",
                                 "testsrc=size=320x240:rate=10:duration=30", "-c:v", "mpeg4", file}),
              0);
    XvfbDisplay xServer;
    QString error;
    ASSERT_TRUE(xServer.Start(&error)) << error.toStdString();
    ResourceBundle bundle;
    ASSERT_TRUE(bundle.Load(ResourceBundle::DefaultPath()));
    AppSettings settings; // video output "x11", as a fresh installation has it
    const struct {
        bool xServer;
        bool plays;
        const char* videoOut; // in the command line, or null for none
    } cases[] = {{true, true, "-vo x11"}, {false, false, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xServer);
        if (c.xServer)
            qputenv("DISPLAY", xServer.Name().toUtf8());
        else
            qunsetenv("DISPLAY");
        const QString log = Path(c.xServer ? "x.log" : "none.log");
        InitLog(log);
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
        if (c.plays) // its answers move the bar
            EXPECT_TRUE(WaitForGui([&] { return panel.Slider()->Position() > 0; }));
        else // it ends for want of a video output, and the panel sees it
            EXPECT_TRUE(WaitForGui([&] { return panel.State() == CPreviewPanel::Stopped; }));
        panel.StopPlayback();
        ShutdownLog();
        const QString lines = QString::fromUtf8(ReadFile(log));
        const qsizetype at = lines.indexOf(QLatin1String(" -slave "));
        ASSERT_GE(at, 0) << lines.toStdString();
        const QString commandLine = lines.mid(at, lines.indexOf(QLatin1Char('\n'), at) - at);
        EXPECT_FALSE(commandLine.contains(QLatin1String("-wid"))) << commandLine.toStdString();
        EXPECT_EQ(commandLine.contains(QLatin1String(" -vo ")), c.videoOut != nullptr)
            << commandLine.toStdString();
        if (c.videoOut) {
            EXPECT_TRUE(commandLine.contains(QLatin1String(c.videoOut))) << commandLine.toStdString();
        }
    }
    qunsetenv("DISPLAY");
}
