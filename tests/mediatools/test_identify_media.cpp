#include "mediatools/CMPlayerProcess.h"
#include "mediatools/IdentifyMedia.h"

#include "ScriptTool.h"
#include "base/AppLog.h"
#include "mediatools/ToolFolders.h"
#include "support/TempDirTest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace {

// Files are made once per run: ffmpeg is the slow part.
QString MediaFolder() {
    static QTemporaryDir dir;
    return dir.path();
}

QString MakeMedia(const QString& name, const QStringList& args) {
    const QString path = MediaFolder() + "/" + name;
    if (!QFile::exists(path)) {
        const int rc =
            QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y"} + args + QStringList{path});
        if (rc != 0)
            return QString();
    }
    return path;
}

QString FlvWithAudio() {
    return MakeMedia("av.flv", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", "-f", "lavfi",
                                "-i", "sine=frequency=440:sample_rate=22050:duration=2", "-ac", "2", "-c:v",
                                "flv1", "-c:a", "libmp3lame", "-shortest"});
}

QString VideoOnly() {
    return MakeMedia("silent.mp4", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=15:duration=1", "-c:v",
                                    "mpeg4", "-an"});
}

// What mplayer prints when identifying `path`, both streams as they come.
QString MPlayerOutput(const QString& path) {
    QProcess mplayer;
    mplayer.setProcessChannelMode(QProcess::MergedChannels);
    mplayer.start("mplayer", {path, "-frames", "0", "-vo", "null", "-ao", "null", "-identify"});
    mplayer.waitForFinished(30000);
    return QString::fromUtf8(mplayer.readAll());
}

// Video, audio and 60 chapters; the first chapter's name is padded by `pad`.
QString ChapteredVideo(int pad) {
    QByteArray meta = ";FFMETADATA1\n";
    for (int i = 0; i < 60; ++i)
        meta += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + QByteArray::number(i * 100) +
                "\nEND=" + QByteArray::number(i * 100 + 100) + "\ntitle=Chapter " + QByteArray::number(i) +
                (i == 0 ? QByteArray(pad, 'x') : QByteArray()) + "\n";
    const QString metaPath = MediaFolder() + QString("/chapters%1.txt").arg(pad);
    QFile file(metaPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(meta) != meta.size())
        return QString();
    file.close();
    return MakeMedia(QString("chapters%1.mkv").arg(pad), {"-f",
                                                          "lavfi",
                                                          "-i",
                                                          "testsrc=size=320x240:rate=25:duration=6",
                                                          "-f",
                                                          "lavfi",
                                                          "-i",
                                                          "sine=frequency=440:sample_rate=22050:duration=6",
                                                          "-i",
                                                          metaPath,
                                                          "-map",
                                                          "0",
                                                          "-map",
                                                          "1",
                                                          "-map_metadata",
                                                          "2",
                                                          "-map_chapters",
                                                          "2",
                                                          "-c:v",
                                                          "mpeg4",
                                                          "-c:a",
                                                          "mp2"});
}

MediaInfo Sentinel() {
    MediaInfo info;
    info.lengthMs = 7;
    info.videoFormat = "before";
    info.audioTracks = QStringList{"kept"};
    return info;
}

void ExpectSentinel(const MediaInfo& info) {
    EXPECT_EQ(info.lengthMs, 7);
    EXPECT_EQ(info.videoFormat, "before");
    EXPECT_EQ(info.audioTracks, QStringList{"kept"});
    EXPECT_EQ(info.width, 0);
}

class IdentifyMediaTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        savedCurrent_ = QDir::currentPath();
        InitLog(Path("ruzivar.log"));
    }
    void TearDown() override {
        SetMPlayerPathOverride(QString());
        SetIdentifyTimeoutMs(30000);
        ShutdownLog();
        QDir::setCurrent(savedCurrent_);
        TempDirTest::TearDown();
    }
    QString Log() const { return QString::fromUtf8(ReadFile(Path("ruzivar.log"))); }
    QString savedCurrent_;
};

} // namespace

TEST_F(IdentifyMediaTest, FlvWithAudio) {
    const QString file = FlvWithAudio();
    ASSERT_FALSE(file.isEmpty());
    MediaInfo info = Sentinel();
    ASSERT_EQ(IdentifyMedia(file, info), 1);
    EXPECT_EQ(info.videoFormat, "FLV1");
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_DOUBLE_EQ(info.fps, 25.0);
    EXPECT_GE(info.lengthMs, 1900);
    EXPECT_LE(info.lengthMs, 2300);
    EXPECT_GT(info.videoBitrate, 0);
    EXPECT_EQ(info.hasAudio, 1);
    EXPECT_FALSE(info.audioCodec.isEmpty());
    EXPECT_EQ(info.audioRate, 22050);
    EXPECT_EQ(info.audioChannels, 2);
    EXPECT_GT(info.audioBitrate, 0);
    EXPECT_EQ(info.audioTracks, QStringList{"0"});
}

TEST_F(IdentifyMediaTest, VideoWithoutAudioLeavesTracksAlone) {
    const QString file = VideoOnly();
    ASSERT_FALSE(file.isEmpty());
    MediaInfo info = Sentinel();
    ASSERT_EQ(IdentifyMedia(file, info), 1);
    EXPECT_FALSE(info.videoFormat.isEmpty());
    EXPECT_EQ(info.width, 160);
    EXPECT_EQ(info.height, 120);
    EXPECT_DOUBLE_EQ(info.fps, 15.0);
    EXPECT_EQ(info.hasAudio, 0);
    EXPECT_TRUE(info.audioCodec.isEmpty());
    EXPECT_EQ(info.audioTracks, QStringList{"kept"});
}

TEST_F(IdentifyMediaTest, NonMediaAndMissingFilesLeaveTheInfoUntouched) {
    MediaInfo info = Sentinel();
    EXPECT_EQ(IdentifyMedia(WriteFile("notes.flv", "just some text\n"), info), 0);
    ExpectSentinel(info);
    EXPECT_EQ(IdentifyMedia(Path("absent.flv"), info), 0);
    ExpectSentinel(info);
}

TEST_F(IdentifyMediaTest, KeysAtTheEndOfOutputLongerThanThePreviewBufferAreFound) {
    // Sized so that mplayer prints a little more than the preview player's
    // 8192 characters while the video keys lie before its last chunk: a
    // collector that starts over near 8192 characters always loses them.
    const QString plain = ChapteredVideo(0);
    ASSERT_FALSE(plain.isEmpty());
    const QString plainOutput = MPlayerOutput(plain);
    const int tail = int(plainOutput.size() - plainOutput.lastIndexOf("ID_VIDEO_FORMAT="));
    ASSERT_GT(tail, 600) << plainOutput.toStdString();
    const int pad =
        CMPlayerProcess::kTextCapacity + (tail - CConsoleProcess::kChunkBytes) / 2 - int(plainOutput.size());
    ASSERT_GT(pad, 0);
    const QString file = ChapteredVideo(pad);
    ASSERT_FALSE(file.isEmpty());
    const QString output = MPlayerOutput(file);
    ASSERT_GT(output.size(), CMPlayerProcess::kTextCapacity);
    ASSERT_LT(output.lastIndexOf("ID_VIDEO_FORMAT="),
              CMPlayerProcess::kTextCapacity - 2 * CConsoleProcess::kChunkBytes);

    for (int run = 0; run < 5; ++run) {
        MediaInfo info;
        ASSERT_EQ(IdentifyMedia(file, info), 1) << "run " << run;
        EXPECT_EQ(info.videoFormat, "MP4V");
        EXPECT_EQ(info.width, 320);
        EXPECT_NEAR(info.lengthMs, 6000, 100);
        EXPECT_EQ(info.hasAudio, 1);
    }
}

TEST_F(IdentifyMediaTest, LineBreaksInTheFileNameAddNoKeys) {
    for (const char* name :
         {"fake\nID_VIDEO_FORMAT=H264\nID_VIDEO_WIDTH=640\nx.flv", "fake\r\nID_VIDEO_FORMAT=H264\r\n.flv"}) {
        MediaInfo info = Sentinel();
        EXPECT_EQ(IdentifyMedia(WriteFile(name, "just some text\n"), info), 0) << name;
        ExpectSentinel(info);
    }
    // A real video under such a name is still identified, with its own values.
    const QString source = FlvWithAudio();
    ASSERT_FALSE(source.isEmpty());
    const QString odd = Path("clip\nID_VIDEO_FORMAT=H264\nID_VIDEO_WIDTH=640\n.flv");
    ASSERT_TRUE(QFile::copy(source, odd));
    MediaInfo info;
    ASSERT_EQ(IdentifyMedia(odd, info), 1);
    EXPECT_EQ(info.videoFormat, "FLV1");
    EXPECT_EQ(info.width, 320);
}

TEST_F(IdentifyMediaTest, FileNamesWithShellCharactersAndNonAscii) {
    const QString source = FlvWithAudio();
    ASSERT_FALSE(source.isEmpty());
    const QString odd =
        Path(QString::fromUtf8("a b \"q\" $(touch pwned) 'x' `id`; \xC3\xA9\xE6\x97\xA5.flv"));
    ASSERT_TRUE(QFile::copy(source, odd));
    MediaInfo info;
    ASSERT_EQ(IdentifyMedia(odd, info), 1);
    EXPECT_EQ(info.videoFormat, "FLV1");
    EXPECT_EQ(info.hasAudio, 1);
    EXPECT_FALSE(QFile::exists(Path("pwned")));
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("pwned")));
}

TEST_F(IdentifyMediaTest, MissingPlayerGivesZeroAndALogLine) {
    SetMPlayerPathOverride(Path("gnu/avc/mplayer"));
    MediaInfo info = Sentinel();
    EXPECT_EQ(IdentifyMedia(Path("clip.flv"), info), 0);
    ExpectSentinel(info);
    EXPECT_TRUE(Log().contains("ERROR IdentifyMedia <> - Cannot run mplayer \"" + Path("gnu/avc/mplayer") +
                               "\" (error 2), \"" + Path("clip.flv") + "\" not identified"))
        << Log().toStdString();
}

TEST_F(IdentifyMediaTest, HungPlayerIsKilledAtTheTimeLimit) {
    SetMPlayerPathOverride(
        WriteScriptTool(Path("mplayer"), "echo ID_VIDEO_FORMAT=FLV1; echo $$ > pid; sleep 60"));
    SetIdentifyTimeoutMs(1000);
    MediaInfo info = Sentinel();
    QElapsedTimer timer;
    timer.start();
    QDir::setCurrent(Path());
    EXPECT_EQ(IdentifyMedia(Path("clip.flv"), info), 0);
    EXPECT_LT(timer.elapsed(), 10000);
    ExpectSentinel(info);
    const qint64 pid = ReadFile(Path("pid")).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(ProcessExists(pid));
    EXPECT_TRUE(
        Log().contains("WARN IdentifyMedia <> - mplayer did not finish within 1000 ms and was stopped"));
}

TEST_F(IdentifyMediaTest, OddPlayerOutputAndTheArgumentsItGets) {
    // Mixed line ends, a track with a language, and a record of the arguments.
    SetMPlayerPathOverride(WriteScriptTool(
        Path("mplayer"), "{ readlink \"$1\"; shift; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > "
                         "\"$(dirname \"$0\")/args\"\n"
                         "printf 'ID_VIDEO_FORMAT=WVC1\\r\\nID_VIDEO_WIDTH=640\\nID_LENGTH=3.5\\n'\n"
                         "printf 'ID_AUDIO_ID=1\\nID_AID_1_LANG=jpn\\r\\nID_AUDIO_CODEC=faad\\n' >&2"));
    QDir::setCurrent(Path());
    MediaInfo info;
    ASSERT_EQ(IdentifyMedia("-clip.flv", info), 1);
    EXPECT_EQ(info.videoFormat, "WVC1");
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.lengthMs, 3500);
    EXPECT_EQ(info.audioCodec, "faad");
    EXPECT_EQ(info.audioTracks, QStringList{"1 - JPN"});
    // The file reaches mplayer through a link to its absolute path, so a name
    // starting with "-" is never read as an option.
    EXPECT_EQ(QString::fromUtf8(ReadFile(Path("args"))),
              Path("-clip.flv") + "\n-frames\n0\n-vo\nnull\n-ao\nnull\n-identify\n");
}
