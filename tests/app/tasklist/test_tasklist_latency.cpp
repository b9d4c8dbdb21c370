// A download never holds up the window: while a minute-long trickling
// download runs, events sent to the window's thread from outside are each
// answered within 200 ms.

#include "app/tasklist/TaskListHarness.h"

#include "retrieval/DownloadWorker.h"
#include "support/LoopbackServer.h"
#include "support/TempDirTest.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {
QByteArray WatchPage(const QString& media) {
    return QStringLiteral("<html><head><title>Trickle</title></head><body>\n"
                          "<embed flashvars=\"a=1&mediaURL=%1&postRollContentURL=x\">\n</body></html>")
        .arg(media)
        .toUtf8();
}

// Sends a call to the window's thread every 25 ms and times its answer.
class LatencyProbe {
  public:
    explicit LatencyProbe(QObject* window) : window_(window) {
        thread_ = std::thread([this] { Run(); });
    }
    ~LatencyProbe() {
        stop_ = true;
        thread_.join();
    }
    std::chrono::milliseconds Max() const { return std::chrono::milliseconds(maxMs_.load()); }
    int Answered() const { return answered_.load(); }

  private:
    void Run() {
        while (!stop_) {
            const auto sent = std::chrono::steady_clock::now();
            bool done = false;
            QMetaObject::invokeMethod(
                window_,
                [this, &done] {
                    std::lock_guard lock(mutex_);
                    done = true;
                    cv_.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock lock(mutex_);
            // The answer is awaited whatever it takes: `done` lives here.
            cv_.wait(lock, [&] { return done; });
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - sent);
            maxMs_ = std::max<long>(maxMs_, took.count());
            ++answered_;
            lock.unlock();
            std::this_thread::sleep_for(25ms);
        }
    }

    QObject* window_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::atomic<bool> stop_{false};
    std::atomic<long> maxMs_{0};
    std::atomic<int> answered_{0};
};
} // namespace

class TaskListLatencyTest : public TempDirTest {};

TEST_F(TaskListLatencyTest, AMinuteLongDownloadNeverHoldsUpTheWindow) {
    LoopbackServer server;
    server.ServeBody("/watch/77/trickle/", WatchPage("http%3A%2F%2Fv.mccont.com%2Fitem%2Ftrickle.flv"));
    // About 100 KB/s: far from done after a minute.
    server.ServeSlow("/item/trickle.flv", 12 * 1000 * 1000, 1024, 10);
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
        h.List().StartAll();
        ASSERT_TRUE(WaitOnWindow([&] { return h.Model().IsProgressOn(0); }));

        QElapsedTimer clock;
        clock.start();
        {
            LatencyProbe probe(&h.List());
            QEventLoop loop;
            QTimer::singleShot(60s, &loop, &QEventLoop::quit);
            loop.exec();
            ASSERT_TRUE(h.List().IsDownloading());
            ASSERT_TRUE(h.Model().IsProgressOn(0));
            const int answered = probe.Answered();
            const auto worst = probe.Max();
            std::printf("window answered %d calls during %lld ms of download, %d progress updates; "
                        "slowest answer %lld ms\n",
                        answered, static_cast<long long>(clock.elapsed()), progress,
                        static_cast<long long>(worst.count()));
            EXPECT_GT(answered, 1000);
            EXPECT_GT(progress, 300);
            EXPECT_LT(worst, 200ms);
        }
        h.List().Stop();
        EXPECT_TRUE(WaitOnWindow([&] {
            return h.StatusCell(0) == DownloadWorker::StatusText(DownloadStatus::Stopped) &&
                   !h.List().IsDownloading();
        }));
    }
    qunsetenv("ZORV_CONNECT_TO");
}
