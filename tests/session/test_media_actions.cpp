// Media actions against real clips made by ffmpeg: cuts and conversions
// identified by mplayer, and the ways an action can fail or be stopped,
// each leaving the original and nothing else.

#include "history/HistoryDb.h"
#include "history/SqliteConnection.h"
#include "mediatools/IdentifyMedia.h"
#include "session/DownloadSession.h"
#include "session/MediaActionJob.h"
#include "support/TempDirTest.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cmath>
#include <cstdlib>

#include <sys/resource.h>

namespace {
constexpr double kKeyFrameSeconds = 3; // the clips' key-frame interval

// Made once per run, copied into each test's folder: ffmpeg is the slow part.
QString SharedClip(const QString& name, const QStringList& codecArgs, const QString& size) {
    static QTemporaryDir dir;
    const QString path = dir.path() + "/" + name;
    if (!QFile::exists(path)) {
        const QStringList args = QStringList{"-v",
                                             "error",
                                             "-y",
                                             "-f",
                                             "lavfi",
                                             "-i",
                                             "testsrc=duration=60:rate=25:size=" + size,
                                             "-f",
                                             "lavfi",
                                             "-i",
                                             "sine=frequency=440:duration=60"} +
                                 codecArgs + QStringList{"-shortest", path};
        if (QProcess::execute("ffmpeg", args) != 0)
            return QString();
    }
    return path;
}

// H.264 with a key frame every 3 s, and AAC.
QString H264Clip() {
    return SharedClip("clip.mp4",
                      {"-c:v", "libx264", "-preset", "ultrafast", "-g", "75", "-keyint_min", "75",
                       "-sc_threshold", "0", "-pix_fmt", "yuv420p", "-c:a", "aac"},
                      "320x240");
}

// MPEG-4 video (not H.264) and MP3 in a larger frame: converting it to MP4 encodes
// both, long enough to be stopped on the way.
QString Mpeg4Clip() {
    return SharedClip("large.avi", {"-c:v", "mpeg4", "-q:v", "5", "-c:a", "libmp3lame"}, "1280x720");
}

MediaAction Action(MediaFormat format, std::optional<MediaRange> range = std::nullopt, bool exact = false) {
    MediaAction action;
    action.format = format;
    action.range = range;
    action.exact = exact;
    return action;
}

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

double Seconds(const MediaInfo& info) {
    return info.lengthMs / 1000.0;
}
} // namespace

class MediaActionTest : public TempDirTest {
  protected:
    // The shared clip copied into this test's folder under `name`.
    QString Original(const QString& clip, const QString& name) {
        const QString path = Path("media/" + name);
        QDir().mkpath(Path("media"));
        EXPECT_FALSE(clip.isEmpty()) << "ffmpeg could not make the clip";
        EXPECT_TRUE(QFile::copy(clip, path));
        return path;
    }
    QStringList Left() const { return Sorted(QDir(Path("media")).entryList(QDir::Files | QDir::Hidden)); }
};

TEST_F(MediaActionTest, CutsAndConversionsAreIdentifiedAsAsked) {
    MediaInfo source;
    ASSERT_EQ(IdentifyMedia(H264Clip(), source), 1);
    ASSERT_NEAR(Seconds(source), 60, 0.1);

    const MediaRange tenToTwenty{10000, 20000};
    struct Case {
        const char* name;
        MediaAction action;
        QString result;      // the result's name beside "clip.mp4"
        double seconds;      // how long it plays
        double below, above; // how far it may be off, each way
        QString videoFormat; // empty: audio alone
        QString audioFormat;
    } cases[] = {
        // Copied from the key frame at 9 s.
        {"cut",
         {MediaFormat::Original, tenToTwenty},
         "clip (0.10\u20130.20).mp4",
         10,
         0,
         kKeyFrameSeconds,
         source.videoFormat,
         source.audioFormat},
        {"exact cut",
         {MediaFormat::Original, tenToTwenty, true},
         "clip (0.10\u20130.20).mp4",
         10,
         0.1,
         0.1,
         "H264",
         "MP4A"},
        {"mp3", Action(MediaFormat::Mp3), "clip.mp3", 60, 0.5, 0.5, "", "85"},
        {"m4a", Action(MediaFormat::M4a), "clip.m4a", 60, 0.5, 0.5, "", "MP4A"},
        // The streams already are H.264 and AAC: copied, beside the original.
        {"mp4", Action(MediaFormat::Mp4), "clip_001.mp4", 60, 0.5, 0.5, "H264", "MP4A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(Path("media")).removeRecursively();
        const QString original = Original(H264Clip(), "clip.mp4");
        const QByteArray before = ReadFile(original);
        std::vector<int> progress;
        FFMpegCallbacks callbacks;
        callbacks.progress = [&](int perMille) { progress.push_back(perMille); };

        const MediaActionOutcome outcome = RunMediaActionJob(original, c.action, callbacks);
        ASSERT_EQ(outcome.kind, FFMpegResultKind::Ok) << outcome.error.toStdString();
        EXPECT_EQ(outcome.path, Path("media/" + c.result));
        EXPECT_EQ(Left(), Sorted({"clip.mp4", c.result})) << Left().join(' ').toStdString();
        EXPECT_EQ(ReadFile(original), before);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 1000);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

        MediaInfo made;
        ASSERT_EQ(IdentifyAnyMedia(outcome.path, made), 1);
        EXPECT_GE(Seconds(made), c.seconds - c.below);
        EXPECT_LE(Seconds(made), c.seconds + c.above);
        EXPECT_EQ(made.videoFormat, c.videoFormat);
        EXPECT_EQ(made.audioFormat, c.audioFormat);
    }
}

TEST_F(MediaActionTest, TheOriginalGoesOnlyWhenTheResultIsInPlace) {
    const QString original = Original(H264Clip(), "clip.mp4");
    MediaAction action = Action(MediaFormat::M4a);
    action.keepOriginal = false;
    const MediaActionOutcome outcome = RunMediaActionJob(original, action, {});
    ASSERT_EQ(outcome.kind, FFMpegResultKind::Ok) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.originalRemoved);
    EXPECT_EQ(Left(), QStringList{"clip.m4a"});
}

TEST_F(MediaActionTest, AStopMidConversionLeavesOnlyTheOriginal) {
    const QString original = Original(Mpeg4Clip(), "large.avi");
    int last = -1;
    FFMpegCallbacks callbacks;
    callbacks.progress = [&](int perMille) { last = perMille; };
    // Stopped as soon as the conversion is under way.
    callbacks.stopRequested = [&] { return last > 0 && last < 1000; };

    const MediaActionOutcome outcome = RunMediaActionJob(original, Action(MediaFormat::Mp4), callbacks);
    EXPECT_EQ(outcome.kind, FFMpegResultKind::Stopped) << "progress reached " << last;
    EXPECT_EQ(Left(), QStringList{"large.avi"});
    EXPECT_EQ(ChildProcesses(), QStringList());
}

TEST_F(MediaActionTest, FailuresSayWhyAndLeaveOnlyTheOriginal) {
    struct Case {
        const char* name;
        bool garbage;         // the original is no media file
        QString ffmpeg;       // empty: the real one
        rlim_t fileSizeLimit; // 0: none
        MediaAction action;
        FFMpegResultKind kind;
        const char* error; // the start of the error text
    } cases[] = {
        {"no ffmpeg", false, Path("nowhere/ffmpeg"), 0, Action(MediaFormat::Mp3),
         FFMpegResultKind::ToolMissing, "ffmpeg was not found"},
        {"unreadable input", true, QString(), 0, Action(MediaFormat::Mp3), FFMpegResultKind::Failed,
         "ffmpeg could not make clip.mp3 from clip.mp4: "},
        {"file size limit", false, QString(), 64 * 1024, Action(MediaFormat::Mp3), FFMpegResultKind::NoRoom,
         "not enough room for clip.mp3 (the disk is full or the file size limit was reached)"},
        {"range after the end", false, QString(), 0, Action(MediaFormat::Original, MediaRange{61000, 62000}),
         FFMpegResultKind::Failed, "the range starts after the end of clip.mp4 (60.0 s long)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(Path("media")).removeRecursively();
        const QString original = c.garbage ? WriteFile("media/clip.mp4", QByteArray(50000, 'x'))
                                           : Original(H264Clip(), "clip.mp4");
        const QByteArray before = ReadFile(original);
        // ffmpeg inherits the limit; this process writes nothing meanwhile.
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        if (c.fileSizeLimit) {
            rlimit limited = saved;
            limited.rlim_cur = c.fileSizeLimit;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
        const MediaActionOutcome outcome = RunMediaActionJob(original, c.action, {}, c.ffmpeg);
        setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_TRUE(outcome.error.startsWith(c.error)) << outcome.error.toStdString();
        EXPECT_EQ(Left(), QStringList{"clip.mp4"});
        EXPECT_EQ(ReadFile(original), before);
    }
}

namespace {
class ActionObserver : public SessionObserver {
  public:
    void OnItemStatus(int, int, const QString&, const QString&) override {}
    void OnItemProgress(int, int, quint64, quint64, const QString&) override {}
    void OnItemRetry(int, int) override {}
    void OnItemTitle(int, const QString&) override {}
    void OnItemRecorded(const RecordedItem&) override {}
    void OnDialogNeeded(int, BrowserDialog, const QString&) override {}
    void OnBatchEnded(bool) override {}
    void OnActionProgress(quint64, int row, int perMille) override {
        progressRow = row;
        progress = perMille;
    }
    void OnActionEnded(const ActionRecord& record) override { ended.push_back(record); }

    int progressRow = -1;
    int progress = -1;
    std::vector<ActionRecord> ended;
};
} // namespace

TEST_F(MediaActionTest, TheSessionRecordsAResultUnderTheOriginalsPageOrStopsIt) {
    std::unique_ptr<SqliteConnection> db;
    ASSERT_TRUE(OpenHistoryDB(db, Path("history.db")));
    QueueMessageTarget target;
    ActionObserver observer;
    auto session = std::make_unique<DownloadSession>(&target, observer);
    session->SetHistory(db.get());
    // Hands the session what was posted until `until` holds.
    const auto dispatchUntil = [&](auto until) {
        return WaitFor(
            [&] {
                while (auto m = target.Wait(std::chrono::milliseconds(0)))
                    session->Dispatch(*m);
                return until();
            },
            std::chrono::seconds(120));
    };
    const QString page = "http://www.metacafe.com/watch/7/clip/";
    ActionRequest mp3{3,         Original(H264Clip(), "clip.mp4"), page, METACAFE,
                      QString(), Action(MediaFormat::Mp3)};
    ActionRequest mp4{
        4, Original(Mpeg4Clip(), "large.avi"), page, METACAFE, QString(), Action(MediaFormat::Mp4)};
    session->StartAction(mp3);
    session->StartAction(mp4);
    ASSERT_TRUE(dispatchUntil([&] { return observer.progressRow == 4 && observer.progress > 0; }));
    session->StopActions();
    ASSERT_TRUE(dispatchUntil([&] { return session->ActionsOutstanding() == 0; }));

    ASSERT_EQ(observer.ended.size(), 2u);
    const ActionRecord& made = observer.ended[0];
    EXPECT_TRUE(made.done) << made.error.toStdString();
    EXPECT_TRUE(made.identified);
    EXPECT_EQ(made.path, Path("media/clip.mp3"));
    EXPECT_TRUE(made.historyInserted);
    const ActionRecord& stopped = observer.ended[1];
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.request.row, 4);
    EXPECT_EQ(Left(), (QStringList{"clip.mp3", "clip.mp4", "large.avi"}));
    std::vector<std::pair<std::string, std::string>> rows;
    QueryHistoryRows(db.get(), "METACAFE", [&](const HistoryRowView& row) {
        rows.emplace_back(std::string(row.location), std::string(row.siteUrl));
    });
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{
                        {Path("media/clip.mp3").toStdString(), page.toStdString()}}));
    session.reset();
    EXPECT_EQ(ChildProcesses(), QStringList());
}
