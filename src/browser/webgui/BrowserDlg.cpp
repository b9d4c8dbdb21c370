#include "browser/webgui/BrowserDlg.h"

#include "browser/webgui/CookieBridge.h"
#include "browser/webgui/WebEngineSetup.h"

#include <QDialogButtonBox>
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
} // namespace

BrowserDlg::BrowserDlg(const WebDialogRequest& request, int browserCtrlId, QWidget* parent)
    : QDialog(parent), startAddress_(request.startAddress) {
    setWindowTitle(request.caption);
    setSizeGripEnabled(true);
    resize(860, 640);

    QWebEngineProfile* profile = DialogProfile();
    cookies_ = new CookieBridge(profile->cookieStore(), request.exportCookies, request.importCookie, this);
    browser_ = new QWebEngineView(this);
    page_ = new QWebEnginePage(profile, browser_);
    browser_->setPage(page_);
    browser_->setProperty("ctrlId", browserCtrlId);
    browser_->setObjectName(QStringLiteral("browser"));
    // A certificate the engine cannot place is accepted only when it chains
    // to an authority the downloader trusts as well.
    connect(page_, &QWebEnginePage::certificateError, this, [](const QWebEngineCertificateError& error) {
        if (TrustedChain(error.certificateChain(), error.url().host()))
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
}

BrowserDlg::~BrowserDlg() {
    // The page belongs to the shared profile's engine: it must go before the
    // view that shows it.
    browser_->setPage(nullptr);
    delete page_;
}

void BrowserDlg::Navigate() {
    cookies_->CopyJarToBrowser();
    browser_->setUrl(QUrl(startAddress_));
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
      siteHost_(QUrl(request.startAddress).host()) {}

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
