// The desktop program's entry point.
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/ZorvApp.h"
#include "platform/ProcessSignals.h"
#include "platform/UserPrompts.h"
#include "ui/GuiPrompts.h"
#include "ui/LogindPowerControl.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>

#include <cstdio>

namespace {
QStringList ArgumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int Answer(const StartRequest& request) {
    const bool error = request.action == StartRequest::Action::Error;
    std::fputs(request.text.toLocal8Bit().constData(), error ? stderr : stdout);
    return error ? 2 : 0;
}
} // namespace

int main(int argc, char* argv[]) {
    // --help and --version answer before anything connects to a display.
    StartRequest request = ParseCommandLine(ArgumentsOf(argc, argv), QDir::currentPath(), true);
    // An unknown option may be Qt's own; it is asked again once Qt has taken
    // its options, unless Qt could not start here anyway.
    const bool displayNamed = !qEnvironmentVariableIsEmpty("DISPLAY") ||
                              !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                              !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (request.action != StartRequest::Action::Run && !(request.maybeToolkitOption && displayNamed))
        return Answer(request);
    IgnoreFileSizeLimitSignal();
    // The browser dialogs' engine draws with contexts shared with the
    // application's; this must be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Decided before the application object connects to a display.
    const PlatformChoice platform = ChooseQtPlatform(QProcessEnvironment::systemEnvironment());
    if (!platform.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.platform);
    QApplication qtApp(argc, argv);
    // Qt has taken its own options out of the list by now.
    request = ParseCommandLine(qtApp.arguments().mid(1), QDir::currentPath(), false);
    if (request.action != StartRequest::Action::Run)
        return Answer(request);
    // A later start hands its items to the running program and ends before
    // it opens the log, the history or the settings.
    SingleInstance instance;
    if (instance.ClaimOrHandOver(request.items, SingleInstance::LaunchActivationToken()) ==
        SingleInstance::Role::HandedOver)
        return 0;
    GuiPrompts prompts;
    SetUserPrompts(&prompts);
    LogindPowerControl power;
    int status = 1;
    {
        ZorvApp app(prompts, power);
        app.AddStartupNote(platform.note);
        app.AddStartupNote(instance.Note());
        app.SetStartItems(request.items);
        app.SetSingleInstance(&instance);
        if (app.InitInstance())
            status = app.RunMainWindow();
        app.ExitInstance();
    }
    SetUserPrompts(nullptr);
    return status;
}
