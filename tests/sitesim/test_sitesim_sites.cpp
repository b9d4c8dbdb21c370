// Metacafe, NicoVideo, Google Video and the update host as their clients
// meet them.

#include "SimFixture.h"

#include <QRegularExpression>

class SitesSimTest : public SimFixture {};

namespace {

QString MetacafeMedia(const QByteArray& page) {
    static const QRegularExpression re("mediaURL=(http.*?\\.flv)&",
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::MultilineOption);
    const QString found = re.match(QString::fromUtf8(page)).captured(1);
    return QString::fromUtf8(QByteArray::fromPercentEncoding(found.toUtf8()));
}

QString GetflvUrl(const QByteArray& reply) {
    for (const QByteArray& piece : reply.split('&')) {
        if (piece.startsWith("url="))
            return QString::fromUtf8(QByteArray::fromPercentEncoding(piece.mid(4)));
    }
    return QString();
}

} // namespace

TEST_F(SitesSimTest, MetacafePagesCarryTheMediaParameterInAnyLetterCase) {
    struct Case {
        const char* path;
        const char* spelling;
    } cases[] = {{"/watch/1000001/sample_clip/", "mediaURL="},
                 {"/watch/1000002/lower_case/", "mediaurl="},
                 {"/watch/1000003/two_players/", "MediaURL="}};
    for (const Case& c : cases) {
        const SimReply page = client_->Get(QString("http://www.metacafe.com") + c.path);
        ASSERT_EQ(page.status, 200) << c.path;
        EXPECT_TRUE(page.body.contains(c.spelling)) << c.path;
        const QString media = MetacafeMedia(page.body);
        EXPECT_TRUE(
            media.startsWith("http://akvideos.metacafe.com/ItemFiles/%5BFrom%20www.metacafe.com%5D%20"))
            << media.toStdString();
        // The downloader asks the current media host instead of the old one.
        const QString rewritten = QString(media).replace("akvideos.metacafe.com", "v.mccont.com");
        const SimReply file = client_->Get(rewritten);
        EXPECT_EQ(file.status, 200) << rewritten.toStdString();
        EXPECT_EQ(file.body, ReadFile(Sim().MediaPath("flv")));
    }
    const QByteArray entities = client_->Get("http://www.metacafe.com/watch/1000001/sample_clip/").body;
    EXPECT_TRUE(entities.contains("<title>Tom &amp; Jerry&#39;s &quot;big&quot; day</title>"));
}

TEST_F(SitesSimTest, MetacafeSecondParameterPointsAtAMissingFile) {
    const QByteArray page = client_->Get("http://www.metacafe.com/watch/1000003/two_players/").body;
    EXPECT_EQ(page.count("MediaURL="), 2);
    const int second = page.lastIndexOf("MediaURL=");
    const QString media = MetacafeMedia(page.mid(second));
    EXPECT_TRUE(media.endsWith("_hq.flv"));
    EXPECT_EQ(client_->Get(QString(media).replace("akvideos.metacafe.com", "v.mccont.com")).status, 404);
    EXPECT_EQ(client_->Get("http://www.metacafe.com/watch/1000001/").status, 301);
    EXPECT_TRUE(MetacafeMedia(client_->Get("http://www.metacafe.com/watch/9999999/none/").body).isEmpty());
}

TEST_F(SitesSimTest, NicoLoginNeedsTheRightPasswordDecodedFromTheForm) {
    const QString login = "https://secure.nicovideo.jp/secure/login?site=niconico";
    const QByteArray right = "current_form=login&next_url=%2Fwatch%2Fsm1004&mail=nico.tester%40example.com"
                             "&password=p%26s%3Dw%2Brd%25+1&login_submit=Log+In";
    const SimReply wrongPass = client_->Post(login, QByteArray(right).replace("p%26s", "p%26x"),
                                             "application/x-www-form-urlencoded");
    EXPECT_EQ(wrongPass.status, 200);
    EXPECT_FALSE(wrongPass.HasSetCookie("user_session="));
    // Unescaped, the password's "&" and "+" change its meaning: no entry.
    const SimReply raw = client_->Post(
        login, "current_form=login&mail=nico.tester@example.com&password=p&s=w+rd% 1&login_submit=Log+In");
    EXPECT_EQ(raw.status, 200);

    EXPECT_FALSE(client_->Get("http://www.nicovideo.jp/api/getflv?v=sm1004").body.contains("url="));
    const SimReply ok = client_->Post(login, right, "application/x-www-form-urlencoded");
    EXPECT_EQ(ok.status, 302);
    EXPECT_EQ(ok.location, "http://www.nicovideo.jp/watch/sm1004");
    EXPECT_TRUE(ok.HasSetCookie("user_session=user_session_"));
    const QString url = GetflvUrl(client_->Get("http://www.nicovideo.jp/api/getflv?v=sm1004").body);
    EXPECT_EQ(url, "http://smile-com00.nicovideo.jp/smile?v=1004.44");
}

TEST_F(SitesSimTest, NicoGetflvNamesEachMediaKind) {
    struct Case {
        const char* id;
        const char* url;
        const char* kind;
    } cases[] = {{"sm1001", "http://smile-com00.nicovideo.jp/smile?v=1001.11", "flv"},
                 {"sm1002", "http://smile-com00.nicovideo.jp/smile?m=1002.22", "mp4"},
                 {"sm1003", "http://smile-com00.nicovideo.jp/smile?s=1003.33", "swf"}};
    for (const Case& c : cases) {
        const SimReply reply = client_->Get(QString("http://www.nicovideo.jp/api/getflv?v=%1").arg(c.id));
        EXPECT_TRUE(reply.body.startsWith("thread_id=")) << reply.body.constData();
        EXPECT_TRUE(reply.body.contains("&url=http%3A%2F%2Fsmile-com00.nicovideo.jp%2Fsmile%3F"));
        EXPECT_EQ(GetflvUrl(reply.body), c.url);
        EXPECT_EQ(client_->Get(c.url).body, ReadFile(Sim().MediaPath(c.kind))) << c.id;
        const SimReply page = client_->Get(QString("http://www.nicovideo.jp/watch/%1").arg(c.id));
        EXPECT_EQ(page.status, 200);
        EXPECT_TRUE(page.body.contains("<title>"));
    }
    EXPECT_TRUE(client_->Get("http://www.nicovideo.jp/watch/sm1001")
                    .body.contains("<title>ニコニコ sample (flv)</title>"));
    EXPECT_FALSE(client_->Get("http://www.nicovideo.jp/api/getflv?v=sm9999").body.contains("url="));
}

TEST_F(SitesSimTest, GooglePlayerPageCarriesTheEscapedParameter) {
    const QString start = "/googleplayer.swf?videoUrl\\x3d";
    const QString end = "\\x26thumbnailUrl";
    const QString page =
        QString::fromUtf8(client_->Get("http://video.google.com/videoplay?docid=1234567890123456789").body);
    const int from = page.indexOf(start);
    const int to = page.indexOf(end);
    ASSERT_GT(from, 0);
    ASSERT_GT(to, from);
    const QString encoded = page.mid(from + start.size(), to - from - start.size());
    const QString media = QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toUtf8()));
    EXPECT_EQ(media, "http://video.google.com/videoplayback?docid=1234567890123456789&begin=0");
    EXPECT_EQ(client_->Get(media).body, ReadFile(Sim().MediaPath("flv")));
    EXPECT_TRUE(page.contains("<title>Google player clip</title>"));

    const QString tailOnly =
        QString::fromUtf8(client_->Get("http://video.google.com/videoplay?docid=2222222222222222222").body);
    EXPECT_TRUE(tailOnly.contains(end));
    EXPECT_FALSE(tailOnly.contains(start));
}

TEST_F(SitesSimTest, GoogleFramePageNamesTheFramedAddress) {
    const QString page =
        QString::fromUtf8(client_->Get("http://video.google.com/videoplay?docid=3333333333333333333").body);
    EXPECT_GT(page.indexOf("<iframe class=\"frame-iframe\" id=\"external_page\""), 0);
    const QRegularExpression frame("document\\.getElementById\\('external_page'\\)\\.src = \"(.*)\"");
    EXPECT_EQ(frame.match(page).captured(1), "http://www.youtube.com/watch?v=zvNormal001");

    const SimReply src = client_->Get(
        "http://video.google.com/url?docid=1&srcurl=http%3A%2F%2Fwww.youtube.com%2Fwatch%3Fv%3DzvNormal001");
    EXPECT_EQ(src.status, 302);
    EXPECT_EQ(src.location, "http://www.youtube.com/watch?v=zvNormal001");
}

TEST_F(SitesSimTest, UpdateHostPublishesTheVersionFileInEachForm) {
    const QString url = "http://update.quillmere.example/zorvfetch_version.ini";
    const SimReply misspelt = client_->Get(url);
    EXPECT_EQ(misspelt.status, 200);
    EXPECT_TRUE(misspelt.body.contains("[Gerneral]\r\nmajor_version=1\r\nminor_version=0\r\nbuild=9\r\n"))
        << misspelt.body.constData();

    Sim().SetPublishedVersion("2.31.7");
    Sim().SetVersionFile(VersionFileMode::Correct);
    const QByteArray correct = client_->Get(url).body;
    EXPECT_TRUE(correct.contains("[General]\r\nmajor_version=2\r\nminor_version=31\r\nbuild=7\r\n"));
    EXPECT_FALSE(correct.contains("Gerneral"));

    Sim().SetVersionFile(VersionFileMode::Missing);
    EXPECT_EQ(client_->Get(url).status, 404);
    Sim().SetVersionFile(VersionFileMode::Empty);
    const SimReply empty = client_->Get(url);
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.body.isEmpty());
}
