// The options sheet and the German main window on a real X display (its own
// Xvfb, xcb platform), saved as pictures; no text of a page may be cut off,
// in English or in German.
#include "app/MainWindowFixture.h"
#include "app/MainWindowWidgets.h"
#include "app/options/COptionsSheet.h"
#include "app/options/CPageOnline.h"
#include "base/Localization.h"
#include "base/TextIds.h"
#include "support/XvfbDisplay.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);
} // namespace

class OptionsE2E : public LanguageSwitchingFixture {
  protected:
    // Shows every page of a sheet in turn; saves each as <prefix>-<page>.png
    // when a prefix is given.
    void ShowPages(CTrevaloDlg& window, const QString& prefix) {
        static const char* const kNames[] = {"general", "online", "audio", "video"};
        COptionsSheet sheet(Settings(), prompts_, &window);
        sheet.show();
        ASSERT_TRUE(WaitForGui([&] { return sheet.windowHandle() && sheet.windowHandle()->isExposed(); }));
        for (int i = 0; i < 4; ++i) {
            sheet.Tabs()->setCurrentIndex(i);
            QApplication::processEvents();
            if (i == 1) { // the picture shows yt-dlp's answer, not the question
                EXPECT_TRUE(WaitForGui([&] {
                    return sheet.Online()->YtDlpVersionLine()->text() != LoadText(TextId::YtDlpChecking);
                }));
                // The answer may show the update warning: the page grows to hold it.
                QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                QApplication::processEvents();
            }
            // The page shown, the tab titles above it and the sheet's buttons.
            EXPECT_EQ(CutTexts(&sheet), QStringList()) << kNames[i];
            if (!prefix.isEmpty()) {
                EXPECT_TRUE(
                    SaveScreenshot(sheet, prefix + QLatin1String(kNames[i]) + QStringLiteral(".png")));
            }
        }
        sheet.reject();
    }
};

TEST_F(OptionsE2E, OptionsPagesShowEveryTextWhole) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    Settings().YTUser = QStringLiteral("viewer");
    Settings().YTPasswd = QStringLiteral("secret");
    Settings().RetryTimes = 3;
    Settings().OUT_VOLUME = -6;
    Settings().Fit2Width = 1;
    Settings().ExpandSize = 1;
    CTrevaloDlg& window = Open();
    ShowPages(window, QStringLiteral("options-"));
    ASSERT_TRUE(window.ExecuteCommand(LanguageCommand(QStringLiteral("ja"))));
    ShowPages(window, QString());
}

TEST_F(OptionsE2E, MainWindowInGerman) {
    // Started in German, so the texts set when the window opens are German too.
    Settings().LangID = QStringLiteral("de");
    SelectLanguage(Settings().LangID);
    CTrevaloDlg& window = Open();
    ASSERT_TRUE(WaitForGui([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    window.TaskList()->AddUrlTask(Address(QStringLiteral("jNQXAC9IVRw")));
    window.OnStripButton(20); // the site panel, too
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("german.png")));

    // What the picture shows: the menu bar, the list's column heads, the
    // site panel and the output folder line, all in German.
    QStringList titles;
    for (const QAction* popup : window.Widgets().menuBar->actions())
        titles << popup->text();
    EXPECT_EQ(titles, (QStringList{"&Datei", "E&xtras", "&Aufgaben", "&Hilfe"}));
    QStringList heads;
    for (int column = 1; column < Rows()->columnCount(); ++column)
        heads << Rows()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(heads, (QStringList{"Titel", "Dauer", "Format", "Bildgröße", "FPS", "Status"}));
    QStringList roots;
    for (QTreeWidget* tree : window.findChildren<QTreeWidget*>())
        if (tree->isVisible())
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                roots << tree->topLevelItem(i)->text(0);
    EXPECT_TRUE(roots.contains(QStringLiteral("Download-Aufträge"))) << roots.join(", ").toStdString();
    EXPECT_TRUE(roots.contains(QStringLiteral("Verlauf"))) << roots.join(", ").toStdString();
    EXPECT_EQ(window.Widgets().outputFolderLabel->text(), QStringLiteral("Ausgabeordner:"));
    EXPECT_EQ(window.Widgets().chooseFolder->text(), QStringLiteral("Durchsuchen..."));
    EXPECT_EQ(window.Widgets().openFolder->text(), QStringLiteral("Öffnen"));
    // The task menu as it opens on the one pending row.
    QMenu* tasks = window.Widgets().menuBar->actions().value(2)->menu();
    ASSERT_NE(tasks, nullptr);
    tasks->popup(window.mapToGlobal(QPoint(350, 38)));
    ASSERT_TRUE(WaitForGui([&] { return tasks->isVisible(); }));
    QStringList items;
    for (const QAction* action : tasks->actions())
        if (!action->isSeparator())
            items << action->text();
    tasks->hide();
    EXPECT_EQ(items, (QStringList{"Alle starten\tF5", "Auswahl starten\tCtrl+F5", "Anhalten\tShift+F8",
                                  "Anhalten...\tF8", "Auswahl entfernen\tDel", "Alle entfernen",
                                  "Alles auswählen\tCtrl+A", "Auswahl ankreuzen",
                                  "Kreuz bei Auswahl entfernen", "Enthaltenden Ordner öffnen"}));
    ShowPages(window, QStringLiteral("options-de-"));
}

// The online page with an old yt-dlp in its field, in English and German:
// the version that program reports, the warning to update it, nothing cut.
TEST_F(OptionsE2E, OnlinePageShowsTheYtDlpVersionAndTheWarningWhole) {
    const QString tool = WriteFile(QStringLiteral("bin/yt-dlp"), "#!/bin/sh\necho 2024.04.09\n");
    QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    Settings().YtDlpPath = tool;
    CTrevaloDlg& window = Open();
    const struct {
        const char* code;
        const char* picture;
        QString group, line, warningStart;
    } cases[] = {
        {"en", "options-online-ytdlp.png", "Other sites (yt-dlp)", "yt-dlp version 2024.04.09",
         "This yt-dlp is more than 90 days old."},
        {"de", "options-online-ytdlp-de.png", "Andere Websites (yt-dlp)", "yt-dlp-Version 2024.04.09",
         "Dieses yt-dlp ist älter als 90 Tage."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        if (QLatin1String(c.code) != "en") {
            ASSERT_TRUE(window.ExecuteCommand(LanguageCommand(QString::fromLatin1(c.code))));
        }
        COptionsSheet sheet(Settings(), prompts_, &window);
        sheet.show();
        ASSERT_TRUE(WaitForGui([&] { return sheet.windowHandle() && sheet.windowHandle()->isExposed(); }));
        sheet.Tabs()->setCurrentIndex(1);
        CPageOnline* page = sheet.Online();
        ASSERT_TRUE(WaitForGui([&] { return page->YtDlpVersionLine()->text() == c.line; }))
            << page->YtDlpVersionLine()->text().toStdString();
        QApplication::processEvents();
        EXPECT_EQ(page->YtDlpPath()->text(), tool);
        QStringList groups;
        for (const QGroupBox* group : page->findChildren<QGroupBox*>())
            groups << group->title();
        EXPECT_TRUE(groups.contains(c.group)) << groups.join(", ").toStdString();
        EXPECT_TRUE(page->YtDlpWarning()->isVisible());
        EXPECT_TRUE(page->YtDlpWarning()->text().startsWith(c.warningStart));
        EXPECT_TRUE(page->YtDlpWarning()->text().contains(QStringLiteral("pipx upgrade yt-dlp")));
        EXPECT_EQ(CutTexts(&sheet), QStringList());
        EXPECT_TRUE(SaveScreenshot(sheet, QLatin1String(c.picture)));
        sheet.reject();
    }
}
