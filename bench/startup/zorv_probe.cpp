// The desktop program's own start-up (as its main() runs it) up to the main
// window on the screen; the window is shown without waiting for the user.
#include "ShownMarker.h"
#include "base/AppSettings.h"
#include "app/CTrevaloDlg.h"
#include "app/ZorvApp.h"
#include "ui/GuiPrompts.h"
#include "ui/LogindPowerControl.h"

#include <csignal>

int main(int argc, char* argv[]) {
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication qtApp(argc, argv);
    GuiPrompts prompts;
    SetUserPrompts(&prompts);
    LogindPowerControl power;
    ZorvApp app(prompts, power);
    if (!app.InitInstance())
        return 1;
    int status = 0;
    {
        CTrevaloDlg window(Settings(), prompts, power, app.Bundle(), app.History());
        window.connectionAvailable = [] { return false; }; // no update check from a benchmark
        ShownMarker marker(&window);
        window.show();
        status = qtApp.exec();
    }
    SetUserPrompts(nullptr);
    return status;
}
