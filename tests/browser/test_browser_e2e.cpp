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
    const QImage image(qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/screenshots/") + picture);
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

class BrowserDialogs : public MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ClearCookies();
        PrepareWebEngine(sim_->ConnectToValue());
    }
    WebDialogRequest Request(const QString& start) const {
        WebDialogRequest request;
        request.startAddress = start;
        request.caption = QStringLiteral("Browser");
        request.exportCookies = &ExportCookies;
        request.importCookie = &ImportJarCookie;
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
                                        QTimer::singleShot(500, view, [this, view, dialog] { act_(*dialog, *view); });
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
    ModalBrowserDriver toForm([](const QUrl& url) { return url.path().startsWith(QLatin1String("/members/")); },
                              QStringLiteral("a[href=\"/signin\"]"), [](QDialog&, QWebEngineView& view) {
                                  view.page()->runJavaScript(
                                      QStringLiteral("document.querySelector('a[href=\"/signin\"]').click();"));
                              });
    const SimAccount account = sim_->GenericAccount();
    ModalBrowserDriver signIn([](const QUrl& url) { return url.path() == QLatin1String("/signin"); },
                              QStringLiteral("input[type=password]"), [account](QDialog&, QWebEngineView& view) {
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
