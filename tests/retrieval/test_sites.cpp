// Site detection, the extractor factory, status texts and the Metacafe page
// parser, without a network.

#include "base/StringTable.h"
#include "retrieval/AddressRoute.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/MetaCafeExtractor.h"

#include "support/RecordingContext.h"

#include <gtest/gtest.h>

TEST(RouteAddress, FourSitesPlainHttpBuiltInOtherWebAddressesYtDlpTheRestRefused) {
    struct Case {
        const char* text;
        AddressRoute route;
        const char* address;
    } cases[] = {
        {"http://www.youtube.com/watch?v=abc", AddressRoute::BuiltIn, "http://www.youtube.com/watch?v=abc"},
        {" \thttp://www.metacafe.com/watch/1/x/\r\n", AddressRoute::BuiltIn, "http://www.metacafe.com/watch/1/x/"},
        {"http://video.google.com/videoplay?docid=1", AddressRoute::BuiltIn, nullptr},
        {"https://www.youtube.com/watch?v=abc", AddressRoute::YtDlp, nullptr},
        {"HTTPS://www.nicovideo.jp/watch/sm9", AddressRoute::YtDlp, "HTTPS://www.nicovideo.jp/watch/sm9"},
        {"http://127.0.0.1:8080/watch/clip-one", AddressRoute::YtDlp, nullptr},
        {"https://vimeo.example/123", AddressRoute::YtDlp, nullptr},
        {"ftp://www.youtube.com/watch?v=abc", AddressRoute::Refused, nullptr},
        {"www.youtube.com/watch?v=abc", AddressRoute::Refused, nullptr},
        {"http://", AddressRoute::Refused, nullptr},
        {"http://a.example/x\nhttp://b.example/y", AddressRoute::Refused, nullptr},
        {"http://a.example/x y", AddressRoute::Refused, nullptr},
        {"", AddressRoute::Refused, nullptr},
    };
    for (const Case& c : cases) {
        const RoutedAddress routed = RouteAddress(QString::fromUtf8(c.text));
        EXPECT_EQ(routed.route, c.route) << c.text;
        if (c.address) {
            EXPECT_EQ(routed.address.toStdString(), c.address) << c.text;
        }
    }
}

TEST(DetectSite, ByHostName) {
    EXPECT_EQ(DetectSite("http://www.youtube.com/watch?v=abc"), YOUTUBE);
    EXPECT_EQ(DetectSite("http://video.google.com/videoplay?docid=1"), GOOGLE);
    EXPECT_EQ(DetectSite("http://www.MetaCafe.com/watch/1/x/"), METACAFE);
    EXPECT_EQ(DetectSite("http://www.nicovideo.jp/watch/sm9"), NICOVIDEO);
    EXPECT_EQ(DetectSite("http://youtu.be/zvNormal001"), YOUTUBE);
    EXPECT_EQ(DetectSite("http://notyoutu.be/x"), NO_SITE);
    EXPECT_EQ(DetectSite("http://www.metacafe.com/watch/1/a%20b/"), METACAFE);
    EXPECT_EQ(DetectSite("http://www.example.org/watch/1"), NO_SITE);
    EXPECT_EQ(DetectSite("www.youtube.com/watch?v=abc"), NO_SITE);          // not a full address
    EXPECT_EQ(DetectSite("http://example.org/?next=youtube.com"), NO_SITE); // only the host counts
    // Escapes are decoded before the host is read.
    EXPECT_EQ(DetectSite("http://www.%6Detacafe.com/watch/1/"), METACAFE);
}

TEST(DetectSite, GoogleAddressCarryingASourceAddress) {
    EXPECT_EQ(DetectSite("http://video.google.com/url?a=1&srcurl=http://www.youtube.com/watch?v=q&x=2"),
              YOUTUBE);
    EXPECT_EQ(
        DetectSite("http://video.google.com/url?a=1&srcurl=http%3A%2F%2Fwww.metacafe.com%2Fwatch%2F1%2F"),
        METACAFE);
    EXPECT_EQ(DetectSite("http://video.google.com/url?a=1&srcurl=&x=2"), GOOGLE); // empty value: not found
    // Endless nesting is cut off instead of recursing without bound.
    QString nested = "http://www.youtube.com/watch?v=q";
    for (int i = 0; i < 50; ++i)
        nested = "http://video.google.com/url?srcurl=" + nested;
    EXPECT_EQ(DetectSite(nested), NO_SITE);
}

TEST(CreateExtractor, BuildsTheSitesExtractor) {
    std::unique_ptr<SiteExtractor> p =
        CreateExtractor("http://www.metacafe.com/watch/12/some_clip/", nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, METACAFE);
    EXPECT_EQ(p->siteName, "MetaCafe");
    EXPECT_EQ(p->extension, "flv");
    EXPECT_EQ(p->pageUrl, "http://www.metacafe.com/watch/12/some_clip/");
    EXPECT_TRUE(p->videoId.isEmpty());
    EXPECT_FALSE(CreateExtractor("http://www.example.org/", nullptr));
    EXPECT_FALSE(CreateExtractor("not an address", nullptr));
}

TEST(VideoSite, FolderNamesAndLabels) {
    EXPECT_EQ(SiteFolderName(YOUTUBE), "YouTube");
    EXPECT_EQ(SiteFolderName(NICOVIDEO), "NicoVideo");
    EXPECT_EQ(SiteLabel(METACAFE), "METACAFE");
    EXPECT_EQ(SiteLabel(GOOGLE), "GOOGLE");
    EXPECT_TRUE(SiteFolderName(NO_SITE).isEmpty());
}

TEST(StatusText, FollowsTheTable) {
    EXPECT_EQ(DownloadWorker::StatusText(100), BuiltinString(32877));
    EXPECT_EQ(DownloadWorker::StatusText(103), BuiltinString(32880));
    EXPECT_EQ(DownloadWorker::StatusText(104), BuiltinString(32881));
    EXPECT_EQ(DownloadWorker::StatusText(108), BuiltinString(32883));
    EXPECT_EQ(DownloadWorker::StatusText(110), BuiltinString(32872));
    EXPECT_EQ(DownloadWorker::StatusText(111), BuiltinString(32875));
    EXPECT_EQ(DownloadWorker::StatusText(112), BuiltinString(32903));
    EXPECT_EQ(DownloadWorker::StatusText(204), BuiltinString(32888));
    EXPECT_EQ(DownloadWorker::StatusText(205), BuiltinString(32904));
    EXPECT_EQ(DownloadWorker::StatusText(207), BuiltinString(32906));
    EXPECT_FALSE(DownloadWorker::StatusText(201).isEmpty());
    for (int code : {106, 107, 109, 208, 99, 113, 209, 0, -1})
        EXPECT_TRUE(DownloadWorker::StatusText(code).isEmpty()) << code;
}

TEST(StatusPacking, CodeHighRowLow) {
    EXPECT_EQ(DownloadStatus::Pack(207, 3), (207 << 16) | 3);
    EXPECT_EQ(DownloadStatus::CodeOf(DownloadStatus::Pack(111, 65535)), 111);
    EXPECT_EQ(DownloadStatus::RowOf(DownloadStatus::Pack(111, 65535)), 65535);
}

class MetaCafeParse : public ::testing::Test {
  protected:
    void SetUp() override { p_.owner = &context_; }
    RecordingContext context_;
    MetaCafeExtractor p_;
};

TEST_F(MetaCafeParse, VideoIdFromTheWatchPath) {
    p_.pageUrl = "http://www.metacafe.com/watch/1234567/funny_cat/";
    EXPECT_EQ(p_.GetVideoId(), "1234567");
    p_.pageUrl = "metacafe.com/WATCH/yt-abc/";
    EXPECT_EQ(p_.GetVideoId(), "yt-abc");
    p_.pageUrl = "http://www.metacafe.com/channels/x/";
    EXPECT_EQ(p_.GetVideoId(), "metacafe");
    EXPECT_EQ(p_.videoId, "metacafe");
}

TEST_F(MetaCafeParse, MediaAddressDecodedAndMovedToTheNewHost) {
    p_.videoId = "12";
    const QString page =
        "<title>A &amp; B</title>\n"
        "flashvars=\"x=1&MediaURL=http%3A%2F%2Fakvideos.metacafe.com%2FItemFiles%2F12.FLV&b=2"
        "&mediaURL=http://other/second.flv&c\"";
    ASSERT_EQ(p_.ParsePage(page), 0);
    EXPECT_EQ(p_.mediaUrl, "http://v.mccont.com/ItemFiles/12.FLV"); // the first one, any letter case
    EXPECT_EQ(p_.title, "A & B");
    EXPECT_EQ(context_.titles, QStringList{"A & B"}); // handed on once
    EXPECT_TRUE(context_.statuses.empty());
}

TEST_F(MetaCafeParse, MediaAddressEndsAtTheFirstFlvFollowedByAmpersand) {
    p_.videoId = "7";
    ASSERT_EQ(p_.ParsePage("mediaURL=http://a/x.flv.mp4&y=http://b/z.flv&rest"), 0);
    EXPECT_EQ(p_.mediaUrl, "http://a/x.flv.mp4&y=http://b/z.flv");
    EXPECT_EQ(p_.title, "7"); // no title element: the id
    // "." does not cross a line break.
    EXPECT_EQ(p_.ParsePage("mediaURL=http://a/x\n.flv&"), -2);
    EXPECT_EQ(p_.ParsePage("no media here"), -2);
}
