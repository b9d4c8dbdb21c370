// The YouTube host as a downloader meets it: language redirect, watch pages
// and their stream maps, the information interface, and the gates.

#include "SimFixture.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const char* kWatch = "http://www.youtube.com/watch?v=%1&gl=US&hl=en&amp;has_verified=1";
const char* kInfo = "http://www.youtube.com/get_video_info?&video_id=%1%2&ps=default&eurl=&gl=US&hl=en";

QString WatchUrl(const QString& id) {
    return QString(kWatch).arg(id);
}

QString StreamMap(const QByteArray& page, const char* key = "url_encoded_fmt_stream_map") {
    const QRegularExpression re(QString("\"%1\":\\s*\"([^\"]*)").arg(key));
    return re.match(QString::fromUtf8(page)).captured(1);
}

// Each entry's media address by itag: fields split at the JSON-escaped "&",
// then each value unescaped.
QMap<int, QString> StreamAddresses(const QString& map) {
    QMap<int, QString> out;
    for (const QString& entry : map.split(',')) {
        QString url;
        int itag = 0;
        for (const QString& field : entry.split("\\u0026")) {
            const QString value = SimFixture::UnescapeText(field);
            if (value.startsWith("url="))
                url = value.mid(4);
            else if (value.startsWith("itag="))
                itag = value.mid(5).toInt();
        }
        out.insert(itag, url);
    }
    return out;
}

} // namespace

class YouTubeSimTest : public SimFixture {};

TEST_F(YouTubeSimTest, LanguageRequestRedirectsWithPreferenceCookie) {
    const SimReply r =
        client_->Get("http://www.youtube.com/?hl=en&persist_hl=1&gl=US&persist_gl=1&opt_out_ackd=1");
    EXPECT_EQ(r.code, CURLE_OK);
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(r.location, "http://www.youtube.com/");
    EXPECT_TRUE(r.HasSetCookie("PREF=")) << r.headers.constData();
    EXPECT_EQ(client_->Get(r.location).status, 200);
}

TEST_F(YouTubeSimTest, WatchPageStreamMapIsJsonEscapedAndPointsAtTheMedia) {
    const SimReply r = client_->Get(WatchUrl("zvNormal001"));
    ASSERT_EQ(r.status, 200);
    EXPECT_TRUE(r.body.contains("<title>Zorv sample clip - YouTube</title>"));
    const QString map = StreamMap(r.body);
    ASSERT_FALSE(map.isEmpty()) << r.body.constData();
    EXPECT_TRUE(map.contains("\\u0026itag=34")) << map.toStdString();
    EXPECT_TRUE(map.contains("\\u0026itag=18"));
    EXPECT_TRUE(map.contains("\\/"));
    EXPECT_FALSE(map.contains('&')) << "a raw ampersand would end the entry for a client";

    const QMap<int, QString> streams = StreamAddresses(map);
    ASSERT_TRUE(streams.contains(34) && streams.contains(18));
    EXPECT_TRUE(streams[34].startsWith("http://www.youtube.com/videoplayback?id=zvNormal001&itag=34"));
    // Decoded, the whole entry must still be a usable address: no spaces or quotes.
    for (const QString& entry : map.split(','))
        EXPECT_FALSE(UnescapeText(entry).contains(QRegularExpression("[ \"<>]"))) << entry.toStdString();
    const SimReply flv = client_->Get(streams[34]);
    EXPECT_EQ(flv.status, 200);
    EXPECT_EQ(flv.body, ReadFile(Sim().MediaPath("flv")));
    const SimReply mp4 = client_->Get(streams[18]);
    EXPECT_EQ(mp4.body, ReadFile(Sim().MediaPath("mp4")));
    EXPECT_EQ(mp4.Header("Content-Type"), "video/mp4");
}

TEST_F(YouTubeSimTest, OlderPagesUseTheOlderKeyAndForms) {
    const SimReply old = client_->Get(WatchUrl("zvOldMap001"));
    EXPECT_TRUE(StreamMap(old.body).isEmpty());
    const QString oldMap = StreamMap(old.body, "fmt_url_map");
    EXPECT_TRUE(oldMap.startsWith("url=http")) << oldMap.toStdString();

    const QString pipeMap = StreamMap(client_->Get(WatchUrl("zvOldPipe01")).body, "fmt_url_map");
    EXPECT_TRUE(
        pipeMap.startsWith("34|http:\\/\\/www.youtube.com\\/videoplayback?id=zvOldPipe01\\u0026itag=34"))
        << pipeMap.toStdString();
    EXPECT_TRUE(pipeMap.contains(",18|http:"));
}

TEST_F(YouTubeSimTest, UnknownVideoPageHasNoStreamMap) {
    const SimReply r = client_->Get(WatchUrl("zvUnknown00"));
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(r.body.contains("fmt_url_map"));
    EXPECT_FALSE(r.body.contains("fmt_stream_map"));
    EXPECT_EQ(client_->Get("http://www.youtube.com/videoplayback?id=zvUnknown00&itag=34").status, 404);
}

TEST_F(YouTubeSimTest, ShortLinkRedirectsToTheWatchPage) {
    const SimReply r = client_->Get("http://youtu.be/zvNormal001");
    EXPECT_EQ(r.status, 301);
    EXPECT_TRUE(r.location.startsWith("http://www.youtube.com/watch?v=zvNormal001"));
}

TEST_F(YouTubeSimTest, VideoInfoCarriesTokenAndTitleEncodedTheSiteWay) {
    const QRegularExpression token("(?m)&token=([^&]+)(?:&|$)");
    const QRegularExpression title("(?m)&title=([^&]+)(?:&|$)");
    struct Case {
        const char* id;
        const char* title;
    } cases[] = {{"zvPlusAmp01", "C++ tips & \"tricks\" <1>"},
                 {"zvUnicode01", "Ünïcödé 日本語 clip"},
                 {"zvPathChr01", "a:b/c?"}};
    for (const Case& c : cases) {
        const QString reply = QString::fromUtf8(client_->Get(QString(kInfo).arg(c.id, "&el=embedded")).body);
        EXPECT_TRUE(reply.startsWith("status=ok&")) << reply.toStdString();
        EXPECT_TRUE(token.match(reply).hasMatch()) << reply.toStdString();
        const QString raw = title.match(reply).captured(1);
        EXPECT_FALSE(raw.contains(' '));
        EXPECT_EQ(QString::fromUtf8(QByteArray::fromPercentEncoding(raw.toUtf8())),
                  QString::fromUtf8(c.title));
    }
    EXPECT_TRUE(
        QString(client_->Get(QString(kInfo).arg("zvPlusAmp01", "")).body).contains("title=C++%20tips"));
}

TEST_F(YouTubeSimTest, VideoInfoRefusalsHaveNoToken) {
    for (const char* id : {"zvUnknown00", "zvInfoFail1"}) {
        const QByteArray reply = client_->Get(QString(kInfo).arg(id, "&el=embedded")).body;
        EXPECT_TRUE(reply.startsWith("status=fail")) << id;
        EXPECT_FALSE(reply.contains("&token="));
    }
    EXPECT_FALSE(client_->Get(QString(kInfo).arg("zvDetailPg1", "&el=embedded")).body.contains("&token="));
    EXPECT_TRUE(client_->Get(QString(kInfo).arg("zvDetailPg1", "&el=detailpage")).body.contains("&token="));
}

TEST_F(YouTubeSimTest, CaptchaRedirectsUntilTheWordIsGiven) {
    const SimReply gate = client_->Get(WatchUrl("zvCaptcha01"));
    EXPECT_EQ(gate.status, 302);
    EXPECT_TRUE(gate.location.contains("das_captcha")) << gate.location.toStdString();
    const SimReply page = client_->Get(gate.location);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("name=\"response\""));

    const SimReply wrong =
        client_->Post("http://www.youtube.com/das_captcha", "next=%2Fwatch%3Fv%3DzvCaptcha01&response=nope");
    EXPECT_EQ(wrong.status, 200);
    EXPECT_EQ(client_->Get(WatchUrl("zvCaptcha01")).status, 302);

    const SimReply solved =
        client_->Post("http://www.youtube.com/das_captcha", "next=%2Fwatch%3Fv%3DzvCaptcha01&response=zorv");
    EXPECT_EQ(solved.status, 302);
    EXPECT_EQ(solved.location, "http://www.youtube.com/watch?v=zvCaptcha01");
    const SimReply watch = client_->Get(WatchUrl("zvCaptcha01"));
    EXPECT_EQ(watch.status, 200);
    EXPECT_FALSE(StreamMap(watch.body).isEmpty());
}

TEST_F(YouTubeSimTest, GatesNeverRedirectOffTheSite) {
    const SimReply r =
        client_->Post("http://www.youtube.com/das_captcha", "next=http://evil.example/&response=zorv");
    EXPECT_EQ(r.location, "http://www.youtube.com/");
    const SimReply age =
        client_->Post("http://www.youtube.com/verify_age", "next_url=//evil.example/&action_confirm=1");
    EXPECT_EQ(age.location, "http://www.youtube.com/");
}

TEST_F(YouTubeSimTest, AgeGateOpensAfterConfirmation) {
    const SimReply gate = client_->Get(WatchUrl("zvAgeGate01"));
    EXPECT_EQ(gate.status, 302);
    EXPECT_TRUE(gate.location.contains("verify_age"));
    EXPECT_TRUE(client_->Get(gate.location).body.contains("accounts.google.com/accounts/ServiceLogin"));

    const SimReply confirm = client_->Post("http://www.youtube.com/verify_age?next_url=/&gl=US&hl=en",
                                           "next_url=/&action_confirm=Confirm");
    EXPECT_EQ(confirm.status, 302);
    EXPECT_TRUE(confirm.HasSetCookie("is_adult="));
    EXPECT_EQ(client_->Get(WatchUrl("zvAgeGate01")).status, 200);
}

TEST_F(YouTubeSimTest, AgeGateOpensAfterSignInThroughTheAccountsHost) {
    const QString login = "https://accounts.google.com/accounts/ServiceLogin";
    const QByteArray cont = "continue=http%3A%2F%2Fwww.youtube.com%2Fsignin%3Faction_handle_signin%3Dtrue%26";
    EXPECT_EQ(client_->Get(login + "?service=youtube&" + cont).status, 200);
    const SimReply bad = client_->Post(login, cont + "&Email=zorv.tester%40example.com&Passwd=wrong");
    EXPECT_EQ(bad.status, 200);
    EXPECT_TRUE(bad.body.contains("incorrect"));

    const SimReply good = client_->Post(login, cont + "&Email=zorv.tester%40example.com&Passwd=yt-secret-42",
                                        "application/x-www-form-urlencoded");
    ASSERT_EQ(good.status, 302);
    EXPECT_TRUE(good.location.startsWith("http://www.youtube.com/signin?action_handle_signin=true&auth="));
    const SimReply handOver = client_->Get(good.location);
    EXPECT_EQ(handOver.status, 302);
    EXPECT_TRUE(handOver.HasSetCookie("LOGIN_INFO="));
    EXPECT_EQ(client_->Get(WatchUrl("zvAgeGate01")).status, 200);
}

TEST_F(YouTubeSimTest, ClientLoginRedirectsOnlyForTheRightAccount) {
    const QString url = "https://accounts.google.com/accounts/ClientLogin";
    const SimReply bad =
        client_->Post(url, "Email=zorv.tester@example.com&Passwd=nope&service=youtube&source=Tallowgrove");
    EXPECT_EQ(bad.status, 403);
    EXPECT_TRUE(bad.body.startsWith("Error=BadAuthentication"));
    const SimReply good = client_->Post(
        url, "Email=zorv.tester@example.com&Passwd=yt-secret-42&service=youtube&source=Tallowgrove");
    EXPECT_EQ(good.status, 302);
    EXPECT_EQ(client_->Get(good.location).status, 302);
    EXPECT_EQ(client_->Get(WatchUrl("zvAgeGate01")).status, 200);
}
