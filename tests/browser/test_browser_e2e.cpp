// The CAPTCHA and sign-in dialogs in a real browser on a real X display, with
// the site simulator's pages: when each closes itself, and that what the
// browser receives reaches the downloader's own requests.
#include "app/MainWindowFixture.h"
#include "browser/webgui/BrowserDlg.h"
#include "browser/webgui/CookieBridge.h"
#include "browser/webgui/WebEngineSetup.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/HttpSession.h"
#include "sitesim/YouTubeGates.h"
#include "support/TestCertificates.h"

#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"

#include <QDesktopServices>
#include <QLabel>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

namespace {

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);
// The web engine shares its drawing contexts with the application's.
const bool g_sharedContexts = (QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts), true);

const QString kCaptchaPage =
    QStringLiteral("http://www.youtube.com/das_captcha?next=%2Fwatch%3Fv%3DzvCaptcha01");

void ImportJarCookie(const QString& line) {
    ImportCookie(line);
}

// Types the simulator's word into its CAPTCHA form and sends it.
void SolveCaptcha(QWebEngineView& view) {
    view.page()->runJavaScript(QStringLiteral("document.querySelector('input[name=response]').value = '%1';"
                                              "document.forms[0].submit();")
                                   .arg(QLatin1String(YouTubeGates::kCaptchaWord)));
}

// How the page area of a saved picture looks: the simulator's pages are
// black text on white, so a drawn page is mostly white with dark strokes.
struct PageLook {
    int pixels = 0;
    int white = 0;
    int dark = 0;
};
PageLook LookOfPage(const QString& picture, const QRect& page) {
    const QImage image(qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/screenshots/") +
                       picture);
    PageLook look;
    const QRect area = page.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ++look.pixels;
            if (c.rgb() == qRgb(255, 255, 255))
                ++look.white;
            else if (c.lightness() < 80)
                ++look.dark;
        }
    return look;
}

} // namespace

TEST(BrowserRules, CompletionAddresses) {
    const struct {
        const char* address;
        bool leavesCaptcha, signInHome;
    } cases[] = {
        {"http://www.youtube.com/das_captcha?next=%2Fwatch", false, false},
        {"about:blank", false, false},
        {"javascript:void(0)", false, false},
        {"http://www.youtube.com/watch?v=zvCaptcha01", true, false},
        {"http://www.youtube.com/", true, true},
        {"http://www.youtube.com/index?gl=US&hl=ja", true, true},
        {"http://www.youtube.com/index?gl=US&hl=en", true, false},
        {"https://www.youtube.com/", true, false},
        {"http://www.youtube.com/DAS_CAPTCHA", true, false}, // the tests are case-sensitive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(CCaptchaDlg::LeavesCaptcha(QLatin1String(c.address)), c.leavesCaptcha);
        EXPECT_EQ(CSignInDlg::IsHomeAfterSignIn(QLatin1String(c.address)), c.signInHome);
    }
}

TEST(BrowserRules, HostRoutingFollowsTheDownloadersRouting) {
    EXPECT_EQ(
        HostResolverRules(QStringLiteral("www.youtube.com:80:127.0.0.1:4100,"
                                         "accounts.google.com:443:127.0.0.1:4101")),
        QStringLiteral("MAP www.youtube.com:80 127.0.0.1:4100, MAP accounts.google.com:443 127.0.0.1:4101"));
    // Entries for any host, or of another shape, are not routes the browser can take.
    EXPECT_EQ(HostResolverRules(QStringLiteral("::127.0.0.1:4100,a.example:80:b.example,x:y:z:1")),
              QString());
}

TEST(BrowserRules, CookiesCrossBetweenJarAndBrowser) {
    const struct {
        const char* line;
        const char* domain; // of the browser cookie; empty: bound to its origin
        const char* origin;
        bool httpOnly, secure;
        qint64 expiry;
    } cases[] = {
        {".youtube.com\tTRUE\t/\tFALSE\t0\tcaptcha_ok\tt0k", ".youtube.com", "http://youtube.com/", false,
         false, 0},
        {"#HttpOnly_www.youtube.com\tFALSE\t/watch\tTRUE\t2000000000\tLOGIN_INFO\tv=1", "",
         "https://www.youtube.com/", true, true, 2000000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<BrowserCookie> cookie = CookieFromJarLine(QString::fromUtf8(c.line));
        ASSERT_TRUE(cookie.has_value());
        EXPECT_EQ(cookie->cookie.domain(), QLatin1String(c.domain));
        EXPECT_EQ(cookie->origin.toString(), QLatin1String(c.origin));
        EXPECT_EQ(cookie->cookie.isHttpOnly(), c.httpOnly);
        EXPECT_EQ(cookie->cookie.isSecure(), c.secure);
        EXPECT_EQ(cookie->cookie.isSessionCookie(), c.expiry == 0);
        // The browser reports a host-only cookie with its host as the domain.
        QNetworkCookie reported = cookie->cookie;
        if (reported.domain().isEmpty())
            reported.setDomain(cookie->origin.host());
        EXPECT_EQ(JarLineFromCookie(reported), QString::fromUtf8(c.line));
    }
    for (const char* bad :
         {"# Netscape HTTP Cookie File", "", "a\tb\tc", ".x.com\tTRUE\t/\tFALSE\tsoon\tn\tv"})
        EXPECT_FALSE(CookieFromJarLine(QString::fromUtf8(bad)).has_value()) << bad;
    QNetworkCookie smuggled("n", "v\tw");
    smuggled.setDomain(QStringLiteral(".x.com"));
    EXPECT_EQ(JarLineFromCookie(smuggled), QString());
    EXPECT_TRUE(JarLineFromCookie(QNetworkCookie("n", "v"), true).isEmpty()); // no domain
}

TEST(BrowserRules, PagesStayOnTheSitesTheProgramOpened) {
    const struct {
        const char* host;
        const char* site;
    } sites[] = {{"www.youtube.com", "youtube.com"},
                 {"accounts.google.com", "google.com"},
                 {"a.b.example.co.uk", "example.co.uk"},
                 {"youtube.com", "youtube.com"},
                 {"127.0.0.1", "127.0.0.1"},
                 {"localhost", "localhost"}};
    for (const auto& c : sites)
        EXPECT_EQ(BrowserDlg::SiteOf(QLatin1String(c.host)), QLatin1String(c.site)) << c.host;
    const QStringList youtube{QStringLiteral("youtube.com")};
    const struct {
        const char* address;
        bool onSite, routed;
    } pages[] = {
        {"http://www.youtube.com/watch", true, true},
        {"https://m.youtube.com/", true, false},
        {"http://youtube.com/", true, false},
        {"ftp://www.youtube.com/", false, false},
        {"http://evil.example/", false, false},
        {"http://youtube.com.evil.example/", false, false},
        {"http://notyoutube.com/", false, false},
        {"http://www.youtube.com:8080/", true, false},
        {"http://127.0.0.1:4100/members/x", false, true},
    };
    const QString routes =
        QStringLiteral("www.youtube.com:80:127.0.0.1:4100,www.youtube.com:443:127.0.0.1:4101");
    for (const auto& c : pages) {
        EXPECT_EQ(BrowserDlg::OnSites(QUrl(QLatin1String(c.address)), youtube), c.onSite) << c.address;
        EXPECT_EQ(RoutedOrLocal(QUrl(QLatin1String(c.address)), routes), c.routed) << c.address;
    }
}

// The handler accepts a certificate the engine refused only when the extra
// authorities alone vouch for it, never one an authority of the system's
// (here: one in Qt's default set) signed.
TEST(BrowserRules, OnlyTheExtraAuthoritiesVouchForACertificate) {
    QTemporaryDir extraDir, systemDir;
    TestCertificates extra, system;
    ASSERT_TRUE(MakeTestCertificates(extraDir.path(), {QStringLiteral("accounts.google.com")}, extra));
    ASSERT_TRUE(MakeTestCertificates(systemDir.path(), {QStringLiteral("accounts.google.com")}, system));
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(system.caFile);
    QSslConfiguration::setDefaultConfiguration(config);
    const QList<QSslCertificate> authorities = QSslCertificate::fromPath(extra.caFile);
    const struct {
        QString certFile;
        const char* host;
        bool trusted;
    } cases[] = {
        {extra.certFile, "accounts.google.com", true},
        {extra.certFile, "evil.example", false},
        {system.certFile, "accounts.google.com", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.certFile.toStdString() + " " + c.host);
        const QList<QSslCertificate> chain = QSslCertificate::fromPath(c.certFile);
        ASSERT_EQ(chain.size(), 1);
        EXPECT_EQ(TrustedChain(chain, QLatin1String(c.host), authorities), c.trusted);
    }
}

class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public Q_SLOTS:
    void Open(const QUrl& url) { urls << url; }
};

class BrowserDialogs : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ClearCookies();
        PrepareWebEngine(sim_->ConnectToValue());
    }
    void TearDown() override {
        SetRunningAsRootForTests(std::nullopt);
        MainWindowFixture::TearDown();
    }
    WebDialogRequest Request(const QString& start) const {
        WebDialogRequest request;
        request.startAddress = start;
        request.caption = QStringLiteral("Browser");
        request.exportCookies = &ExportCookies;
        request.importCookie = &ImportJarCookie;
        request.connectTo = sim_->ConnectToValue();
        request.refusedAsRootText = LoadText(TextId::BrowserRefusedAsRoot);
        return request;
    }
    // Runs `dialog` without blocking; every finished page load is counted.
    void OpenDialog(BrowserDlg& dialog) {
        QObject::connect(dialog.Browser(), &QWebEngineView::loadFinished, &dialog,
                         [this](bool) { ++loads_; });
        dialog.open();
        dialog.Navigate();
    }
    bool WaitForLoads(int count) {
        return WaitForGui([&] { return loads_ >= count; }, std::chrono::seconds(30));
    }

    int loads_ = 0;
};

TEST_F(BrowserDialogs, CaptchaDialogStaysOnTheCaptchaPageAndItsCookieReachesTheJar) {
    CCaptchaDlg dialog(Request(QStringLiteral("about:blank")), nullptr);
    OpenDialog(dialog);
    ASSERT_TRUE(WaitForLoads(1));
    EXPECT_TRUE(dialog.isVisible()) << "closed on about:blank";

    dialog.Browser()->setUrl(QUrl(kCaptchaPage));
    ASSERT_TRUE(WaitForLoads(2));
    EXPECT_EQ(dialog.Browser()->url().toString(), kCaptchaPage);
    EXPECT_TRUE(dialog.isVisible()) << "closed on the CAPTCHA page";
    EXPECT_FALSE(ExportCookies().join('\n').contains(QLatin1String("captcha_ok")));

    SolveCaptcha(*dialog.Browser());
    ASSERT_TRUE(WaitForGui([&] { return !dialog.isVisible(); }, std::chrono::seconds(30)));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Browser()->url().toString(),
              QStringLiteral("http://www.youtube.com/watch?v=zvCaptcha01"));
    EXPECT_TRUE(
        WaitForGui([] { return ExportCookies().join('\n').contains(QLatin1String("\tcaptcha_ok\t")); }));
}

TEST_F(BrowserDialogs, SignInDialogClosesOneSecondAfterTheHomePageOnly) {
    CSignInDlg dialog(Request(QStringLiteral("http://www.youtube.com/index?gl=US&hl=en")), nullptr);
    OpenDialog(dialog);
    ASSERT_TRUE(WaitForLoads(1));
    EXPECT_TRUE(dialog.isVisible());

    // Had the first page started the close, it would come sooner than a
    // second after the right page.
    QElapsedTimer sinceHome;
    QObject::connect(dialog.Browser(), &QWebEngineView::loadFinished, &dialog,
                     [&](bool) { sinceHome.start(); });
    dialog.Browser()->setUrl(QUrl(QStringLiteral("http://www.youtube.com/index?gl=US&hl=ja")));
    ASSERT_TRUE(WaitForLoads(2));
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(WaitForGui([&] { return !dialog.isVisible(); }, std::chrono::seconds(10)));
    EXPECT_GE(sinceHome.elapsed(), CSignInDlg::kCloseDelayMs - 50);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(BrowserDialogs, LinksOffTheSiteOpenInTheUsersBrowserOnly) {
    SetRunningAsRootForTests(false);
    UrlRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &desktop, "Open");
    CSignInDlg dialog(Request(QStringLiteral("http://www.youtube.com/index?gl=US&hl=en")), nullptr);
    OpenDialog(dialog);
    ASSERT_TRUE(WaitForLoads(1));
    const auto click = [&](const char* address) {
        dialog.Browser()->page()->runJavaScript(
            QStringLiteral("var a = document.createElement('a');"
                           "a.href = '%1'; document.body.appendChild(a); a.click();")
                .arg(QLatin1String(address)));
    };
    click("http://evil.example/phish");
    ASSERT_TRUE(WaitForGui([&] { return !desktop.urls.isEmpty(); }));
    EXPECT_EQ(desktop.urls, QList<QUrl>{QUrl(QStringLiteral("http://evil.example/phish"))});
    EXPECT_EQ(dialog.Browser()->url().toString(), QStringLiteral("http://www.youtube.com/index?gl=US&hl=en"));
    // A link of the site itself opens in the dialog.
    const QString onSite = QStringLiteral("http://www.youtube.com/index?gl=US&hl=de");
    click("http://www.youtube.com/index?gl=US&hl=de");
    EXPECT_TRUE(WaitForGui([&] { return dialog.Browser()->url().toString() == onSite; }));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(desktop.urls.size(), 1);
}

TEST_F(BrowserDialogs, OnlyTheSitesCookiesAreCopiedIntoTheBrowser) {
    ImportCookie(QStringLiteral(".evil.example\tTRUE\t/\tFALSE\t0\tevil_cookie\t1"));
    ImportCookie(QStringLiteral(".youtube.com\tTRUE\t/\tFALSE\t0\tsite_cookie\t1"));
    QWebEngineCookieStore* store = DialogProfile()->cookieStore();
    QStringList seen;
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, store,
                     [&](const QNetworkCookie& cookie) { seen << QString::fromUtf8(cookie.name()); });
    CookieBridge bridge(store, &ExportCookies, nullptr);
    bridge.CopyJarToBrowser({QStringLiteral("youtube.com")});
    // Cookies reach the store in the order they were set: once the marker is
    // there, everything copied before it is too.
    QNetworkCookie marker("marker", "1");
    store->setCookie(marker, QUrl(QStringLiteral("http://www.youtube.com/")));
    ASSERT_TRUE(WaitForGui([&] { return seen.contains(QStringLiteral("marker")); }));
    EXPECT_TRUE(seen.contains(QStringLiteral("site_cookie")));
    EXPECT_FALSE(seen.contains(QStringLiteral("evil_cookie")));
}

// As root the engine runs without its sandbox: only the simulator's pages
// open, any other shows its address and why.
TEST_F(BrowserDialogs, AsRootOnlyTheSimulatorsPagesOpen) {
    SetRunningAsRootForTests(true);
    const QString elsewhere = QStringLiteral("http://www.example.org/signin");
    CSignInDlg refused(Request(elsewhere), nullptr);
    OpenDialog(refused);
    EXPECT_TRUE(refused.Refusal()->isVisible());
    EXPECT_FALSE(refused.Browser()->isVisible());
    EXPECT_EQ(refused.Refusal()->text(), FillFormat(LoadText(TextId::BrowserRefusedAsRoot), {elsewhere}));
    refused.reject();

    CSignInDlg opened(Request(QStringLiteral("http://www.youtube.com/index?gl=US&hl=en")), nullptr);
    OpenDialog(opened);
    ASSERT_TRUE(WaitForLoads(1));
    EXPECT_FALSE(opened.Refusal()->isVisible());
    EXPECT_EQ(opened.Browser()->url().toString(), QStringLiteral("http://www.youtube.com/index?gl=US&hl=en"));
}

// The dialog runs its own event loop inside the window's status handler: a
// timer acts on it from there once `ready` holds for its page, and rejects a
// dialog still open after a minute so no run can hang on it.
class ModalBrowserDriver {
  public:
    using Act = std::function<void(QDialog&, QWebEngineView&)>;
    // Acts once the dialog shows a page that `ready` accepts and that holds
    // an element matching `selector` (a page of the right address may still
    // be the engine's error page, or not yet drawn).
    ModalBrowserDriver(std::function<bool(const QUrl&)> ready, QString selector, Act act)
        : ready_(std::move(ready)), selector_(std::move(selector)), act_(std::move(act)) {
        watchdog_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(50);
    }
    bool acted = false;

  private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QWebEngineView* view = dialog ? dialog->findChild<QWebEngineView*>() : nullptr;
        if (!view)
            return;
        if (watchdog_.elapsed() > 60000) {
            dialog->reject();
            return;
        }
        if (acted || probing_ || view->page()->isLoading() || !ready_(view->url()))
            return;
        probing_ = true;
        view->page()->runJavaScript(QStringLiteral("document.querySelector('%1') !== null").arg(selector_),
                                    [this, view, dialog](const QVariant& found) {
                                        probing_ = false;
                                        if (acted || !found.toBool())
                                            return;
                                        acted = true;
                                        // Let the page paint before anything reads it from the screen.
                                        QTimer::singleShot(500, view,
                                                           [this, view, dialog] { act_(*dialog, *view); });
                                    });
    }

    std::function<bool(const QUrl&)> ready_;
    QString selector_;
    bool probing_ = false;
    Act act_;
    QTimer timer_;
    QElapsedTimer watchdog_;
};

// The whole way: the worker meets the CAPTCHA (207), the window opens the
// browser module's dialog, the user solves it there, the worker retries with
// the browser's cookie and the file arrives.
TEST_F(BrowserDialogs, CaptchaSolvedInTheWindowLetsTheDownloadFinish) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    CTrevaloDlg& window = Open(/*connected=*/true);
    window.TaskList()->AddUrlTask(Address(QStringLiteral("zvCaptcha01")));
    bool screenshot = false;
    QRect page; // the browser's area in the picture
    ModalBrowserDriver driver([](const QUrl& url) { return url.toString() == kCaptchaPage; },
                              QStringLiteral("input[name=response]"),
                              [&](QDialog& dialog, QWebEngineView& view) {
                                  screenshot = SaveScreenshot(dialog, QStringLiteral("captcha.png"), true);
                                  page = QRect(view.mapTo(&dialog, QPoint(0, 0)), view.size());
                                  SolveCaptcha(view);
                              });
    ASSERT_TRUE(window.ExecuteCommand(32855));
    const bool done =
        WaitForGui([&] { return CountHistory(history_.get()) == 1 && !window.TaskList()->IsDownloading(); },
                   std::chrono::seconds(120));
    EXPECT_TRUE(driver.acted);
    EXPECT_TRUE(screenshot);
    // The picture shows the CAPTCHA page drawn: white, with its text on it.
    ASSERT_FALSE(page.isEmpty());
    const PageLook look = LookOfPage(QStringLiteral("captcha.png"), page);
    EXPECT_GT(look.white, look.pixels / 2) << look.white << " of " << look.pixels;
    EXPECT_GT(look.dark, 100) << look.dark << " of " << look.pixels;
    ASSERT_TRUE(done) << "status: " << Rows()->index(0, 6).data().toString().toStdString();
    EXPECT_TRUE(
        LogMessages().contains(QStringLiteral("The browser dialog was closed on its completion page.")));
}

// The age gate (208): the sign-in page on the accounts host (TLS, signed by
// the authority the downloader is given), the account typed in, the site's
// home page closes the dialog and the retry passes the gate with the
// browser's sign-in cookie.
TEST_F(BrowserDialogs, SignInInTheWindowLetsTheAgeGatedDownloadFinish) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    CTrevaloDlg& window = Open(/*connected=*/true);
    window.TaskList()->AddUrlTask(Address(QStringLiteral("zvAgeGate01")));
    ModalBrowserDriver driver(
        [](const QUrl& url) { return url.host() == QLatin1String("accounts.google.com"); },
        QStringLiteral("#gaia_loginform"),
        [](QDialog&, QWebEngineView& view) {
            view.page()->runJavaScript(
                QStringLiteral("document.getElementById('Email').value = 'zorv.tester@example.com';"
                               "document.getElementById('Passwd').value = 'yt-secret-42';"
                               "document.getElementById('gaia_loginform').submit();"));
        });
    ASSERT_TRUE(window.ExecuteCommand(32855));
    const bool done =
        WaitForGui([&] { return CountHistory(history_.get()) == 1 && !window.TaskList()->IsDownloading(); },
                   std::chrono::seconds(120));
    EXPECT_TRUE(driver.acted) << "the sign-in page never showed";
    ASSERT_TRUE(done) << "status: " << Rows()->index(0, 6).data().toString().toStdString();
    EXPECT_TRUE(ExportCookies().join('\n').contains(QLatin1String("\tLOGIN_INFO\t")));
    EXPECT_FALSE(QString::fromUtf8(ReadFile(LogPath())).contains(QLatin1String("yt-secret-42")));
}

// A site read through yt-dlp turns the visitor away (403 on a page that sets
// a cookie): the window opens the program's browser on the video's page, the
// user follows its sign-in link and types the account in, the dialog closes
// once the browser is back on the site, and the retry through yt-dlp carries
// the browser's sign-in cookie to the file.
TEST_F(BrowserDialogs, SignInInTheWindowLetsTheYtDlpDownloadOfAMembersPageFinish) {
    sim_->SetPublishedVersion(QStringLiteral("1.0.8"));
    CTrevaloDlg& window = Open(/*connected=*/true);
    const QString page = sim_->GenericBase() + QStringLiteral("/members/members-clip");
    window.TaskList()->AddUrlTask(page);
    ModalBrowserDriver toForm(
        [](const QUrl& url) { return url.path().startsWith(QLatin1String("/members/")); },
        QStringLiteral("a[href=\"/signin\"]"),
        [](QDialog&, QWebEngineView& view) {
            view.page()->runJavaScript(
                QStringLiteral("document.querySelector('a[href=\"/signin\"]').click();"));
        });
    const SimAccount account = sim_->GenericAccount();
    ModalBrowserDriver signIn(
        [](const QUrl& url) { return url.path() == QLatin1String("/signin"); },
        QStringLiteral("input[type=password]"),
        [account](QDialog&, QWebEngineView& view) {
            view.page()->runJavaScript(
                QStringLiteral("document.querySelector('input[name=user]').value = '%1';"
                               "document.querySelector('input[name=password]').value = "
                               "'%2';document.forms[0].submit();")
                    .arg(account.user, account.password));
        });
    ASSERT_TRUE(window.ExecuteCommand(32855));
    const bool done =
        WaitForGui([&] { return CountHistory(history_.get()) == 1 && !window.TaskList()->IsDownloading(); },
                   std::chrono::seconds(120));
    EXPECT_TRUE(toForm.acted) << "the video's page never showed";
    EXPECT_TRUE(signIn.acted) << "the sign-in form never showed";
    ASSERT_TRUE(done) << "status: " << Rows()->index(0, 6).data().toString().toStdString();
    const QString path = window.TaskList()->Model()->Task(0)->location;
    EXPECT_EQ(ReadFile(path), ReadFile(sim_->GenericMediaFile(QStringLiteral("members-clip"))));
    EXPECT_EQ(CountHistory(history_.get(), QStringLiteral("HTML5MEDIAEMBED")), 1);
    EXPECT_TRUE(
        LogMessages().contains(QStringLiteral("The browser dialog was closed on its completion page.")));
    EXPECT_FALSE(QString::fromUtf8(ReadFile(LogPath())).contains(account.password));
}

#include "test_browser_e2e.moc"
