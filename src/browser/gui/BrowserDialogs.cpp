#include "browser/gui/BrowserDialogs.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "base/UiTranslation.h"
#include "browser/webgui/WebDialogsApi.h"
#include "retrieval/DownloadMessages.h"
#include "retrieval/HttpSession.h"

#include <QLibrary>

namespace {

constexpr const char* kLogCategory = "BrowserDialogs";

RunWebDialogFunction LoadModule() {
    static RunWebDialogFunction run = nullptr;
    static bool tried = false;
    if (tried)
        return run;
    tried = true;
    // Kept loaded for the life of the process: its web engine cannot be
    // started twice.
    // In a folder of its own below the program's: a shared object directly in
    // /usr/lib/<folder> would make the package run ldconfig for nothing.
    auto* module = new QLibrary(GetAppFolder() + QStringLiteral("/modules/zorv_webdialogs"));
    run = reinterpret_cast<RunWebDialogFunction>(module->resolve(kRunWebDialogSymbol));
    if (!run)
        LogErrorW(kLogCategory, QStringLiteral("Can not load the browser dialogs: ") + module->errorString());
    return run;
}

// The dialog's title and Cancel text in the current language.
void Translate(WebDialogRequest& request, const QString& englishCaption) {
    DialogTexts texts;
    texts.caption = englishCaption;
    texts.controls.push_back({2, QStringLiteral("Cancel")});
    TranslateDialog(texts, request.kind);
    request.caption = texts.caption;
    request.cancelText = texts.controls.front().text;
}

void ImportJarCookie(const QString& line) {
    ImportCookie(line);
}

} // namespace

bool RunBrowserDialog(int code, const QString& address, QWidget* parent) {
    const RunWebDialogFunction run = LoadModule();
    if (!run)
        return false;
    WebDialogRequest request;
    if (code == DownloadStatus::SignInRequired) {
        request.kind = WebDialogRequest::SignIn;
        Translate(request, QStringLiteral("Sign in"));
    } else {
        request.kind = WebDialogRequest::Captcha;
        Translate(request, QStringLiteral("Word verification"));
    }
    request.startAddress = address;
    request.refusedAsRootText = LoadText(TextId::BrowserRefusedAsRoot);
    request.connectTo = qEnvironmentVariable("ZORV_CONNECT_TO");
    request.extraCaFile = qEnvironmentVariable("ZORV_CA_BUNDLE");
    request.exportCookies = &ExportCookies;
    request.importCookie = &ImportJarCookie;
    request.parent = parent;
    LogInfo(kLogCategory, "Showing the %s dialog.",
            code == DownloadStatus::SignInRequired ? "sign-in" : "CAPTCHA");
    const int closedItself = run(&request);
    LogInfo(kLogCategory, "The browser dialog was closed %s.",
            closedItself ? "on its completion page" : "by the user");
    return true;
}
