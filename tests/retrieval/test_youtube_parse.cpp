// The YouTube extractor without a network: video ids from every address
// form, the format preference lists and the choice of a stream from the
// watch page's stream map.

#include "base/AppSettings.h"
#include "retrieval/YouTubeExtractor.h"

#include "support/TempDirTest.h"

#include <QUrl>

namespace {
QString IdOf(const QString& address) {
    YouTubeExtractor p;
    p.pageUrl = address;
    return p.GetVideoId();
}

std::vector<int> Itags(int youtubeFmt) {
    std::vector<int> out;
    for (const YouTubeExtractor::FormatEntry& e : YouTubeExtractor::PreferenceList(youtubeFmt))
        out.push_back(e.itag);
    return out;
}

// A media address the way the site names it.
QString Media(int itag) {
    return QStringLiteral("http://www.youtube.com/videoplayback?id=abc&itag=%1&sig=5A").arg(itag);
}

// One stream-map entry as the watch page carries it: the address
// percent-encoded, fields joined by a JSON-escaped "&", its own itag last.
QString Entry(int itag) {
    // Joined, not arg()-filled: the escapes would read as markers.
    return "url=" + QString::fromLatin1(QUrl::toPercentEncoding(Media(itag))) +
           "\\u0026quality=medium\\u0026type=video%2Fx-flv\\u0026itag=" + QString::number(itag);
}
} // namespace

TEST(YouTubeVideoId, AddressForms) {
    EXPECT_EQ(IdOf("http://www.youtube.com/watch?v=zvNormal001"), "zvNormal001");
    EXPECT_EQ(IdOf("http://www.youtube.com/watch?v=a-b_C9&feature=related&t=1"), "a-b_C9");
    EXPECT_EQ(IdOf("http://www.youtube.com/watch?feature=player&v=xyz123"), "xyz123");
    EXPECT_EQ(IdOf("https://m.youtube.com/watch?v=mob1"), "mob1");
    EXPECT_EQ(IdOf("www.youtube.com/watch?v=bare"), "bare");
    EXPECT_EQ(IdOf("http://youtube.com/v/vid42?fs=1"), "vid42");
    EXPECT_EQ(IdOf("http://www.youtube-nocookie.com/embed/emb7"), "emb7");
    EXPECT_EQ(IdOf("http://www.youtube.com/watch_popup?v=pop1"), "pop1");
    EXPECT_EQ(IdOf("http://www.youtube.com/#!v=hash1"), "hash1");
    EXPECT_EQ(IdOf("justAnId-_9"), "justAnId-_9");
}

TEST(YouTubeVideoId, ShortLinkNamesTheIdRightAfterItsDomain) {
    EXPECT_EQ(IdOf("http://youtu.be/zvNormal001"), "zvNormal001");
    EXPECT_EQ(IdOf("https://youtu.be/Ab3_-x?t=42"), "Ab3_-x");
    EXPECT_EQ(IdOf("youtu.be/short1"), "short1");
    // The main domain needs a watch, "v/" or "embed/" part before the id.
    EXPECT_EQ(IdOf("http://www.youtube.com/abc"), "youtube");
}

TEST(YouTubeVideoId, AddressWithoutAnIdYieldsTheSiteName) {
    YouTubeExtractor p;
    for (const char* address : {"http://www.youtube.com/", "http://www.youtube.com/user/someone",
                                "http://www.youtube.com/watch?feature=x",
                                "http://www.youtube.com/watch?v=", "http://www.youtube.co/watch?v=abc", ""}) {
        p.pageUrl = QString::fromLatin1(address);
        EXPECT_EQ(p.GetVideoId(), "youtube") << address;
        EXPECT_EQ(p.videoId, "youtube");
    }
}

TEST(YouTubeFormats, ListsAndTheirSelector) {
    EXPECT_EQ(Itags(0), (std::vector<int>{83, 5, 6, 13, 17}));
    EXPECT_EQ(Itags(1), (std::vector<int>{18, 34, 82, 43, 100, 83, 5, 6}));
    EXPECT_EQ(Itags(2), (std::vector<int>{35, 44, 101, 46, 85, 18, 34, 82, 43, 100}));
    EXPECT_EQ(Itags(3).size(), 19u);
    EXPECT_EQ(Itags(3).front(), 22);
    EXPECT_EQ(Itags(4).size(), 21u);
    const std::vector<int> hd = Itags(4);
    EXPECT_EQ((std::vector<int>(hd.begin(), hd.begin() + 3)), (std::vector<int>{37, 38, 22}));
    EXPECT_EQ(Itags(5), (std::vector<int>{13, 17}));
    EXPECT_EQ(std::string(YouTubeExtractor::PreferenceList(2)[1].container), "webm");

    EXPECT_EQ(Itags(7), Itags(1));
    EXPECT_EQ(Itags(10), Itags(4));
    // A negative remainder selects list 2; a negative multiple of 6 is 0.
    for (int fmt : {-1, -3, -5, -7})
        EXPECT_EQ(Itags(fmt), Itags(2)) << fmt;
    EXPECT_EQ(Itags(-6), Itags(0));
}

class YouTubeStreamChoice : public TempDirTest {
  protected:
    void TearDown() override {
        Settings().YoutubeFMT = 1;
        Settings().Publish();
        TempDirTest::TearDown();
    }
    // The chosen media address for a stream map under a YoutubeFMT value.
    QString Choose(const QString& map, int youtubeFmt) {
        Settings().YoutubeFMT = youtubeFmt;
        Settings().Publish();
        p_.streamMap = map;
        p_.mediaUrl.clear();
        EXPECT_EQ(p_.ParsePage(QStringLiteral("the page text is not used")), 0);
        return p_.mediaUrl;
    }
    // What the choice of `itag` comes out as: the entry's fields unescaped,
    // cut before its second "&itag=".
    static QString Expected(int itag) { return Media(itag) + "&quality=medium&type=video/x-flv"; }

    YouTubeExtractor p_;
};

TEST_F(YouTubeStreamChoice, PreferenceOrderDecidesNotMapOrder) {
    const QString map = Entry(34) + "," + Entry(18);
    EXPECT_EQ(Choose(map, 4), Expected(18)); // 18 comes before 34 in list 4
    EXPECT_EQ(Choose(map, 1), Expected(18));
    // List 0 has neither: the first stream of the map.
    EXPECT_EQ(Choose(map, 0), Expected(34));
    EXPECT_EQ(Choose(map, 5), Expected(34));
}

TEST_F(YouTubeStreamChoice, SelectorWrapsAndNegativeValuesTakeList2) {
    const QString map = Entry(18) + "," + Entry(35);
    EXPECT_EQ(Choose(map, 1), Expected(18));
    EXPECT_EQ(Choose(map, 7), Expected(18));  // as 1
    EXPECT_EQ(Choose(map, 2), Expected(35));  // 35 leads list 2
    EXPECT_EQ(Choose(map, -1), Expected(35)); // as 2
}

TEST_F(YouTubeStreamChoice, SecondItagFieldIsCutOff) {
    const QString chosen = Choose(Entry(22), 3);
    EXPECT_EQ(chosen, Expected(22));
    EXPECT_EQ(chosen.count("itag="), 1);
    // One "&itag=" only: nothing is cut.
    const QString single = "url=http%3A%2F%2Fh%2Fv%3Fid%3D1%26itag%3D18\\u0026q=x";
    EXPECT_EQ(Choose(single, 1), "http://h/v?id=1&itag=18&q=x");
    // "itag=" at the very start of the address is no itag.
    EXPECT_EQ(Choose("url=itag=18\\u0026x=1,url=b%3Fitag%3D34", 1), "b?itag=34");
}

TEST_F(YouTubeStreamChoice, EntriesWithoutAnAddressFieldStayAsTheyCame) {
    // The pipe form carries no "url=": no itag is known, the first entry is
    // taken with only its escapes undone.
    EXPECT_EQ(Choose("34|http:\\/\\/h\\/a?x=1\\u0026y=2,18|http:\\/\\/h\\/b", 1), "34|http://h/a?x=1&y=2");
    // A preferred entry is found past entries it cannot read.
    EXPECT_EQ(Choose("junk, " + Entry(18), 1), Expected(18));
    // An itag longer than ten digits is read from its first ten only.
    EXPECT_EQ(Choose("url=a%3Fitag%3D18000000000,url=b%3Fitag%3D18", 1), "b?itag=18");
}

TEST_F(YouTubeStreamChoice, NoStreamMapIsAFailure) {
    p_.streamMap.clear();
    p_.mediaUrl = "unchanged";
    EXPECT_EQ(p_.ParsePage(QString()), -1);
    EXPECT_EQ(p_.mediaUrl, "unchanged");
}
