// A download never holds up the window: while a download is held mid-body
// by its server (as a long trickling one is most of the time), calls sent to
// the window's thread from outside are answered, progress is shown and the
// download can be stopped. How fast the window answers is measured by
// bench/window/tasklist_latency, against the same window idle.

#include "app/tasklist/TaskListHarness.h"

#include "support/LoopbackServer.h"
#include "support/TempDirTest.h"
#include "support/WindowProbe.h"

namespace {
QByteArray WatchPage(const QString& media) {
    return QStringLiteral("<html><head><title>Trickle</title></head><body>\n"
                          "<embed flashvars=\"a=1&mediaURL=%1&postRollContentURL=x\">\n</body></html>")
        .arg(media)
        .toUtf8();
}
} // namespace

class TaskListLatencyTest : public TempDirTest {};

TEST_F(TaskListLatencyTest, AMinuteLongDownloadNeverHoldsUpTheWindow) {
    LoopbackServer server;
    server.ServeBody("/watch/77/trickle/", WatchPage("http%3A%2F%2Fv.mccont.com%2Fitem%2Ftrickle.flv"));
    // Half the body at once; the rest waits until the test is done.
    constexpr qint64 kTotal = 4 * 1024 * 1024;
    server.ServeHeld("/item/trickle.flv", kTotal, kTotal / 2);
    qputenv("ZORV_CONNECT_TO",
            (server.ConnectTo("www.metacafe.com") + ',' + server.ConnectTo("v.mccont.com")).toUtf8());
    {
        TaskListHarness h(Path());
        h.List().AddUrlTask(QStringLiteral("http://www.metacafe.com/watch/77/trickle/"));
        int progress = 0;
        QObject::connect(h.List().Model(), &TaskListModel::dataChanged,
                         [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                             progress += roles.contains(TaskListModel::ProgressRole);
                         });
        const auto perMille = [&] { return h.Model().index(0, 6).data(TaskListModel::ProgressRole).toInt(); };
        h.List().StartAll();
        ASSERT_TRUE(WaitOnWindow([&] { return h.Model().IsProgressOn(0) && perMille() > 0; }));
        {
            // The body is held now: the window still answers, call after call.
            WindowProbe probe(&h.List());
            EXPECT_TRUE(WaitOnWindow([&] { return probe.Answered() >= 40; }));
            EXPECT_GT(probe.Answered(), 0);
        }
        EXPECT_TRUE(h.List().IsDownloading());
        EXPECT_TRUE(h.Model().IsProgressOn(0));
        EXPECT_GT(progress, 0);
        EXPECT_LE(perMille(), 500) << "more shown than the server sent";
        h.List().Stop();
        EXPECT_TRUE(WaitOnWindow([&] {
            return h.StatusCell(0) == QStringLiteral("Download stopped") && !h.List().IsDownloading();
        }));
        server.ReleaseHeld();
    }
    qunsetenv("ZORV_CONNECT_TO");
}
