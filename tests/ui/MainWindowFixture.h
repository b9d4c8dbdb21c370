#pragma once
// A main window on the test's own settings, history and log, with the
// bundle beside the test binaries, recording fakes for questions and
// power-off, and the shared site simulator routed in.

#include "app/AppFolders.h"
#include "app/AppLog.h"
#include "app/AppSettings.h"
#include "app/gui/CTrevaloDlg.h"
#include "app/gui/DownloadTaskList.h"
#include "history/HistoryDb.h"
#include "support/SimulatorSuite.h"
#include "ui/GuiTestSupport.h"
#include "ui/ResourceBundle.h"

#include <QAbstractItemView>
#include <QFile>

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
        window_->show();
        window_->activateWindow();
        // A dialog the start-up opens (the update check's) may take the
        // activation before the window itself gets it.
        EXPECT_TRUE(WaitForGui([&] {
            QWidget* active = QApplication::activeWindow();
            while (active && active != window_.get())
                active = active->parentWidget();
            return window_->IsInitialized() && active;
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
    FakePrompts prompts_;
    FakePower power_;
    std::unique_ptr<CTrevaloDlg> window_;
};
