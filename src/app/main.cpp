// The desktop program's entry point.
#include "app/ZorvApp.h"
#include "platform/ProcessSignals.h"
#include "platform/UserPrompts.h"
#include "ui/GuiPrompts.h"
#include "ui/LogindPowerControl.h"

#include <QApplication>
#include <QProcessEnvironment>

int main(int argc, char* argv[]) {
    IgnoreFileSizeLimitSignal();
    // The browser dialogs' engine draws with contexts shared with the
    // application's; this must be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Decided before the application object connects to a display.
    const PlatformChoice platform = ChooseQtPlatform(QProcessEnvironment::systemEnvironment());
    if (!platform.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.platform);
    QApplication qtApp(argc, argv);
    GuiPrompts prompts;
    SetUserPrompts(&prompts);
    LogindPowerControl power;
    int status = 1;
    {
        ZorvApp app(prompts, power);
        app.SetStartupNote(platform.note);
        if (app.InitInstance())
            status = app.RunMainWindow();
        app.ExitInstance();
    }
    SetUserPrompts(nullptr);
    return status;
}
