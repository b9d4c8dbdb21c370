#pragma once
// The desktop program's application object: the start-up sequence (log,
// resource bundle, history, settings, language, fonts), the main window run
// modally, and the exit step. The program lives as long as the main window.
//
// Threads: main thread only.

#include "ui/ResourceBundle.h"

#include <QString>

#include <memory>

class PowerControl;
class SqliteConnection;
class UserPrompts;

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
    int gdiplusAvailable_ = 1; // Qt always paints images
};
