// History at scale: 100 000 rows across the four site labels. Prints the
// insert rate, the time of CountHistory per label and of QueryHistory for a
// 25 000-row label, and the whole `zorv-get --history YOUTUBE` process, each
// against the sqlite3 shell running the same statement on the same file in
// the same run (median of several runs each).
//
// Usage: history_scale [ZORV_GET...] - the zorv-get beside this program is
// measured, then every other zorv-get given (an older build, for example).
#include "base/AppFolders.h"
#include "history/HistoryDb.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One whole process, its output thrown away as a list would not keep it.
void RunProcess(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        std::fprintf(stderr, "%s failed: %s\n", program.toUtf8().constData(),
                     arguments.join(' ').toUtf8().constData());
}

void RunShell(const QString& shell, const QString& dbPath, const QString& sql) {
    RunProcess(shell, {dbPath, sql});
}

class CountingReceiver : public HistoryRowReceiver {
  public:
    void AddHistoryRow(DownloadTask task) override { rows.push_back(std::move(task)); }
    std::vector<DownloadTask> rows;
};

DownloadTask Task(int i) {
    DownloadTask task;
    task.location =
        QStringLiteral("/home/user/Zorv YouTube Downloader/YouTube/video title number %1.flv").arg(i);
    task.pageUrl = QStringLiteral("http://www.youtube.com/watch?v=id%1").arg(i);
    task.site = i % 4;
    task.lengthMs = task.markOutMs = 60000 + i;
    task.videoFormat = QStringLiteral("flv1");
    task.videoBitrate = 512;
    task.fps = 29.97;
    task.width = 640;
    task.height = 480;
    task.hasAudio = 1;
    task.audioCodec = QStringLiteral("mp3");
    task.audioBitrate = 64000;
    task.audioRate = 44100;
    task.audioChannels = 2;
    return task;
}

} // namespace

int main(int argc, char** argv) {
    constexpr int kRows = 100000;
    constexpr int kSingleCommits = 1000;
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        std::fprintf(stderr, "the sqlite3 shell is needed as the reference\n");
        return 1;
    }
    QTemporaryDir dir;
    // Where zorv-get looks for it with XDG_DATA_HOME pointed at dir/data.
    const QString dataFolder = dir.filePath(QStringLiteral("data/Zorv YouTube Downloader"));
    QDir().mkpath(dataFolder);
    QDir().mkpath(dir.filePath(QStringLiteral("config")));
    const QString dbPath = dataFolder + QStringLiteral("/history.db");
    std::unique_ptr<SqliteConnection> db;
    if (!OpenHistoryDB(db, dbPath))
        return 1;

    // A finished download commits its own row; bulk loading may share one
    // transaction.
    auto start = Clock::now();
    for (int i = 0; i < kSingleCommits; ++i)
        InsertHistory(db.get(), Task(i));
    const double singleS = std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    db->Execute("BEGIN;");
    for (int i = kSingleCommits; i < kRows; ++i)
        InsertHistory(db.get(), Task(i));
    db->Execute("COMMIT;");
    const double bulkS = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("insert, one commit per row : %8.0f rows/s (%d rows)\n", kSingleCommits / singleS,
                kSingleCommits);
    std::printf("insert, one transaction    : %8.0f rows/s (%d rows)\n", (kRows - kSingleCommits) / bulkS,
                kRows - kSingleCommits);
    std::printf("rows in all: %d\n\n", CountHistory(db.get()));

    const int runs = 7;
    const double shellStartMs = MedianMs(runs, [&] { RunShell(shell, dbPath, QStringLiteral("SELECT 1;")); });
    std::printf("sqlite3 shell start-up alone: %.2f ms\n", shellStartMs);
    for (const char* label : {"YOUTUBE", "GOOGLE", "METACAFE", "NICOVIDEO"}) {
        int count = 0;
        const double ours =
            MedianMs(runs, [&] { count = CountHistory(db.get(), QString::fromLatin1(label)); });
        const double ref = MedianMs(runs, [&] {
            RunShell(shell, dbPath,
                     QStringLiteral("SELECT COUNT(*) FROM history WHERE profile_name = '%1';").arg(label));
        });
        std::printf("CountHistory %-9s (%d rows): %7.2f ms   shell %7.2f ms   ratio %.2fx\n", label, count,
                    ours, ref, ours / ref);
    }

    CountingReceiver pane;
    const double ours = MedianMs(runs, [&] {
        pane.rows.clear();
        QueryHistory(db.get(), QStringLiteral("YOUTUBE"), pane);
    });
    const double ref = MedianMs(runs, [&] {
        RunShell(
            shell, dbPath,
            QStringLiteral("SELECT src_file_name, dest_file_name, duration, vcodec, vsize, convert_date FROM "
                           "history WHERE profile_name = 'YOUTUBE';"));
    });
    std::printf(
        "QueryHistory YOUTUBE   (%zu rows): %7.2f ms   shell %7.2f ms   ratio %.2fx (target <= 2.00x)\n",
        pane.rows.size(), ours, ref, ours / ref);
    // The shell pays for its own start; without it the comparison is stricter.
    std::printf("QueryHistory against the shell without its start-up: ratio %.2fx\n\n",
                ours / std::max(0.01, ref - shellStartMs));

    // What a user runs: the whole program, start-up, listing and output.
    db->Close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    QStringList programs{GetAppFolder() + QStringLiteral("/zorv-get")};
    for (int i = 1; i < argc; ++i)
        programs << QString::fromLocal8Bit(argv[i]);
    // Each program alternates with the shell, run by run, so a change in the
    // machine's load between the two measurements cannot tip the ratio.
    const QString listSql =
        QStringLiteral("SELECT src_file_name, dest_file_name, duration, vcodec, vsize, convert_date FROM "
                       "history WHERE profile_name = 'YOUTUBE';");
    for (const QString& program : programs) {
        std::vector<double> wholeTimes, shellTimes;
        for (int i = 0; i < 2 * runs + 1; ++i) {
            shellTimes.push_back(MedianMs(1, [&] { RunShell(shell, dbPath, listSql); }));
            wholeTimes.push_back(MedianMs(1, [&] {
                RunProcess(program, {QStringLiteral("--history"), QStringLiteral("YOUTUBE")}, env);
            }));
        }
        std::sort(wholeTimes.begin(), wholeTimes.end());
        std::sort(shellTimes.begin(), shellTimes.end());
        const double whole = wholeTimes[wholeTimes.size() / 2];
        const double shellMs = shellTimes[shellTimes.size() / 2];
        std::printf(
            "zorv-get --history YOUTUBE (%zu rows): %7.2f ms   shell %7.2f ms   ratio %.2fx (target <= "
            "1.50x)  [%s]\n",
            pane.rows.size(), whole, shellMs, whole / shellMs, program.toUtf8().constData());
    }
    return 0;
}
