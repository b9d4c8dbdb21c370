#pragma once
// A modal window around an embedded browser that opens a site's page and
// closes itself once the browser has reached the page its subclass waits for.
// The user may close it at any time (Cancel or the window's close button).
//
// Threads: the window's thread only.

#include "browser/webgui/WebDialogsApi.h"

#include <QDialog>

class CookieBridge;
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

  protected:
    // Called for every page the browser has finished loading, with its address.
    virtual void OnDocumentComplete(const QString& address) = 0;

  private:
    QString startAddress_;
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
