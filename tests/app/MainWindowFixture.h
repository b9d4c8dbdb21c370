#pragma once
// A main window on the test's own settings, history and log, with the
// bundle beside the test binaries, recording fakes for questions and
// power-off, and the shared site simulator routed in.

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/Localization.h"
#include "app/MainWindowWidgets.h"
#include "app/CTrevaloDlg.h"
#include "app/tasklist/DownloadTaskList.h"
#include "history/HistoryDb.h"
#include "support/SimulatorSuite.h"
#include "support/gui/GuiTestSupport.h"
#include "ui/ResourceBundle.h"

#include <QAbstractItemView>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include <memory>

class MainWindowFixture : public SimulatorSuite {
  protected:
    void SetUp() override {
        SimulatorSuite::SetUp();
        TestApp();
        qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
        qputenv("ZORV_CA_BUNDLE", QFile::encodeName(sim_->CaBundlePath()));
        InitLog(LogPath());
        ASSERT_TRUE(bundle_.Load(ResourceBundle::DefaultPath()));
        ASSERT_EQ(OpenHistoryDB(history_), 1); // the data folder's, as the program's
        Settings().OutputFolder = Path("downloads");
        Settings().ShutdownFlag = 0;
    }
    void TearDown() override {
        window_.reset();
        history_.reset();
        ShutdownLog();
        SimulatorSuite::TearDown();
    }

    static QString LogPath() { return GetDataFolder() + QStringLiteral("/ruzivar.log"); }
    // The message part of every log line, in order.
    static QStringList LogMessages() {
        QStringList out;
        for (const QString& line : QString::fromUtf8(ReadFile(LogPath())).split(QLatin1Char('\n'))) {
            const qsizetype at = line.indexOf(QLatin1String("> - "));
            if (at >= 0)
                out << line.mid(at + 4);
        }
        return out;
    }

    // Creates, shows and initialises the window (deferred init included).
    CTrevaloDlg& Open(bool connected = false) {
        window_ = std::make_unique<CTrevaloDlg>(Settings(), prompts_, power_, bundle_, history_.get());
        window_->connectionAvailable = [connected] { return connected; };
        window_->SetDesktopShell(shell_);
        window_->show();
        window_->activateWindow();
        // The start-up update check may open its dialog first: active then.
        EXPECT_TRUE(WaitForGui([&] {
            for (const QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
                if (w == window_.get())
                    return window_->IsInitialized();
            return false;
        }));
        return *window_;
    }

    QAbstractItemModel* Rows() const {
        return qobject_cast<QAbstractItemView*>(window_->TaskList()->View())->model();
    }

    QString Address(const QString& videoId) const {
        return QStringLiteral("http://www.youtube.com/watch?v=") + videoId;
    }

    ResourceBundle bundle_;
    std::unique_ptr<SqliteConnection> history_;
    WindowPrompts prompts_;
    FakePower power_;
    FakeShell shell_;
    std::unique_ptr<CTrevaloDlg> window_;
};

// A window test that switches the language: the next test starts in English.
class LanguageSwitchingFixture : public MainWindowFixture {
  protected:
    void TearDown() override {
        Settings().LangID = QStringLiteral("en");
        SelectLanguage(QStringLiteral("en"));
        MainWindowFixture::TearDown();
    }
    // The command of the language menu item of the shipped file lang_<code>.ini;
    // 0 when no item shows its name.
    int LanguageCommand(const QString& code) const {
        const QString name = IniFile(LanguageFolder() + QStringLiteral("/lang_") + code + QStringLiteral(".ini"))
                                 .GetString(QStringLiteral("General"), QStringLiteral("language"));
        for (QAction* popup : window_->Widgets().menuBar->actions())
            if (popup->menu())
                for (QMenu* menu : popup->menu()->findChildren<QMenu*>())
                    for (QAction* item : menu->actions())
                        if (item->text() == name)
                            return item->data().toInt();
        return 0;
    }
};
