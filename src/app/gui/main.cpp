// The desktop program's entry point.
#include "app/gui/ZorvApp.h"
#include "platform/UserPrompts.h"
#include "ui/GuiPrompts.h"
#include "ui/LogindPowerControl.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[]) {
    // A download that reaches the file-size limit fails its write instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
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
