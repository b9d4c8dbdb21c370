#pragma once
// The boundary between the desktop program and its browser dialogs. The
// dialogs live in a module of their own (zorv_webdialogs) that the program
// loads the first time a site asks for a CAPTCHA or a sign-in, so the large
// web engine is neither loaded nor started with every window.
//
// The module must use the program's cookie jar, not a copy of its own, so the
// program hands it the two functions that read and fill the jar.
//
// Threads: the window's thread only.

#include <QString>
#include <QStringList>

class QWidget;

struct WebDialogRequest {
    enum Kind { Captcha = 1099, SignIn = 1100 }; // the dialogs' template numbers
    int kind = Captcha;
    QString startAddress;
    QString caption;    // the dialog's title in the current language
    QString cancelText; // its Cancel button's text in the current language
    // What a process running as root shows instead of a page it does not
    // open, in the current language; "%s" stands for the page's address.
    QString refusedAsRootText;
    QString connectTo;   // host routing in the ZORV_CONNECT_TO form; may be empty
    QString extraCaFile; // PEM authorities the downloader trusts besides the system's; may be empty
    QStringList (*exportCookies)() = nullptr;            // every cookie of the jar
    void (*importCookie)(const QString& line) = nullptr; // one cookie into the jar
    QWidget* parent = nullptr;
};

// Shows the dialog modally and returns once it has closed: 1 when it closed
// itself on its completion address, 0 when the user closed it.
extern "C" int zorv_run_web_dialog(const WebDialogRequest* request);
using RunWebDialogFunction = int (*)(const WebDialogRequest*);
inline constexpr const char* kRunWebDialogSymbol = "zorv_run_web_dialog";
