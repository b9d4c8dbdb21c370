// The module's entry point: the program resolves it by name after loading.
#include "browser/webgui/BrowserDlg.h"
#include "browser/webgui/WebEngineSetup.h"

#include <memory>

extern "C" Q_DECL_EXPORT int zorv_run_web_dialog(const WebDialogRequest* request) {
    if (!request)
        return 0;
    PrepareWebEngine(request->connectTo, request->extraCaFile);
    std::unique_ptr<BrowserDlg> dialog;
    if (request->kind == WebDialogRequest::SignIn)
        dialog = std::make_unique<CSignInDlg>(*request, request->parent);
    else
        dialog = std::make_unique<CCaptchaDlg>(*request, request->parent);
    dialog->Navigate();
    return dialog->exec() == QDialog::Accepted ? 1 : 0;
}
