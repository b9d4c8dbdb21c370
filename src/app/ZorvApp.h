#pragma once
// The desktop program's application object: the start-up sequence (log,
// resource bundle, history, settings, language, fonts), the main window run
// modally, and the exit step. The program lives as long as the main window.
//
// Threads: main thread only.

#include "ui/ResourceBundle.h"

#include <QString>
#include <QStringList>

#include <memory>

class PowerControl;
class QProcessEnvironment;
class SingleInstance;
class SqliteConnection;
class UserPrompts;

// The window system platform to ask Qt for, decided from the environment
// before the application object exists. On a Wayland session the preview
// cannot embed mplayer (it draws into X windows), so unless the user chose a
// platform (QT_QPA_PLATFORM) the window runs through XWayland when an X
// server is reachable (DISPLAY); without one Qt keeps its own choice and the
// preview plays in mplayer's own window. `platform` is empty when Qt's own
// choice stands; `note` says what was decided, for the log (empty when
// there is nothing to say).
struct PlatformChoice {
    QByteArray platform;
    QString note;
};
PlatformChoice ChooseQtPlatform(const QProcessEnvironment& env);

class ZorvApp {
  public:
    static constexpr const char* kMissingBundleText = "Can not load resource DLL, application init failed!";

    // `bundlePath` empty: the bundle beside the executable.
    ZorvApp(UserPrompts& prompts, PowerControl& power, QString bundlePath = QString());
    ~ZorvApp();
    ZorvApp(const ZorvApp&) = delete;
    ZorvApp& operator=(const ZorvApp&) = delete;

    // Start-up up to the main window; false when the program must end
    // (missing bundle). Runs each step at most once.
    bool InitInstance();
    // Runs the main window modally, then ends the log. Returns the exit code.
    int RunMainWindow();
    // Closes the history, drops the settings' use and unloads the bundle.
    void ExitInstance();

    // Lines InitInstance logs once the log is open (the platform choice, why
    // this start works without the session bus); empty ones are skipped.
    void AddStartupNote(const QString& note) {
        if (!note.isEmpty())
            startupNotes_ << note;
    }
    // What the command line named, opened once the window is ready.
    void SetStartItems(const QStringList& items) { startItems_ = items; }
    // The session bus name this start owns: later starts' items go to the window.
    void SetSingleInstance(SingleInstance* instance) { instance_ = instance; }

    SqliteConnection* History() const { return history_.get(); }
    ResourceBundle& Bundle() { return bundle_; }

  private:
    void LogSystemVersion();
    void ApplyInterfaceFonts();

    UserPrompts& prompts_;
    PowerControl& power_;
    QString bundlePath_;
    ResourceBundle bundle_;
    std::unique_ptr<SqliteConnection> history_;
    QStringList startupNotes_;
    QStringList startItems_;
    SingleInstance* instance_ = nullptr;
    int gdiplusAvailable_ = 1; // Qt always paints images
};
