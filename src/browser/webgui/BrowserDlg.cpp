#include "browser/webgui/BrowserDlg.h"

#include "browser/webgui/CookieBridge.h"
#include "browser/webgui/WebEngineSetup.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {
constexpr int kIdCancel = 2;
const QString kYouTubeHome = QStringLiteral("http://www.youtube.com/");

// The jar's cookie rules know the public suffixes: a domain cookie is refused
// for one of them.
class SuffixProbe : public QNetworkCookieJar {
  public:
    using QNetworkCookieJar::validateCookie;
};

class DialogPage : public QWebEnginePage {
  public:
    DialogPage(QWebEngineProfile* profile, BrowserDlg* dialog, QObject* parent)
        : QWebEnginePage(profile, parent), dialog_(dialog) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        // Frames inside a page are part of it, as its pictures are.
        return !isMainFrame ||
               dialog_->AcceptNavigation(url, type == NavigationTypeTyped, type == NavigationTypeLinkClicked);
    }

  private:
    BrowserDlg* dialog_;
};

bool IsBlank(const QUrl& url) {
    return url.toString() == QLatin1String("about:blank");
}
} // namespace

BrowserDlg::BrowserDlg(const WebDialogRequest& request, int browserCtrlId, QWidget* parent)
    : QDialog(parent), startAddress_(request.startAddress), connectTo_(request.connectTo),
      refusedAsRootText_(request.refusedAsRootText) {
    setWindowTitle(request.caption);
    setSizeGripEnabled(true);
    resize(860, 640);

    QWebEngineProfile* profile = DialogProfile();
    cookies_ = new CookieBridge(profile->cookieStore(), request.exportCookies, request.importCookie, this);
    browser_ = new QWebEngineView(this);
    page_ = new DialogPage(profile, this, browser_);
    browser_->setPage(page_);
    browser_->setProperty("ctrlId", browserCtrlId);
    browser_->setObjectName(QStringLiteral("browser"));
    // A certificate the engine cannot place is accepted only when it chains
    // to an authority the downloader trusts as well.
    connect(page_, &QWebEnginePage::certificateError, this, [](const QWebEngineCertificateError& error) {
        if (TrustedChain(error.certificateChain(), error.url().host(), ExtraAuthorities()))
            QWebEngineCertificateError(error).acceptCertificate();
    });
    connect(browser_, &QWebEngineView::loadFinished, this,
            [this](bool) { OnDocumentComplete(browser_->url().toString()); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setProperty("ctrlId", kIdCancel);
    if (!request.cancelText.isEmpty())
        cancel->setText(request.cancelText);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    refusal_ = new QLabel(this);
    refusal_->setObjectName(QStringLiteral("refusal"));
    refusal_->setWordWrap(true);
    refusal_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    refusal_->setAlignment(Qt::AlignCenter);
    refusal_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(browser_, 1);
    layout->addWidget(refusal_, 1);
    layout->addWidget(buttons);
}

BrowserDlg::~BrowserDlg() {
    // The page belongs to the shared profile's engine: it must go before the
    // view that shows it.
    browser_->setPage(nullptr);
    delete page_;
}

void BrowserDlg::Navigate() {
    const QUrl start(startAddress_);
    if (!AcceptNavigation(start, /*typed=*/true, /*linkClicked=*/false))
        return;
    cookies_->CopyJarToBrowser(sites_);
    browser_->setUrl(start);
}

QString BrowserDlg::SiteOf(const QString& host) {
    const QString name = host.toLower();
    if (name.isEmpty() || !QHostAddress(name).isNull())
        return name;
    const QUrl url(QStringLiteral("http://") + name + QLatin1Char('/'));
    SuffixProbe probe;
    // The shortest ending of the host a cookie may be set for.
    for (qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0;
         dot = name.lastIndexOf(QLatin1Char('.'), dot - 1)) {
        QNetworkCookie cookie("n", "v");
        cookie.setDomain(name.mid(dot));
        if (probe.validateCookie(cookie, url))
            return name.mid(dot + 1);
    }
    return name;
}

bool BrowserDlg::OnSites(const QUrl& url, const QStringList& sites) {
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return false;
    const QString host = url.host();
    for (const QString& site : sites)
        if (!site.isEmpty() && (host == site || host.endsWith(QLatin1Char('.') + site)))
            return true;
    return false;
}

void BrowserDlg::AddSite(const QString& host) {
    const QString site = SiteOf(host);
    if (!site.isEmpty() && !sites_.contains(site))
        sites_ << site;
}

bool BrowserDlg::AcceptNavigation(const QUrl& url, bool typed, bool linkClicked) {
    if (IsBlank(url))
        return true;
    if (RunningAsRoot() && !RoutedOrLocal(url, connectTo_)) {
        ShowRefusal(url);
        return false;
    }
    // The program's own choice (there is no address field): its site joins.
    if (typed) {
        AddSite(url.host());
        return true;
    }
    if (OnSites(url, sites_))
        return true;
    // A browser of its own cannot start as root either.
    if (linkClicked && !RunningAsRoot() &&
        (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")))
        QDesktopServices::openUrl(url);
    return false;
}

void BrowserDlg::ShowRefusal(const QUrl& url) {
    refusal_->setText(QString(refusedAsRootText_).replace(QLatin1String("%s"), url.toString()));
    browser_->hide();
    refusal_->show();
}

CCaptchaDlg::CCaptchaDlg(const WebDialogRequest& request, QWidget* parent)
    : BrowserDlg(request, 1110, parent) {}

bool CCaptchaDlg::LeavesCaptcha(const QString& address) {
    return !address.contains(QLatin1String("das_captcha")) &&
           !address.contains(QLatin1String("about:blank")) && !address.contains(QLatin1String("javascript:"));
}

void CCaptchaDlg::OnDocumentComplete(const QString& address) {
    if (LeavesCaptcha(address))
        accept();
}

CSignInDlg::CSignInDlg(const WebDialogRequest& request, QWidget* parent)
    : BrowserDlg(request, 1115, parent), otherSite_(IsOtherSiteSignIn(request.startAddress)),
      siteHost_(QUrl(request.startAddress).host()) {
    // The accounts host hands the signed-in visitor back to YouTube.
    if (!otherSite_)
        AddSite(QUrl(kYouTubeHome).host());
}

bool CSignInDlg::IsOtherSiteSignIn(const QString& startAddress) {
    const QUrl url(startAddress);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    // The built-in sites sign in through their own pages (YouTube's through
    // its accounts host), and close on YouTube's home page.
    const QString host = url.host().toLower();
    for (const char* site : {"youtube", "google", "metacafe", "nicovideo"})
        if (host.contains(QLatin1String(site)))
            return false;
    return true;
}

bool CSignInDlg::IsHomeAfterSignIn(const QString& address) {
    return address == kYouTubeHome || address == kYouTubeHome + QLatin1String("index?gl=US&hl=ja");
}

void CSignInDlg::OnDocumentComplete(const QString& address) {
    if (closing_)
        return;
    if (!otherSite_) {
        if (IsHomeAfterSignIn(address))
            CloseSoon();
        return;
    }
    const QString host = QUrl(address).host();
    Browser()->page()->runJavaScript(
        QStringLiteral("document.querySelector('input[type=password]') !== null"),
        [this, host](const QVariant& form) {
            if (closing_)
                return;
            if (form.toBool())
                sawForm_ = true;
            else if (sawForm_ && host == siteHost_)
                CloseSoon();
        });
}

void CSignInDlg::CloseSoon() {
    // The site may still be writing its cookies for the new session: give it
    // a second, with the window still answering, before the download goes on.
    closing_ = true;
    QTimer::singleShot(kCloseDelayMs, this, &QDialog::accept);
}
