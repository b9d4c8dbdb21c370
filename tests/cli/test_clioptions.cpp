#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "cli/ProgressView.h"

#include <gtest/gtest.h>

TEST(CliOptions, ParsesEveryOptionForm) {
    auto r = ParseCliArguments({"-o", "/tmp/out", "--retries=2", "-t", "--format=-1", "-q", "http://a", "b"});
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.options.outputFolder, QString("/tmp/out"));
    EXPECT_EQ(r.options.retryTimes, 2);
    EXPECT_TRUE(r.options.useTitle);
    EXPECT_EQ(r.options.youtubeFormat, -1);
    EXPECT_TRUE(r.options.quiet);
    EXPECT_EQ(r.options.addresses, QStringList({"http://a", "b"}));

    EXPECT_EQ(ParseCliArguments({"-f", "-1", "x"}).options.youtubeFormat, -1);
    EXPECT_EQ(ParseCliArguments({"-f7", "x"}).options.youtubeFormat, 7);
    EXPECT_EQ(ParseCliArguments({"--", "-not-an-option"}).options.addresses, QStringList({"-not-an-option"}));
}

TEST(CliOptions, ReportsUsageErrors) {
    EXPECT_FALSE(ParseCliArguments({}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--retries", "-1", "x"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--retries", "two", "x"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"-o"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--bogus", "x"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--quiet=yes", "x"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--history=MYSPACE"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--check-update", "http://a"}).error.isEmpty());
    EXPECT_TRUE(ParseCliArguments({"--help"}).error.isEmpty());
    QStringList many;
    for (int i = 0; i < 65536; ++i)
        many << QString("http://www.youtube.com/watch?v=%1").arg(i);
    EXPECT_FALSE(ParseCliArguments(many).error.isEmpty());
    many.removeLast();
    EXPECT_TRUE(ParseCliArguments(many).error.isEmpty());
}

TEST(CliOptions, ImportTakesAPageAndMayStandAloneOrRepeat) {
    auto r = ParseCliArguments({"-i", "saved.html", "http://a", "--import=http://b/page"});
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.options.imports, QStringList({"saved.html", "http://b/page"}));
    EXPECT_EQ(r.options.addresses, QStringList({"http://a"}));
    EXPECT_TRUE(ParseCliArguments({"--import", "p"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--import"}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--import="}).error.isEmpty());
    EXPECT_FALSE(ParseCliArguments({"--history", "--import", "p"}).error.isEmpty());
}

TEST(CliOptions, HistoryTakesAnOptionalSiteLabel) {
    auto all = ParseCliArguments({"--history"});
    EXPECT_TRUE(all.error.isEmpty());
    EXPECT_TRUE(all.options.history);
    EXPECT_TRUE(all.options.historySite.isEmpty());
    EXPECT_EQ(ParseCliArguments({"--history", "youtube"}).options.historySite, "YOUTUBE");
    EXPECT_EQ(ParseCliArguments({"--history=NicoVideo"}).options.historySite, "NICOVIDEO");
    EXPECT_TRUE(ParseCliArguments({"--history", "youtub"}).error.startsWith("unknown site: youtub"));
    EXPECT_TRUE(ParseCliArguments({"--history", "http://www.youtube.com/watch?v=x"})
                    .error.startsWith("addresses cannot be combined"));
}

TEST(ProgressView, FormatsSizesAndTimes) {
    EXPECT_EQ(ProgressView::FormatBytes(512), "512 B");
    EXPECT_EQ(ProgressView::FormatBytes(1536), "1.5 KiB");
    EXPECT_EQ(ProgressView::FormatBytes(3.0 * 1024 * 1024 * 1024), "3.0 GiB");
    EXPECT_EQ(ProgressView::FormatDuration(3725), "01:02:05");
    EXPECT_EQ(ProgressView::FormatDuration(-4), "00:00:00");
}

TEST(CliText, PageTextIsPrintedWithoutControlCharacters) {
    const struct {
        QString in, out;
    } cases[] = {
        {"plain title \u65e5\u672c", "plain title \u65e5\u672c"},
        {"\x1b]0;owned\x07", "\u241b]0;owned\u2407"},
        {"a\r\nerror: fake\tb", "a\u240d\u240aerror: fake\u2409b"},
        {QString("nul") + QChar(0) + "del\x7f", "nul\u2400del\u2421"},
        {"csi\u009b31m next\u0085line", "csi\ufffd31m next\ufffdline"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Printable(c.in), c.out) << c.in.toStdString();
}

TEST(CliText, StoredTextIsAppendedAsPrintableWouldShowIt) {
    const char* texts[] = {"",
                           "0123456",
                           "01234567",
                           "/home/user/video title number 12.flv",
                           "0123456789\x1b[2J",
                           "01234567890123\x7f",
                           "01234567\t",
                           "~~~~~~~~ ~~~~~~~ ",
                           "title \xc2\x9b" "31m \xe6\x97\xa5",
                           "bad \xff\xfe utf-8 here",
                           "line\r\nfake"};
    for (const char* text : texts) {
        std::string out = "x";
        AppendPrintable(out, text);
        EXPECT_EQ(out, "x" + Printable(QString::fromUtf8(text)).toStdString()) << text;
    }
}

TEST(CliText, DownloadedLineKeepsPlaceholdersOfTheFileName) {
    MediaInfo info;
    info.videoFormat = "FLV1";
    info.width = 320;
    info.height = 240;
    info.fps = 25;
    EXPECT_EQ(DownloadedLine("/o/50%1 off %2_001.flv", "00:00:02", info),
              "/o/50%1 off %2_001.flv  00:00:02 FLV1 320x240 25 fps");
    EXPECT_EQ(DownloadedLine("/o/a\nb.flv", "00:00:02", info),
              "/o/a\u240ab.flv  00:00:02 FLV1 320x240 25 fps");
}
