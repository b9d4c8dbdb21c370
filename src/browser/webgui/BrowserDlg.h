#pragma once
// A modal window around an embedded browser that opens a site's page and
// closes itself once the browser has reached the page its subclass waits for.
// The user may close it at any time (Cancel or the window's close button).
//
// The browser stays on the sites the program opened (a site is a registrable
// domain with its subdomains): a link to another site opens in the user's
// own browser, any other way off them goes nowhere. Only the jar's cookies of
// those sites are copied in. A process running as root opens only the local
// simulator's pages (routed by ZORV_CONNECT_TO, or on a loopback address)
// and, for any other, shows its address to open elsewhere and why.
//
// Threads: the window's thread only.

#include "browser/webgui/WebDialogsApi.h"

#include <QDialog>
#include <QStringList>
#include <QUrl>

class CookieBridge;
class QLabel;
class QWebEnginePage;
class QWebEngineView;

class BrowserDlg : public QDialog {
    Q_OBJECT
  public:
    BrowserDlg(const WebDialogRequest& request, int browserCtrlId, QWidget* parent);
    ~BrowserDlg() override;

    QWebEngineView* Browser() const { return browser_; }
    const QString& StartAddress() const { return startAddress_; }
    // Opens the start address (with the jar's cookies copied in first).
    void Navigate();
    // The sites the browser may show; the text shown instead of a refused page.
    const QStringList& Sites() const { return sites_; }
    QLabel* Refusal() const { return refusal_; }

    // The registrable domain of `host` (its public suffix and one label more);
    // an address or a one-label host is its own site.
    static QString SiteOf(const QString& host);
    // True for an http(s) address on one of `sites` or their subdomains.
    static bool OnSites(const QUrl& url, const QStringList& sites);

    // The page's verdict on a main-frame navigation; `typed` for one the
    // program itself started, `linkClicked` for a link the user followed.
    bool AcceptNavigation(const QUrl& url, bool typed, bool linkClicked);

  protected:
    void AddSite(const QString& host);
    // Called for every page the browser has finished loading, with its address.
    virtual void OnDocumentComplete(const QString& address) = 0;

  private:
    void ShowRefusal(const QUrl& url);

    QString startAddress_;
    QString connectTo_;
    QString refusedAsRootText_;
    QStringList sites_;
    QLabel* refusal_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    QWebEngineView* browser_ = nullptr;
    CookieBridge* cookies_ = nullptr;
};

// Closes as soon as the browser shows a page that is neither the CAPTCHA page
// nor a blank or script page.
class CCaptchaDlg : public BrowserDlg {
    Q_OBJECT
  public:
    CCaptchaDlg(const WebDialogRequest& request, QWidget* parent);
    // True for an address that ends the dialog.
    static bool LeavesCaptcha(const QString& address);

  protected:
    void OnDocumentComplete(const QString& address) override;
};

// Closes one second after the browser lands on the site's home page (where
// the sign-in hands back to).
class CSignInDlg : public BrowserDlg {
    Q_OBJECT
  public:
    CSignInDlg(const WebDialogRequest& request, QWidget* parent);
    static bool IsHomeAfterSignIn(const QString& address);
    static constexpr int kCloseDelayMs = 1000;

    // A sign-in on a site other than YouTube (one read through yt-dlp):
    // its sign-in page is the site's own business, so the dialog is done
    // once the browser has shown a sign-in form (a password field) and then
    // comes back to the site on a page without one.
    static bool IsOtherSiteSignIn(const QString& startAddress);

  protected:
    void OnDocumentComplete(const QString& address) override;

  private:
    void CloseSoon();

    bool closing_ = false;
    const bool otherSite_;
    const QString siteHost_;
    bool sawForm_ = false;
};
