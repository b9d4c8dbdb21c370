// The Google Video and NicoVideo extractors' address and page rules, and the
// factory's choice of extractor and page address, without a network.

#include "retrieval/DownloadMessages.h"
#include "retrieval/ExtractorFactory.h"
#include "retrieval/GoogleVideoExtractor.h"
#include "retrieval/NicoVideoExtractor.h"

#include "support/RecordingContext.h"

#include <gtest/gtest.h>

TEST(GoogleVideoId, DocIdRules) {
    GoogleVideoExtractor p;
    auto id = [&p](const QString& address) {
        p.pageUrl = address;
        return p.GetVideoId();
    };
    EXPECT_EQ(id("http://video.google.com/videoplay?docid=-123&hl=en"), "-123");
    EXPECT_EQ(id("http://video.google.com/videoplay?docid=456"), "456"); // last parameter: the rest
    EXPECT_EQ(p.videoId, "456");
    EXPECT_EQ(id("http://video.google.com/videoplay?docid=&hl=en"), ""); // "&" at once
    EXPECT_EQ(id("http://video.google.com/videoplay?docid="), "");
    EXPECT_EQ(id("?docid=789"), "");                                      // at position 0
    EXPECT_EQ(id("http://video.google.com/videoplay?hl=en&docid=1"), ""); // only "?docid=" counts
    EXPECT_EQ(id("http://video.google.com/"), "");
}

class GoogleParse : public ::testing::Test {
  protected:
    void SetUp() override {
        p_.owner = &context_;
        p_.videoId = "77";
    }
    static QString Player(const QString& parameter) {
        return "<title>Clip &quot;one&quot;</title><script>var f = new "
               "FlashObject('/googleplayer.swf?videoUrl\\x3d" +
               parameter + "\\x26thumbnailUrl\\x3dhttp%3A%2F%2Fthumb', 'VideoPlayback');</script>";
    }
    RecordingContext context_;
    GoogleVideoExtractor p_;
};

TEST_F(GoogleParse, PlayerParameterIsDecoded) {
    ASSERT_EQ(p_.ParsePage(Player("http%3A%2F%2Fv.example.com%2Fplay%3Fid%3D77%26a%3Db")), 0);
    EXPECT_EQ(p_.mediaUrl, "http://v.example.com/play?id=77&a=b");
    EXPECT_EQ(p_.title, "Clip \"one\"");
    EXPECT_EQ(p_.pageUrl, "");
}

TEST_F(GoogleParse, MarkersOutOfPlaceAreNoMedia) {
    // The end marker alone.
    EXPECT_EQ(p_.ParsePage("swf?docid\\x3d77\\x26thumbnailUrl\\x3dx"), -2);
    // The start marker alone, or after the first end marker.
    EXPECT_EQ(p_.ParsePage("/googleplayer.swf?videoUrl\\x3dhttp%3A%2F%2Fa"), -2);
    EXPECT_EQ(
        p_.ParsePage("\\x26thumbnailUrl /googleplayer.swf?videoUrl\\x3dhttp%3A%2F%2Fa\\x26thumbnailUrl"), -2);
    // An empty parameter.
    EXPECT_EQ(p_.ParsePage(Player("")), -2);
    EXPECT_TRUE(p_.mediaUrl.isEmpty());
}

TEST_F(GoogleParse, FramedPageIsHandedOn) {
    const QString framed =
        "<h1>x</h1>\n<iframe class=\"frame-iframe\" id=\"external_page\" src=\"about:blank\">"
        "</iframe>\n<script>\n"
        "document.getElementById('external_page').src = \"http://www.youtube.com/watch?v=q\"; "
        "var t = \"x\";\n</script>";
    ASSERT_EQ(p_.ParsePage(framed), DownloadStatus::FollowAnotherAddress);
    // The address runs to the last double quote of its line.
    EXPECT_EQ(p_.pageUrl, "http://www.youtube.com/watch?v=q\"; var t = \"x");
    EXPECT_TRUE(p_.mediaUrl.isEmpty());

    p_.pageUrl = "unchanged";
    // The frame's script without the frame element, and the element at the
    // very start of the text, are not taken.
    EXPECT_EQ(p_.ParsePage("<p>document.getElementById('external_page').src = \"http://a/\";</p>"), -2);
    EXPECT_EQ(p_.ParsePage("<iframe class=\"frame-iframe\" id=\"external_page\">\n"
                           "document.getElementById('external_page').src = \"http://a/\";"),
              -2);
    // The frame element without the script.
    EXPECT_EQ(p_.ParsePage("<p><iframe class=\"frame-iframe\" id=\"external_page\" src=\"http://a/\">"), -2);
    EXPECT_EQ(p_.pageUrl, "unchanged");
}

TEST(NicoVideoId, WatchAddresses) {
    NicoVideoExtractor p;
    auto id = [&p](const QString& address) {
        p.pageUrl = address;
        return p.GetVideoId();
    };
    EXPECT_EQ(id("http://www.nicovideo.jp/watch/sm1002"), "sm1002");
    EXPECT_EQ(id("http://WWW.NicoVideo.JP/watch/sm9?ref=top"), "sm9");
    EXPECT_EQ(id("http://www.nicovideo.jp/watch.php/sm77"), "sm77");
    EXPECT_EQ(id("nicovideo.jp//nm12"), "nm12");
    EXPECT_EQ(id("http://www.nicovideo.jp/"), "nico");
    EXPECT_EQ(id("http://www.nicovideo.jp/watch/"), "nico");
    EXPECT_EQ(id("http://www.example.org/watch/sm1"), "nico");
    EXPECT_EQ(p.videoId, "nico");
}

TEST(NicoLoginForm, EveryValueIsFormEncoded) {
    EXPECT_EQ(NicoVideoExtractor::LoginFormBody("sm9", "me@example.com", "secret"),
              "current_form=login&next_url=%2Fwatch%2Fsm9&mail=me%40example.com&password=secret"
              "&login_submit=Log+In");
    EXPECT_EQ(NicoVideoExtractor::LoginFormBody("sm9", "a&b=c", "p&s=w+rd% 1"),
              "current_form=login&next_url=%2Fwatch%2Fsm9&mail=a%26b%3Dc&password=p%26s%3Dw%2Brd%25%201"
              "&login_submit=Log+In");
    EXPECT_EQ(
        NicoVideoExtractor::LoginFormBody("sm9", "m", "пароль"),
        "current_form=login&next_url=%2Fwatch%2Fsm9&mail=m&password=%D0%BF%D0%B0%D1%80%D0%BE%D0%BB%D1%8C"
        "&login_submit=Log+In");
}

TEST(CreateExtractor, GoogleAndNicoVideo) {
    std::unique_ptr<SiteExtractor> p = CreateExtractor("http://video.google.com/videoplay?docid=5", nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, GOOGLE);
    EXPECT_EQ(p->siteName, "Google");
    EXPECT_EQ(p->extension, "flv");
    EXPECT_EQ(p->pageUrl, "http://video.google.com/videoplay?docid=5");

    p = CreateExtractor("http://www.nicovideo.jp/watch/sm9", nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, NICOVIDEO);
    EXPECT_EQ(p->siteName, "NicoVideo");
    EXPECT_EQ(p->extension, "flv");
    EXPECT_TRUE(dynamic_cast<NicoVideoExtractor*>(p.get()));
}

TEST(CreateExtractor, SourceAddressBecomesThePageAddress) {
    // Taken as it stands when it is a full address.
    std::unique_ptr<SiteExtractor> p = CreateExtractor(
        "http://video.google.com/url?srcurl=http://www.nicovideo.jp/watch/sm9%2Bx&sa=t", nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, NICOVIDEO);
    EXPECT_EQ(p->pageUrl, "http://www.nicovideo.jp/watch/sm9%2Bx");
    p->GetVideoId();
    EXPECT_EQ(p->videoId, "sm9");

    // Decoded once when it is sent encoded.
    p = CreateExtractor(
        "http://www.google.com/url?q=1&srcurl=http%3A%2F%2Fwww.metacafe.com%2Fwatch%2F12%2Fa%2520b%2F",
        nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, METACAFE);
    EXPECT_EQ(p->pageUrl, "http://www.metacafe.com/watch/12/a%20b/");

    // Nested sources: the innermost one.
    p = CreateExtractor("http://video.google.com/url?srcurl=http://www.google.com/url?srcurl=http://"
                        "www.metacafe.com/watch/3/",
                        nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pageUrl, "http://www.metacafe.com/watch/3/");

    // A source naming a Google Video page gets the Google extractor with that page.
    p = CreateExtractor("http://www.google.com/url?srcurl=http://video.google.com/videoplay?docid=8",
                        nullptr);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->site, GOOGLE);
    EXPECT_EQ(p->pageUrl, "http://video.google.com/videoplay?docid=8");
    p->GetVideoId();
    EXPECT_EQ(p->videoId, "8");

    EXPECT_FALSE(CreateExtractor("http://video.google.com/url?srcurl=http://www.example.org/v", nullptr));
}
