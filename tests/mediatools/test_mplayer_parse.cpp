#include "mediatools/CMPlayerProcess.h"
#include "mediatools/MPlayerText.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Feeds recorded output the way the reader thread would: in chunks of at
// most 255 bytes, or exactly as given.
class Collector : public CMPlayerProcess {
  public:
    using CMPlayerProcess::CMPlayerProcess;
    void Feed(const QByteArray& bytes, int chunkBytes = CConsoleProcess::kChunkBytes) {
        for (qsizetype pos = 0; pos < bytes.size(); pos += chunkBytes)
            OnOutput(bytes.mid(pos, chunkBytes).constData());
    }
};

} // namespace

TEST(MPlayerParseTest, CrLfIdentificationOfAVideoWithoutAudio) {
    Collector c;
    c.Feed("Playing x.flv.\r\nID_VIDEO_FORMAT=FLV1\r\nID_VIDEO_WIDTH=320\r\nID_VIDEO_HEIGHT=240\r\n"
           "ID_VIDEO_FPS=25.000\r\nID_LENGTH=61.50\r\nID_VIDEO_BITRATE=abc\r\nID_VIDEO_ASPECT=1.3333\r\n");
    ASSERT_EQ(c.ParseVideo(), 1);
    EXPECT_EQ(c.ParseAudio(), 1);
    const MPlayerValues& v = c.Values();
    EXPECT_EQ(v.videoFormat, "FLV1");
    EXPECT_EQ(v.width, 320);
    EXPECT_EQ(v.height, 240);
    EXPECT_DOUBLE_EQ(v.fps, 25.0);
    EXPECT_DOUBLE_EQ(v.aspect, 1.3333);
    EXPECT_EQ(v.lengthMs, 61500);
    EXPECT_EQ(v.videoBitrate, 0);
    EXPECT_EQ(v.hasAudio, 0);
    EXPECT_TRUE(v.audioCodec.isEmpty());
    QStringList tracks{"kept"};
    EXPECT_EQ(c.GetAudioTracks(tracks), 0);
}

TEST(MPlayerParseTest, LfLinesLastValuesAndKeysOnlyAtLineStart) {
    Collector c;
    c.Feed("ID_FILENAME=/v/ID_VIDEO_FORMAT=fake ID_LENGTH=99\n"
           "ID_VIDEO_FORMAT=H264\n"
           "ID_AUDIO_NCH=1\nID_AUDIO_BITRATE=32kbit\nID_AUDIO_RATE=22050\n"
           "ID_LENGTH=2.05\nID_AUDIO_NCH=2\nID_AUDIO_CODEC=mpg123\n"
           "ID_VIDEO_FORMAT=FLV1\nID_VIDEO_WIDTH=64"); // the last line has no end yet
    ASSERT_EQ(c.ParseVideo(), 1);
    c.ParseAudio();
    const MPlayerValues& v = c.Values();
    EXPECT_EQ(v.videoFormat, "FLV1"); // last complete value, last character kept
    EXPECT_EQ(v.width, 0);
    EXPECT_EQ(v.lengthMs, 2050);
    EXPECT_EQ(v.hasAudio, 1);
    EXPECT_EQ(v.audioCodec, "mpg123");
    EXPECT_EQ(v.audioChannels, 2);
    EXPECT_EQ(v.audioBitrate, 32);
    EXPECT_EQ(v.audioRate, 22050);

    Collector fake;
    fake.Feed("Playing /v/ID_VIDEO_FORMAT=x.\nID_FILENAME=/v/ID_VIDEO_FORMAT=x\n");
    EXPECT_EQ(fake.ParseVideo(), 0);
}

// The number reader takes "inf" and "nan" and any exponent; none of them may
// reach an int conversion (undefined behaviour, found by fuzzing).
TEST(MPlayerParseTest, LengthOutsideTheIntRangeIsClampedAndNonFiniteIsNone) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"inf", 0},           {"-inf", 0},         {"nan", 0},
                 {"1e300", INT_MAX},   {"-1e300", INT_MIN}, {"2147483.647", 2147483647},
                 {"2147484", INT_MAX}, {"-3.5", -3500}};
    for (const auto& c : cases) {
        Collector player;
        player.Feed(QByteArray("ID_VIDEO_FORMAT=FLV1\nID_LENGTH=") + c.text + "\n");
        ASSERT_EQ(player.ParseVideo(), 1) << c.text;
        EXPECT_EQ(player.Values().lengthMs, c.expected) << c.text;
    }
}

TEST(MPlayerParseTest, AudioTracksWithAndWithoutLanguage) {
    Collector c;
    c.Feed("ID_AUDIO_ID=0\r\nID_AID_0_LANG=eng\r\nID_AUDIO_ID=1\r\nID_AUDIO_ID=2\nID_AID_2_LANG=jpn\n"
           "ID_AUDIO_CODEC=ffaac\r\n");
    QStringList tracks{"old"};
    EXPECT_EQ(c.GetAudioTracks(tracks), 3);
    EXPECT_EQ(tracks, (QStringList{"0 - ENG", "1", "2 - JPN"}));
}

TEST(MPlayerParseTest, BufferRestartsWithTheChunkThatFillsIt) {
    Collector c;
    const QByteArray head = "ID_VIDEO_FORMAT=FLV1\n";
    c.Feed(head);
    // Fill up to one character short of the capacity ...
    const QByteArray filler(CMPlayerProcess::kTextCapacity - 1 - head.size(), '.');
    c.Feed(filler);
    EXPECT_EQ(c.Text().size(), CMPlayerProcess::kTextCapacity - 1);
    ASSERT_EQ(c.ParseVideo(), 1);
    // ... then the chunk that reaches it starts the text again.
    c.Feed("\nID_VIDEO_WIDTH=320\n");
    EXPECT_EQ(c.Text(), "\nID_VIDEO_WIDTH=320\n");
    Collector after;
    after.Feed(head + filler + "\nID_VIDEO_WIDTH=320\n");
    EXPECT_EQ(after.ParseVideo(), 0);
    EXPECT_LE(after.Text().size(), CMPlayerProcess::kTextCapacity);

    Collector unbounded(0, 0);
    unbounded.Feed(head + filler + "\nID_VIDEO_WIDTH=320\n");
    EXPECT_EQ(unbounded.ParseVideo(), 1);
    EXPECT_EQ(unbounded.Values().width, 320);

    // Without the fixed buffer the text is still bounded: the newest output stays.
    Collector huge(0, 0);
    huge.Feed(QByteArray(CMPlayerProcess::kCollectLimit, '.') + "\nID_VIDEO_FORMAT=FLV1\n");
    EXPECT_LE(huge.Text().size(), CMPlayerProcess::kCollectLimit);
    EXPECT_EQ(huge.ParseVideo(), 1);
}

TEST(MPlayerParseTest, CharactersSplitAcrossChunksDecodeWhole) {
    Collector c;
    const QByteArray line = "ID_VIDEO_FORMAT=\xE6\x97\xA5\xE6\x9C\xAC\n";
    c.Feed(line, 17); // cuts the first character after its first byte
    ASSERT_EQ(c.ParseVideo(), 1);
    EXPECT_EQ(c.Values().videoFormat, QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"));
}

TEST(MPlayerParseTest, PercentPositionLooksAtTheLast128Characters) {
    Collector none;
    EXPECT_EQ(none.GetPercentPos(), 0);

    Collector shortText;
    shortText.Feed("ANS_PERCENT_POSITION=40\n" + QByteArray(76, 'x'));
    EXPECT_EQ(shortText.GetPercentPos(), -1); // 100 characters

    Collector noAnswer;
    noAnswer.Feed("ANS_PERCENT_POSITION=40\n" + QByteArray(200, 'x'));
    EXPECT_EQ(noAnswer.GetPercentPos(), -1); // the answer lies outside the window

    Collector two;
    two.Feed(QByteArray(300, 'x') + "\nANS_PERCENT_POSITION=41\nANS_PERCENT_POSITION=42\n");
    EXPECT_EQ(two.GetPercentPos(), 41);
}

TEST(MPlayerParseTest, StatusLineScanKeepsTheLastMatch) {
    Collector c(1, 1);
    c.Feed("V:   0.4  10/10  5%  3%  0.4% 0 0 \r"
           "V:   1.48  37/37  5%  3%  0.4% 0 0 \r");
    EXPECT_DOUBLE_EQ(c.ProgressPosition(), 1.48);
    EXPECT_EQ(c.ProgressFrame(), 37);

    Collector off;
    off.Feed("V:   1.48  37/37  5%  3%  0.4% 0 0 \r");
    EXPECT_EQ(off.ProgressFrame(), 0);
}

TEST(MPlayerParseTest, LeadingNumbersIgnoreTheLocaleAndTrailingText) {
    EXPECT_EQ(LeadingInt(u" 42abc"), 42);
    EXPECT_EQ(LeadingInt(u"-7"), -7);
    EXPECT_EQ(LeadingInt(u"+8"), 8);
    EXPECT_EQ(LeadingInt(u"x1"), 0);
    EXPECT_EQ(LeadingInt(u"99999999999999"), INT_MAX);
    EXPECT_DOUBLE_EQ(LeadingDouble(u"25.000"), 25.0);
    EXPECT_DOUBLE_EQ(LeadingDouble(u"1.5 fps"), 1.5);
    EXPECT_DOUBLE_EQ(LeadingDouble(u""), 0.0);
    EXPECT_EQ(FindAllValues("K=1\nK=2\r\nXK=3\nK=4", "K"), (QStringList{"1", "2"}));
    QString value = "untouched";
    EXPECT_EQ(FindLastValue("", "K", &value), -1);
    EXPECT_EQ(value, "untouched");
}
