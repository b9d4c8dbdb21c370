#include "mediatools/CFFMpegOpts.h"
#include "mediatools/MediaAction.h"

#include <gtest/gtest.h>

TEST(MediaActionTest, RangesAreReadInSecondsOrMinutesAndSeconds) {
    struct Case {
        const char* text;
        int startMs, endMs; // -1: refused
    } cases[] = {
        {"10-20", 10000, 20000},
        {"0:10-0:20", 10000, 20000},
        {" 1:05 - 75.5 ", 65000, 75500},
        {"0:07.25-12", 7250, 12000},
        {"20-10", -1, -1},
        {"10-10", -1, -1},
        {"1:75-2:00", -1, -1},
        {"10", -1, -1},
        {"-5-10", -1, -1},
        {"a-b", -1, -1},
        {"1:2-3", -1, -1},
        {"10-20-30", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<MediaRange> range = ParseMediaRange(c.text);
        ASSERT_EQ(range.has_value(), c.startMs >= 0);
        if (range) {
            EXPECT_EQ(range->startMs, c.startMs);
            EXPECT_EQ(range->endMs, c.endMs);
        }
    }
}

TEST(MediaActionTest, ResultsAreNamedAfterTheOriginal) {
    MediaAction cut;
    cut.range = MediaRange{10000, 20500};
    MediaAction longCut;
    longCut.range = MediaRange{65000, 3600000};
    MediaAction mp3;
    mp3.format = MediaFormat::Mp3;
    MediaAction m4aPart;
    m4aPart.format = MediaFormat::M4a;
    m4aPart.range = MediaRange{0, 9999};
    struct Case {
        const MediaAction& action;
        const char* name;
    } cases[] = {
        {cut, "clip (0.10\u20130.20).flv"},
        {longCut, "clip (1.05\u201360.00).flv"},
        {mp3, "clip.mp3"},
        {m4aPart, "clip (0.00\u20130.09).m4a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MediaActionBaseName(c.action, "clip") + "." + MediaActionExtension(c.action, "flv"),
                  c.name);
}

TEST(MediaActionTest, FFMpegRunsPutTheInputAfterItsOptionsAndTheOutputLast) {
    CFFMpegOpts opts("/usr/bin/ffmpeg");
    opts.SetOptionValue("-ss", "10.000");
    opts.SetInputFile("/in put.mp4");
    opts.SetOutputOption("-vn");
    opts.SetOutputOption("-c:a", "aac");
    opts.SetOutputOption("-c:a", "copy");
    opts.SetOutputFile("/out.m4a.qxt");
    EXPECT_EQ(opts.BuildArguments(), (QStringList{"/usr/bin/ffmpeg", "-ss", "10.000", "-i", "/in put.mp4",
                                                  "-vn", "-c:a", "copy", "/out.m4a.qxt"}));
    EXPECT_EQ(opts.BuildCommandLine(),
              "\"/usr/bin/ffmpeg\" -ss 10.000 -i \"/in put.mp4\" -vn  -c:a copy \"/out.m4a.qxt\"");
}
