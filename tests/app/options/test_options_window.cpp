// The main window's options command, its language menu and the start-up
// update check's quiet results, on the offscreen platform with the shipped
// language files.
#include "app/MainWindowFixture.h"
#include "app/MainWindowWidgets.h"
#include "app/options/COptionsSheet.h"
#include "app/options/CPageGeneral.h"
#include "app/options/CPageOnline.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "retrieval/DownloadWorker.h"
#include "update/gui/CCheckUpdateDlg.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {
// Every top-level text of the window's trees (the site panel's roots).
QStringList TreeTexts(const QWidget& window) {
    QStringList texts;
    for (QTreeWidget* tree : window.findChildren<QTreeWidget*>())
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
    return texts;
}
} // namespace

class OptionsWindowTest : public LanguageSwitchingFixture {};

TEST_F(OptionsWindowTest, OptionsHandTheWorkerTheFolderAndRetriesAndReportOnlyAChangedFolder) {
    CTrevaloDlg& window = Open();
    const QString start = window.Widgets().outputFolder->text();
    struct Case {
        QString folder;
        QString retries;
        bool reported;
    };
    for (const Case& c : {Case{start, "3", false}, Case{Path("elsewhere"), "7", true}}) {
        window.SetStatusText(QStringLiteral("before"));
        WhenModalOpens(&window, [&] {
            auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            sheet->General()->Folder()->setText(c.folder);
            sheet->Tabs()->setCurrentIndex(1);
            sheet->Online()->Retry()->setText(c.retries);
            sheet->accept();
        });
        ASSERT_TRUE(window.ExecuteCommand(32791));
        EXPECT_EQ(window.Widgets().outputFolder->text(), c.folder);
        EXPECT_EQ(window.TaskList()->Worker()->OutputFolder(), c.folder);
        EXPECT_EQ(window.TaskList()->Worker()->RetryTimes(), c.retries.toInt());
        EXPECT_EQ(window.StatusText(),
                  c.reported ? FillFormat(LoadText(32814), {c.folder}) : QStringLiteral("before"));
    }
}

TEST_F(OptionsWindowTest, AFolderWithAColonSurvivesTheOptionsAndTheNextStart) {
    CTrevaloDlg& window = Open();
    const QString folder = Path("a:b");
    WhenModalOpens(&window, [&] {
        auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sheet->General()->Folder()->setText(folder + QStringLiteral("/"));
        sheet->accept();
    });
    ASSERT_TRUE(window.ExecuteCommand(32791));
    EXPECT_EQ(window.StatusText(), FillFormat(LoadText(32814), {folder}));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(Path("a-b")));

    window.close(); // closing saves the settings
    Settings().OutputFolder.clear();
    Settings().Load();
    EXPECT_EQ(Settings().OutputFolder, folder);
    CTrevaloDlg& next = Open();
    EXPECT_EQ(prompts_.messages, QStringList{}); // no "folder does not exist"
    EXPECT_EQ(next.TaskList()->Worker()->OutputFolder(), folder);
}

TEST_F(OptionsWindowTest, GermanReLabelsTheWindowAndTheCurrentLanguageChangesNothing) {
    CTrevaloDlg& window = Open();
    QSignalSpy changed(&window, &CTrevaloDlg::languageChanged);
    QSignalSpy headers(Rows(), &QAbstractItemModel::headerDataChanged);
    const int english = LanguageCommand(QStringLiteral("en"));
    const int german = LanguageCommand(QStringLiteral("de"));
    ASSERT_NE(english, 0);
    ASSERT_NE(german, 0);

    ASSERT_TRUE(window.ExecuteCommand(english)); // already current
    EXPECT_EQ(changed.count(), 0);
    ASSERT_TRUE(window.ExecuteCommand(german));
    EXPECT_EQ(Settings().LangID, QStringLiteral("de"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(headers.count(), 1);
    EXPECT_EQ(Rows()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Titel"));
    EXPECT_TRUE(TreeTexts(window).contains(QStringLiteral("Verlauf")));
    ASSERT_TRUE(window.ExecuteCommand(german));
    EXPECT_EQ(changed.count(), 1);

    // A dialog opened now speaks German.
    COptionsSheet sheet(Settings(), prompts_, &window);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Optionen"));
    EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("Allgemein"));
    EXPECT_EQ(sheet.General()->BrowseButton()->text(), QStringLiteral("Durchsuchen..."));
}

TEST_F(OptionsWindowTest, StartUpCheckStaysQuietUnlessTheVersionIsNewer) {
    struct Case {
        const char* published; // null: the update host cannot be reached
        const char* logged;
    };
    for (const Case& c :
         {Case{"1.0.8", "No new version available: 1.0.8"}, Case{nullptr, "Check new version failed."}}) {
        if (c.published)
            sim_->SetPublishedVersion(QLatin1String(c.published));
        else
            qputenv("ZORV_CONNECT_TO", "update.quillmere.example:80:127.0.0.1:1");
        CTrevaloDlg& window = Open(/*connected=*/true);
        ASSERT_TRUE(WaitForGui([&] { return LogMessages().contains(QLatin1String(c.logged)); },
                               std::chrono::seconds(30)));
        // The result was posted before it was logged: deliver it.
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        EXPECT_EQ(window.findChild<CCheckUpdateDlg*>(), nullptr) << c.logged;
        window_.reset();
    }
}
