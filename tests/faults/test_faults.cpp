// The fault matrix: zorv-get downloads a two-clip batch from the site
// simulator while the first clip's media meets one fault, each scenario
// several times with random cut points. Whatever happens, a final file is
// byte for byte the served one, no temporary file outlives a batch that ended
// normally, the failure is named, and the next clip still downloads.
//
// ZORV_FAULT_RUNS sets the runs per scenario (default 2), ZORV_FAULT_SEED the
// random cut points (default: a new seed, printed).

#include "support/SimulatorSuite.h"
#include "support/ZorvGetRunner.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <random>

#include <sys/resource.h>

namespace {
const QString kFirst = "http://www.metacafe.com/watch/1000001/sample_clip/";
const QString kNext = "http://www.nicovideo.jp/watch/sm1002"; // a smaller file (mp4)
const QString kFirstKey = "1000001";                          // in the first clip's media path only

enum class Mode {
    Plain,     // the batch runs to its end
    NoCa,      // the simulator's test authority is not trusted
    FileLimit, // writes past a random file size fail (RLIMIT_FSIZE)
    Stop,      // the user interrupts the trickle at a random point
    Kill,      // SIGKILL at a random point, then the batch runs again
};

struct Scenario {
    const char* name;
    QString fault; // "%1" and "%2": random cut points, the second after the first
    int retries;
    QString error; // the first clip's final line; empty when it must download
    Mode mode = Mode::Plain;
};

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

int Runs() {
    const int runs = qEnvironmentVariableIntValue("ZORV_FAULT_RUNS");
    return runs > 0 ? runs : 2;
}
} // namespace

class FaultMatrix : public SimulatorSuite {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        const QByteArray seedText = qgetenv("ZORV_FAULT_SEED");
        seed_ = seedText.isEmpty() ? std::random_device{}() : seedText.toUInt();
        random_.seed(seed_);
        std::printf("fault seed %u\n", seed_);
    }

    // The temporary files below `folder` (`temporary`), or the final ones.
    static QStringList Files(const QString& folder, bool temporary) {
        QStringList found;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(".qxt") == temporary)
                found << path;
        }
        return found;
    }

    // Counts the final files that differ from what the simulator served.
    int CorruptFiles(const QString& out) const {
        const QByteArray flv = Sha256(ReadFile(sim_->MediaPath("flv")));
        const QByteArray mp4 = Sha256(ReadFile(sim_->MediaPath("mp4")));
        int corrupt = 0;
        for (const QString& path : Files(out, false)) {
            const QByteArray sum = Sha256(ReadFile(path));
            const bool served = path.contains("/MetaCafe/") ? sum == flv : sum == mp4;
            if (!served) {
                ADD_FAILURE() << "corrupt final file " << path.toStdString();
                ++corrupt;
            }
        }
        return corrupt;
    }

    qint64 RandomBetween(qint64 low, qint64 high) {
        return std::uniform_int_distribution<qint64>(low, high)(random_);
    }

    unsigned seed_ = 0;
    std::mt19937 random_;
};

TEST_F(FaultMatrix, EveryFaultLeavesAWholeFileOrNoneAndTheNextClipDownloads) {
    const qint64 size = QFileInfo(sim_->MediaPath("flv")).size();
    const qint64 nextSize = QFileInfo(sim_->MediaPath("mp4")).size();
    ASSERT_GT(size, nextSize + 20000) << "the file-size limit needs a smaller next clip";
    const QString cannot = "error: can not connect to flv url, ";
    const std::vector<Scenario> scenarios = {
        {"body cut short", "cutat:%1", 1, ""},
        {"cut twice", "cutat:%1:%2", 2, ""},
        {"cut, retries used up", "cutat:%1", 0, "error: Network error, can not get FLV file"},
        {"reset before headers", "resetbefore", 1, ""},
        {"reset before headers, no retry", "resetbefore", 0, "error: Recv failure: Connection reset by peer"},
        {"reset mid-body", "resetat:%1", 1, ""},
        {"no Content-Length", "nolength", 1,
         "error: Can not download the FLV file, please check your network connection."},
        {"Content-Length: crap", "crap", 1, "error: Invalid Content-Length: value"},
        {"404", "404", 1, cannot + "404"},
        {"500 page", "500", 1, cannot + "500"},
        {"503 then 200", "503once", 1, ""},
        {"redirect loop", "loop", 0, cannot + "302"},
        {"relative media redirect", "relative", 0, cannot + "-1"},
        {"range ignored", "cutat:%1+norange", 1, ""},
        {"validator changed", "cutat:%1+newtag", 1, ""},
        {"DNS failure", "dns", 0, "error: Could not resolve host: media.zorv.invalid"},
        {"TLS certificate not trusted", "tls", 0, "", Mode::NoCa},
        {"full disk", "", 1, "error: Write file failed", Mode::FileLimit},
        {"trickle stopped by the user", "slow", 1, "", Mode::Stop},
        {"SIGKILL mid-file", "slow", 1, "", Mode::Kill},
    };

    int runs = 0, corrupt = 0, leftovers = 0;
    for (const Scenario& s : scenarios) {
        for (int run = 0; run < Runs(); ++run) {
            const qint64 cut = RandomBetween(1, size - 2);
            const qint64 secondCut = RandomBetween(cut + 1, size - 1);
            const QString fault = QString(s.fault)
                                      .replace("%1", QString::number(cut))
                                      .replace("%2", QString::number(secondCut));
            SCOPED_TRACE(std::string(s.name) + " run " + std::to_string(run) + " fault " +
                         fault.toStdString());
            const QString home = Path(QString("u%1").arg(runs));
            const QString out = home + "/out";
            ZorvGetRunner runner(home, *sim_);
            if (s.mode == Mode::NoCa)
                runner.SetEnvironment("ZORV_CA_BUNDLE", QString());
            sim_->ClearMediaRequests();
            sim_->SetMediaFault(fault.isEmpty() ? QString() : fault + "@" + kFirstKey);
            const QStringList args = {"-r", QString::number(s.retries), "-o", out, kFirst, kNext};
            ZorvGetRun result;
            if (s.mode == Mode::FileLimit) {
                // The child inherits the limit; this process writes no file meanwhile.
                rlimit saved{};
                ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
                rlimit limited = saved;
                limited.rlim_cur = rlim_t(RandomBetween(nextSize + 10000, size - 1));
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
                result = runner.Run(args);
                setrlimit(RLIMIT_FSIZE, &saved);
            } else if (s.mode == Mode::Stop || s.mode == Mode::Kill) {
                const int lines = int(RandomBetween(1, 4));
                result = runner.RunAndSignal(args, "% of", {s.mode == Mode::Stop ? SIGINT : SIGKILL}, lines);
            } else {
                result = runner.Run(args);
            }
            sim_->SetMediaFault(QString());
            ++runs;
            const std::string shown = result.out.toStdString() + result.err.toStdString();
            const QStringList lines = result.OutLines();
            const QString firstFile = out + "/MetaCafe/1000001.flv";
            const QString nextFile = out + "/NicoVideo/sm1002.mp4";

            if (s.mode == Mode::Stop) {
                EXPECT_EQ(result.exitCode, 1) << shown;
                EXPECT_LT(result.msAfterSignal, 2000);
                EXPECT_EQ(lines.mid(lines.size() - 2),
                          (QStringList{"stopped: " + kFirst, "not started, the batch was stopped: " + kNext}))
                    << shown;
                EXPECT_FALSE(QFile::exists(firstFile));
            } else if (s.mode == Mode::Kill) {
                EXPECT_EQ(result.exitCode, -1) << shown;
                // At most the temporary file; never a final one that is not whole.
                const QStringList temporary = Files(out, true);
                EXPECT_LE(temporary.size(), 1) << temporary.join(", ").toStdString();
                corrupt += CorruptFiles(out);
                // The batch again, to its end: both clips come whole under
                // their own names (the killed run's file is taken over).
                result = runner.Run({"-o", out, kFirst, kNext});
                EXPECT_EQ(result.exitCode, 0) << result.out.toStdString();
                EXPECT_TRUE(QFile::exists(firstFile));
                EXPECT_TRUE(QFile::exists(nextFile));
                EXPECT_EQ(Files(out, false).size(), 2);
                const QStringList left = Files(out, true);
                EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
                leftovers += int(left.size());
                corrupt += CorruptFiles(out);
                continue;
            } else if (s.error.isEmpty() && s.mode != Mode::NoCa) {
                EXPECT_EQ(result.exitCode, 0) << shown;
                EXPECT_TRUE(lines.value(lines.size() - 2).startsWith(firstFile + "  ")) << shown;
                EXPECT_TRUE(QFile::exists(firstFile));
            } else {
                EXPECT_EQ(result.exitCode, 1) << shown;
                if (s.mode == Mode::NoCa)
                    EXPECT_TRUE(lines.value(lines.size() - 2).startsWith("error: SSL certificate problem"))
                        << shown;
                else
                    EXPECT_EQ(lines.value(lines.size() - 2), s.error) << shown;
                EXPECT_FALSE(QFile::exists(firstFile));
            }
            if (s.mode != Mode::Stop) {
                EXPECT_TRUE(lines.value(lines.size() - 1).startsWith(nextFile + "  ")) << shown;
                EXPECT_TRUE(QFile::exists(nextFile));
            }
            const QStringList left = Files(out, true);
            EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
            leftovers += int(left.size());
            corrupt += CorruptFiles(out);
        }
    }
    const QString summary = QString("%1 runs, %2 corrupt final files, %3 leftover temp files")
                                .arg(runs)
                                .arg(corrupt)
                                .arg(leftovers);
    std::printf("%s\n", summary.toUtf8().constData());
    std::fflush(stdout);
    EXPECT_EQ(corrupt, 0);
    EXPECT_EQ(leftovers, 0);
}

// A broken attempt is continued with Range when the server sends exactly the
// rest of the same file, and started over when it does not.
TEST_F(FaultMatrix, RetriesContinueOnlyTheSameFile) {
    const qint64 size = QFileInfo(sim_->MediaPath("flv")).size();
    const qint64 a = RandomBetween(1, size - 2);
    const qint64 b = RandomBetween(a + 1, size - 1);
    const QString ra = QString("bytes=%1-").arg(a);
    const struct {
        QString fault;
        QStringList ranges; // of the first clip's requests, in order
    } cases[] = {
        {QString("cutat:%1:%2").arg(a).arg(b), {"", ra, QString("bytes=%1-").arg(b)}},
        // 200 to a Range request: that answer is the whole file.
        {QString("cutat:%1+norange").arg(a), {"", ra}},
        // Another validator: the part is dropped and the whole file asked for.
        {QString("cutat:%1+newtag").arg(a), {"", ra, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault.toStdString());
        const QString out = Path("out-" + QString::number(qHash(c.fault)));
        ZorvGetRunner runner(Path("user"), *sim_);
        sim_->ClearMediaRequests();
        sim_->SetMediaFault(c.fault + "@" + kFirstKey);
        const ZorvGetRun run = runner.Run({"-r", "2", "-o", out, kFirst});
        sim_->SetMediaFault(QString());
        ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
        QStringList ranges;
        for (const MediaRequest& r : sim_->MediaRequests())
            if (r.path.contains(kFirstKey))
                ranges << r.range;
        EXPECT_EQ(ranges, c.ranges);
        EXPECT_EQ(ReadFile(out + "/MetaCafe/1000001.flv"), ReadFile(sim_->MediaPath("flv")));
        EXPECT_EQ(Files(out, true), QStringList());
    }
}
