// NicoVideo through the site simulator: the three media kinds, signing in
// (with a password full of form delimiters) and the cookie it leaves, wrong
// credentials, and the once-per-run notice about a missing account.

#include "SiteBatchTest.h"

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "retrieval/HttpSession.h"
#include "retrieval/NicoVideoExtractor.h"

#include "support/LoopbackServer.h"
#include "support/RecordingContext.h"
#include "support/TestCertificates.h"

#include <QFileInfo>

namespace {
const QString kMail = QStringLiteral("nico.tester@example.com");
const QString kPassword = QStringLiteral("p&s=w+rd% 1"); // the simulator's account

QString Watch(const QString& id) {
    return "http://www.nicovideo.jp/watch/" + id;
}
} // namespace

using NicoBatch = SiteBatchTest;

TEST_F(NicoBatch, EachMediaKindGetsItsExtensionAndTheNoticeShowsOnce) {
    const std::vector<PostedMessage> all = RunBatch({Watch("sm1002"), Watch("sm1003"), Watch("sm1001")});

    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Statuses(all, row), (std::vector<int>{104, 105, 110})) << row; // no sign-in steps
    EXPECT_EQ(ReadFile(OutPath("NicoVideo/sm1002.mp4")), Media("mp4"));
    EXPECT_EQ(ReadFile(OutPath("NicoVideo/sm1003.swf")), Media("swf"));
    EXPECT_EQ(ReadFile(OutPath("NicoVideo/sm1001.flv")), Media("flv"));
    EXPECT_EQ(SiteFiles("NicoVideo").size(), 3);

    const std::vector<RecordingPrompts::Shown> shown = prompts_.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, LoadText(TextId::NicoVideoAccountNotice));
    EXPECT_FALSE(shown[0].text.isEmpty());
    EXPECT_EQ(shown[0].icon, UserPrompts::Icon::Information);

    // Once per run, not once per batch.
    RunBatch({Watch("sm1001")});
    EXPECT_EQ(prompts_.Messages().size(), 1u);
}

TEST_F(NicoBatch, TitleComesFromTheWatchPage) {
    worker_->SetUseTitle(1);
    RunBatch({Watch("sm1001")});
    EXPECT_EQ(worker_->Snapshot().title, QStringLiteral("ニコニコ sample (flv)"));
    EXPECT_EQ(SiteFiles("NicoVideo"), QStringList{QStringLiteral("ニコニコ sample (flv).flv")});
}

TEST_F(NicoBatch, SignInCookieOpensMembersOnlyVideo) {
    SetNicoAccount(kMail, kPassword);
    const std::vector<PostedMessage> all = RunBatch({Watch("sm1004")});

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{100, 101, 104, 105, 110}));
    EXPECT_EQ(ReadFile(OutPath("NicoVideo/sm1004.flv")), Media("flv"));
    EXPECT_TRUE(prompts_.Messages().empty()); // an account is set: no notice
    QString sessionValue;
    for (const QString& line : ExportCookies())
        if (line.contains("nicovideo.jp") && line.contains("user_session"))
            sessionValue = line.section('\t', -1);
    ASSERT_FALSE(sessionValue.isEmpty()) << ExportCookies().join('\n').toStdString();
    // Neither the password nor the session cookie's value is ever logged.
    const QString log = QString::fromUtf8(ReadFile(Path("ruzivar.log")));
    EXPECT_FALSE(log.contains(sessionValue)) << log.toStdString();
    EXPECT_FALSE(log.contains(kPassword)) << log.toStdString();
}

TEST_F(NicoBatch, MembersOnlyVideoWithoutSignInHasNoMedia) {
    const std::vector<PostedMessage> all = RunBatch({Watch("sm1004")});

    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{104, 105, 201, 201}));
    EXPECT_EQ(worker_->Snapshot().lastError, LoadText(32891));
    EXPECT_TRUE(SiteFiles("NicoVideo").isEmpty());
}

TEST_F(NicoBatch, WrongPasswordFailsTheAttemptWithoutFetchingThePage) {
    SetNicoAccount(kMail, "p&s=w+rd% 2");
    worker_->SetRetryTimes(1);
    const std::vector<PostedMessage> all = RunBatch({Watch("sm1001")});

    // Every attempt signs in again.
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{100, 204, 201, 100, 204, 201}));
    EXPECT_FALSE(worker_->Snapshot().lastError.isEmpty());
    EXPECT_TRUE(SiteFiles("NicoVideo").isEmpty());
    for (const QString& line : ExportCookies())
        EXPECT_FALSE(line.contains("user_session")) << line.toStdString();
    // The refusal is logged, the password it was given is not.
    const QString log = QString::fromUtf8(ReadFile(Path("ruzivar.log")));
    EXPECT_TRUE(log.contains("did not accept the account")) << log.toStdString();
    EXPECT_FALSE(log.contains("p&s=w+rd% 2") || log.contains("p%26s%3Dw%2Brd%25%202")) << log.toStdString();
}

TEST_F(NicoBatch, LoginAnswersZeroOnRedirectAndMinusOneOnAPage) {
    NicoVideoExtractor p;
    p.owner = worker_.get();
    EXPECT_EQ(p.Login("sm1001", kMail, kPassword), 0);
    // What the site would read from the password sent without form encoding.
    EXPECT_EQ(p.Login("sm1001", kMail, "p"), -1);
    EXPECT_EQ(p.Login("sm1001", "someone.else@example.com", kPassword), -1);

    std::vector<int> codes;
    for (const PostedMessage& m : target_.TakeAll())
        if (m.msg == UM_DOWNLOAD_STATUS)
            codes.push_back(DownloadStatus::CodeOf(m.lParam));
    EXPECT_EQ(codes, (std::vector<int>{100, 101, 100, 100}));
}

// The login form and the media interface on the wire, against loopback
// stand-ins for the two hosts.
class NicoWire : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(MakeTestCertificates(Path(), {"secure.nicovideo.jp"}, certs_));
        secure_ = std::make_unique<LoopbackServer>(certs_.certFile, certs_.keyFile);
        secure_->Raw().Post("/secure/login", [](const httplib::Request&, httplib::Response& res) {
            res.status = 302;
            res.set_header("Location", "http://www.nicovideo.jp/watch/sm9");
        });
        web_.Raw().Get("/api/getflv", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(replyMutex_);
            res.set_content(reply_, "text/plain");
        });
        Route(secure_->ConnectTo("secure.nicovideo.jp", 443));
        qputenv("ZORV_CA_BUNDLE", certs_.caFile.toUtf8());
        InitLog(Path("ruzivar.log"));
        p_.owner = &context_;
        p_.videoId = "sm9";
    }
    void TearDown() override {
        ShutdownLog();
        qunsetenv("ZORV_CONNECT_TO");
        qunsetenv("ZORV_CA_BUNDLE");
        TempDirTest::TearDown();
    }
    void Route(const QString& secureEntry) {
        qputenv("ZORV_CONNECT_TO", (secureEntry + ',' + web_.ConnectTo("www.nicovideo.jp")).toUtf8());
    }
    std::vector<int> Statuses() { return context_.TakeStatuses(); }

    TestCertificates certs_;
    std::unique_ptr<LoopbackServer> secure_;
    LoopbackServer web_;
    RecordingContext context_;
    NicoVideoExtractor p_;
    std::mutex replyMutex_;
    std::string reply_; // what the media interface answers
};

TEST_F(NicoWire, LoginFormIsFormEncoded) {
    ASSERT_EQ(p_.Login("sm9", "a+b@example.com", "p&s=w+rd% 1"), 0);
    const std::vector<RecordedRequest> sent = secure_->Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].target, "/secure/login?site=niconico");
    EXPECT_EQ(sent[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(sent[0].body, "current_form=login&next_url=%2Fwatch%2Fsm9&mail=a%2Bb%40example.com"
                            "&password=p%26s%3Dw%2Brd%25%201&login_submit=Log+In");
    EXPECT_EQ(web_.Requests().size(), 0u); // the redirect target is not fetched
    EXPECT_EQ(Statuses(), (std::vector<int>{100, 101}));
}

TEST_F(NicoWire, NetworkFailureDuringSignInEndsTheAttempt) {
    // A plain HTTP server where TLS is expected: the handshake fails.
    Route(web_.ConnectTo("secure.nicovideo.jp", 443));
    Settings().NicoUser = "nico.tester@example.com";
    Settings().NicoPasswd = "x";
    Settings().Publish();
    const int r = p_.PrepareSession();
    Settings().NicoUser.clear();
    Settings().NicoPasswd.clear();
    Settings().Publish();

    EXPECT_GT(r, TransportError::kCodeBase);
    EXPECT_EQ(Statuses(), (std::vector<int>{100, 204}));
    EXPECT_FALSE(context_.lastError.isEmpty());
}

TEST_F(NicoWire, MediaInterfaceReply) {
    auto parse = [this](const std::string& reply) {
        {
            std::lock_guard lock(replyMutex_);
            reply_ = reply;
        }
        p_.mediaUrl.clear();
        p_.extension = "flv";
        return p_.ParsePage("<title>Clip &amp; more</title>");
    };
    // Decoded, split, and rebuilt as plain "http://" + server + path.
    ASSERT_EQ(
        parse("thread_id=1&url=http%3A%2F%2Fsmile-com00.nicovideo.jp%3A8080%2Fsmile%3Fm%3D9.1&done=true"), 0);
    EXPECT_EQ(p_.mediaUrl, "http://smile-com00.nicovideo.jp/smile?m=9.1");
    EXPECT_EQ(p_.extension, "mp4");
    EXPECT_EQ(p_.title, "Clip & more");
    EXPECT_EQ(web_.Requests().back().target, "/api/getflv?v=sm9");

    ASSERT_EQ(parse("url=http://smile-com00.nicovideo.jp/smile?s=9.1&done=true"), 0);
    EXPECT_EQ(p_.extension, "swf");
    ASSERT_EQ(parse("url=http://smile-com00.nicovideo.jp/smile?v=9.1"), 0);
    EXPECT_EQ(p_.extension, "flv");
    // Another host keeps "flv" whatever the key.
    ASSERT_EQ(parse("url=http://media.example.org/smile?m=9.1"), 0);
    EXPECT_EQ(p_.extension, "flv");

    EXPECT_EQ(parse("closed=1&done=true"), -2);
    EXPECT_EQ(parse("url=not%20an%20address&url=http://smile-com00.nicovideo.jp/smile?v=1"), -2);
    EXPECT_EQ(parse(""), -2);
}
