// The YouTube extractor against the local site simulator: the preparation
// steps, the gates, sign-in and age confirmation, and whole batches of the
// download worker with its CAPTCHA wait.

#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "retrieval/DownloadWorker.h"
#include "retrieval/HttpSession.h"
#include "retrieval/YouTubeExtractor.h"
#include "sitesim/SiteSimulator.h"
#include "sitesim/YouTubeSite.h"

#include "support/LoopbackServer.h"
#include "support/PostedMessages.h"
#include "support/RecordingContext.h"
#include "support/TempDirTest.h"
#include "support/TestCertificates.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QElapsedTimer>

using namespace std::chrono_literals;

namespace {
const QString kUser = QStringLiteral("zorv.tester@example.com");
const QString kFormType = QStringLiteral("application/x-www-form-urlencoded");

QString Watch(const QString& id) {
    return "http://www.youtube.com/watch?v=" + id;
}

bool HasCookie(const char* name) {
    return ExportCookies().join('\n').contains(QLatin1Char('\t') + QLatin1String(name) + QLatin1Char('\t'));
}

void Route(const SiteSimulator& sim) {
    qputenv("ZORV_CONNECT_TO", sim.ConnectToValue().toUtf8());
    qputenv("ZORV_CA_BUNDLE", sim.CaBundlePath().toUtf8());
}
} // namespace

class YouTubeSiteTest : public TempDirTest {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        SiteSimulatorOptions options;
        options.mediaDir = dir_->filePath("media");
        sim_ = std::make_unique<SiteSimulator>(options);
        QString error;
        ASSERT_TRUE(sim_->Start(&error)) << error.toStdString();
    }
    static void TearDownTestSuite() {
        sim_.reset();
        dir_.reset();
    }
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(sim_);
        Route(*sim_);
        ClearCookies(); // every test meets the site as a stranger
        InitLog(Path("ruzivar.log"));
        Settings().YoutubeFMT = 1;
        Settings().Publish();
        p_.owner = &context_;
    }
    void TearDown() override {
        ShutdownLog();
        Settings().YoutubeFMT = 1;
        Settings().Publish();
        qunsetenv("ZORV_CONNECT_TO");
        qunsetenv("ZORV_CA_BUNDLE");
        TempDirTest::TearDown();
    }
    static QByteArray Served(const char* kind) { return ReadFile(sim_->MediaPath(kind)); }

    static std::unique_ptr<QTemporaryDir> dir_;
    static std::unique_ptr<SiteSimulator> sim_;
    RecordingContext context_;
    YouTubeExtractor p_;
};

std::unique_ptr<QTemporaryDir> YouTubeSiteTest::dir_;
std::unique_ptr<SiteSimulator> YouTubeSiteTest::sim_;

// Whole batches of the download worker against the simulated site.
class YouTubeWorkerTest : public YouTubeSiteTest {
  protected:
    void SetUp() override {
        YouTubeSiteTest::SetUp();
        worker_ = std::make_shared<DownloadWorker>(&target_);
        worker_->SetOutputFolder(Path("out"));
        worker_->SetUseTitle(1);
    }
    void TearDown() override {
        worker_->Stop();
        worker_.reset();
        YouTubeSiteTest::TearDown();
    }

    // Notifications of a batch until it ends, added to `all`.
    void Collect(std::deque<PostedMessage>& all, std::chrono::milliseconds limit = 20s) {
        EXPECT_TRUE(CollectUntilBatchEnds(target_, all, limit));
    }
    bool WaitForStatus(int code, std::deque<PostedMessage>& all) {
        return CollectUntil(target_, all, [code](const PostedMessage& m) {
            return m.msg == UM_DOWNLOAD_STATUS && DownloadStatus::CodeOf(m.lParam) == code;
        });
    }
    bool WaitingForDialog() const { return worker_->Snapshot().waitingForDialog; }
    QStringList SiteFiles() const { return QDir(Path("out/YouTube")).entryList(QDir::Files | QDir::Hidden); }

    QueueMessageTarget target_;
    std::shared_ptr<DownloadWorker> worker_;
};

TEST_F(YouTubeSiteTest, ResolvesTitleAndPreferredStream) {
    Settings().YTUser = kUser;
    Settings().YTPasswd = "secret";
    Settings().Publish();
    p_.pageUrl = Watch("zvPlusAmp01");
    EXPECT_EQ(p_.GetVideoId(), "zvPlusAmp01");
    ASSERT_EQ(p_.Resolve(), 0) << context_.lastError.toStdString();

    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{112, 104, 105}));
    // The page step says it reads a page, not that a video was downloaded.
    EXPECT_EQ(context_.statusTexts, (QStringList{"", "Reading the video page...", "Video page read"}));
    // The title comes from the information reply; the row shows it.
    EXPECT_EQ(context_.titles, QStringList{"C++ tips & \"tricks\" <1>"});
    // "%20" is a space there, while a "+" is itself.
    EXPECT_EQ(p_.title, "C++ tips & \"tricks\" <1>");
    // List 1 prefers 18; the entry's second itag field is cut off.
    EXPECT_TRUE(p_.mediaUrl.startsWith(YouTubeSite::MediaAddress("zvPlusAmp01", 18) + "&"))
        << p_.mediaUrl.toStdString();
    EXPECT_EQ(p_.mediaUrl.count("&itag="), 1);
    EXPECT_TRUE(HasCookie("PREF")); // the language step's lasting effect
    EXPECT_EQ(p_.user, kUser);      // kept, though no step sends them
    EXPECT_EQ(p_.password, "secret");
    Settings().YTUser.clear();
    Settings().YTPasswd.clear();
    Settings().Publish();
}

TEST_F(YouTubeSiteTest, UnreachableHostsFailEachStepWithItsResult) {
    // Nothing listens on port 1: every connection is refused.
    qputenv("ZORV_CONNECT_TO", "www.youtube.com:80:127.0.0.1:1,accounts.google.com:443:127.0.0.1:1");
    const int refused = TransportError::kCodeBase + CURLE_COULDNT_CONNECT;
    p_.pageUrl = Watch("zvNormal001");
    p_.GetVideoId();
    EXPECT_EQ(p_.SetLanguage(), DownloadStatus::Error206);
    EXPECT_EQ(p_.Resolve(), -1); // the watch page could not be fetched
    EXPECT_EQ(p_.Login(QString(), kUser, "x"), refused);
    EXPECT_EQ(p_.ConfirmAgeVerify(), refused);
    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{112, 112, 100, 102}));

    const QString log = QString::fromUtf8(ReadFile(Path("ruzivar.log")));
    for (const char* label : {"SetLanguage", "Login", "ConfirmAgeVerify"})
        EXPECT_TRUE(log.contains(QStringLiteral("%1() Exception [%2]: ").arg(label).arg(refused))) << label;
}

TEST_F(YouTubeSiteTest, TitleFallsBackThroughTheInformationRequests) {
    p_.pageUrl = Watch("zvDetailPg1"); // answers only with "&el=detailpage"
    p_.GetVideoId();
    ASSERT_EQ(p_.Resolve(), 0);
    EXPECT_EQ(p_.title, "Information on detail page only");

    YouTubeExtractor refused;
    refused.owner = &context_;
    refused.pageUrl = Watch("zvInfoFail1"); // no information reply at all
    refused.GetVideoId();
    ASSERT_EQ(refused.Resolve(), 0);
    EXPECT_TRUE(refused.title.isEmpty());
    EXPECT_TRUE(refused.mediaUrl.startsWith(YouTubeSite::MediaAddress("zvInfoFail1", 34) + "&"));
}

TEST_F(YouTubeSiteTest, ShortLinkResolves) {
    p_.pageUrl = "http://youtu.be/zvNormal001";
    EXPECT_EQ(p_.GetVideoId(), "zvNormal001");
    ASSERT_EQ(p_.Resolve(), 0);
    EXPECT_EQ(p_.title, "Zorv sample clip");
    EXPECT_TRUE(p_.mediaUrl.startsWith(YouTubeSite::MediaAddress("zvNormal001", 18) + "&"));
}

TEST_F(YouTubeSiteTest, CaptchaPageHandsItsAddressToTheWorker) {
    p_.pageUrl = Watch("zvCaptcha01");
    p_.GetVideoId();
    EXPECT_EQ(p_.Resolve(), 207);

    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{112, 207})); // no page fetch after a gate
    // What the window reads with 207: the dialog's address, not yet the text.
    ASSERT_EQ(context_.atStatus.size(), 2u);
    EXPECT_EQ(context_.atStatus[1].captchaAddress,
              "http://www.youtube.com/das_captcha?next=%2Fwatch%3Fv%3DzvCaptcha01");
    EXPECT_TRUE(context_.atStatus[1].lastError.isEmpty());
    EXPECT_EQ(context_.lastError, "Please input the verification code and try again.");
    EXPECT_TRUE(context_.signInAddress.isEmpty());
}

TEST_F(YouTubeSiteTest, AgeGateAsksForSignInAndConfirmationOpensIt) {
    p_.videoId = "zvAgeGate01";
    EXPECT_EQ(p_.Step1_GetVideoWebPage(), 208);
    EXPECT_EQ(context_.TakeStatuses(), std::vector<int>{208});
    EXPECT_EQ(context_.signInAddress,
              "https://accounts.google.com/accounts/ServiceLogin?uilel=3&service=youtube&passive=true"
              "&continue=http%3A%2F%2Fwww.youtube.com%2Fsignin%3Faction_handle_signin%3Dtrue"
              "%26nomobiletemp%3D1%26hl%3Den_US%26");
    EXPECT_EQ(context_.lastError,
              "To view this video, please verify you are 18 or older by signing in or signing up.");
    EXPECT_TRUE(context_.captchaAddress.isEmpty());
    EXPECT_TRUE(p_.streamMap.isEmpty());

    EXPECT_EQ(p_.ConfirmAgeVerify(), 0);
    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{102, 103}));
    EXPECT_EQ(p_.Step1_GetVideoWebPage(), 0);
    EXPECT_TRUE(p_.streamMap.contains("itag=34"));
}

TEST_F(YouTubeSiteTest, LoginWithAPasswordFullOfFormCharacters) {
    const QString password = QStringLiteral("&=+% ");
    SiteSimulatorOptions options;
    options.mediaDir = dir_->filePath("media");
    options.youTubeUser = kUser;
    options.youTubePassword = password;
    SiteSimulator sim(options);
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    Route(sim);

    // A refused sign-in is a page: no 101, no session cookie.
    EXPECT_EQ(p_.Login("zvAgeGate01", kUser, "&=+%"), 0);
    EXPECT_EQ(context_.TakeStatuses(), std::vector<int>{100});
    EXPECT_FALSE(HasCookie("LOGIN_INFO"));

    EXPECT_EQ(p_.Login("zvAgeGate01", kUser, password), 0);
    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{100, 101}));
    EXPECT_TRUE(HasCookie("LOGIN_INFO"));
    // Signed in, the age gate lets the video through.
    p_.videoId = "zvAgeGate01";
    EXPECT_EQ(p_.Step1_GetVideoWebPage(), 0);
}

TEST_F(YouTubeSiteTest, FormPostsAreEncodedAndTyped) {
    TestCertificates certs;
    ASSERT_TRUE(MakeTestCertificates(Path(), {"accounts.google.com"}, certs));
    LoopbackServer accounts(certs.certFile, certs.keyFile);
    LoopbackServer web;
    accounts.Raw().Post("/accounts/ClientLogin", [](const httplib::Request&, httplib::Response& res) {
        res.status = 403;
        res.set_content("Error=BadAuthentication\n", "text/plain");
    });
    web.Raw().Post("/verify_age", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html></html>", "text/html");
    });
    qputenv(
        "ZORV_CONNECT_TO",
        (accounts.ConnectTo("accounts.google.com", 443) + ',' + web.ConnectTo("www.youtube.com")).toUtf8());
    qputenv("ZORV_CA_BUNDLE", certs.caFile.toUtf8());

    EXPECT_EQ(p_.Login(QString(), "a+b@example.com", "p&s=w+rd% 1"), 0);
    ASSERT_EQ(accounts.Requests().size(), 1u);
    const RecordedRequest login = accounts.Requests().front();
    EXPECT_EQ(login.method, "POST");
    EXPECT_EQ(login.body,
              "Email=a%2Bb%40example.com&Passwd=p%26s%3Dw%2Brd%25%201&service=youtube&source=Tallowgrove");
    EXPECT_EQ(login.Header("Content-Type"), kFormType.toStdString());

    EXPECT_EQ(p_.ConfirmAgeVerify(), 0); // a page, not a redirect: no 103
    ASSERT_EQ(web.Requests().size(), 1u);
    const RecordedRequest confirm = web.Requests().front();
    EXPECT_EQ(confirm.target, "/verify_age?next_url=/&gl=US&hl=en");
    EXPECT_EQ(confirm.body, "next_url=/&action_confirm=Confirm");
    EXPECT_EQ(confirm.Header("Content-Type"), kFormType.toStdString());
    EXPECT_EQ(context_.TakeStatuses(), (std::vector<int>{100, 102}));
}

TEST_F(YouTubeWorkerTest, WorkerDownloadsNamedByTitleOrByIdWithoutOne) {
    worker_->Enqueue(Watch("zvNormal001"), 0);
    worker_->Enqueue(Watch("zvInfoFail1"), 1);
    ASSERT_TRUE(worker_->Start());
    std::deque<PostedMessage> all;
    Collect(all);

    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{112, 104, 105, 110}));
    EXPECT_EQ(Statuses(all, 1), (std::vector<int>{112, 104, 105, 110}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 2);
    EXPECT_EQ(Count(all, UM_DOWNLOAD_TITLE), 1); // only the first has a title to show
    // Itag 18 (MP4) is preferred and names the file; itag 34 is FLV.
    EXPECT_EQ(ReadFile(Path("out/YouTube/Zorv sample clip.mp4")), Served("mp4"));
    EXPECT_EQ(ReadFile(Path("out/YouTube/zvInfoFail1.flv")), Served("flv"));
    EXPECT_EQ(SiteFiles().size(), 2);
    const std::optional<DownloadWorker::ItemState> first = worker_->RowSnapshot(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->site, YOUTUBE);
    EXPECT_EQ(first->title, "Zorv sample clip");
    EXPECT_TRUE(first->mediaAddress.startsWith(YouTubeSite::MediaAddress("zvNormal001", 18) + "&"));
}

TEST_F(YouTubeWorkerTest, WorkerNamesByIdAndFailsAnAddressWithoutOne) {
    worker_->SetUseTitle(0);
    Settings().YoutubeFMT = 0; // neither 34 nor 18 listed: the first stream
    Settings().Publish();
    worker_->Enqueue(Watch("zvNormal001") + "&feature=related", 0);
    worker_->Enqueue("http://www.youtube.com/user/zorvtester", 1);
    ASSERT_TRUE(worker_->Start());
    std::deque<PostedMessage> all;
    Collect(all);

    EXPECT_EQ(ReadFile(Path("out/YouTube/zvNormal001.flv")), Served("flv"));
    // The id "youtube" names no video: the watch page has no stream map.
    EXPECT_EQ(Statuses(all, 1), (std::vector<int>{112, 201}));
    EXPECT_EQ(worker_->RowSnapshot(1)->lastError, "can't retrieve video file location from html file.");
    EXPECT_EQ(SiteFiles(), QStringList{"zvNormal001.flv"});
}

TEST_F(YouTubeWorkerTest, WorkerWaitsForTheCaptchaDialogAndRetries) {
    worker_->SetUseTitle(0);
    worker_->Enqueue(Watch("zvCaptcha01"), 2); // retryTimes 0: only the dialog earns a retry
    ASSERT_TRUE(worker_->Start());
    std::deque<PostedMessage> all;
    ASSERT_TRUE(WaitForStatus(207, all));
    const std::optional<DownloadWorker::ItemState> at207 = worker_->RowSnapshot(2);
    ASSERT_TRUE(at207);
    EXPECT_TRUE(at207->captchaAddress.startsWith("http://www.youtube.com/das_captcha?next="));
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); }));
    EXPECT_TRUE(target_.TakeAll().empty()); // nothing more until the dialog closes

    // The user solves the CAPTCHA in the dialog; the session shares its cookie.
    CVideoDownloader browser(nullptr);
    std::unique_ptr<TransportResponse> response;
    QString location;
    ASSERT_EQ(browser.RequestHTTP(at207->captchaAddress.section('?', 0, 0), response, location, "POST",
                                  QString("next=%2Fwatch%3Fv%3DzvCaptcha01&response=zorv"),
                                  "Content-Type: " + kFormType),
              302);
    worker_->DialogClosed(BrowserDialog::Captcha);
    Collect(all);

    EXPECT_EQ(Statuses(all, 2), (std::vector<int>{112, 207, 112, 104, 105, 110}));
    EXPECT_EQ(Count(all, UM_DOWNLOAD_RETRY), 1);
    EXPECT_EQ(all.back().msg, UM_DOWNLOAD_ALL_DONE);
    EXPECT_EQ(ReadFile(Path("out/YouTube/zvCaptcha01.mp4")), Served("mp4"));
}

TEST_F(YouTubeWorkerTest, StopWakesTheWorkerWaitingForTheCaptchaDialog) {
    worker_->Enqueue(Watch("zvCaptcha01"), 0);
    worker_->Enqueue(Watch("zvNormal001"), 1);
    ASSERT_TRUE(worker_->Start());
    std::deque<PostedMessage> all;
    ASSERT_TRUE(WaitForStatus(207, all));
    ASSERT_TRUE(WaitFor([this] { return WaitingForDialog(); }));

    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(worker_->Stop());
    EXPECT_LT(timer.elapsed(), DownloadWorker::kStopDeadlineMs); // woken, not abandoned
    EXPECT_FALSE(worker_->IsRunning());
    for (const PostedMessage& m : target_.TakeAll())
        all.push_back(m);
    EXPECT_EQ(Statuses(all, 0), (std::vector<int>{112, 207, 111}));
    EXPECT_TRUE(Statuses(all, 1).empty()); // the batch ended there
    EXPECT_EQ(Count(all, UM_DOWNLOAD_STOPPED), 2);
    EXPECT_TRUE(SiteFiles().isEmpty());
}
