// The desktop program's entry point.
#include "app/ZorvApp.h"
#include "platform/ProcessSignals.h"
#include "platform/UserPrompts.h"
#include "ui/GuiPrompts.h"
#include "ui/LogindPowerControl.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    IgnoreFileSizeLimitSignal();
    // The browser dialogs' engine draws with contexts shared with the
    // application's; this must be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(argc, argv);
    GuiPrompts prompts;
    SetUserPrompts(&prompts);
    LogindPowerControl power;
    int status = 1;
    {
        ZorvApp app(prompts, power);
        if (app.InitInstance())
            status = app.RunMainWindow();
        app.ExitInstance();
    }
    SetUserPrompts(nullptr);
    return status;
}
