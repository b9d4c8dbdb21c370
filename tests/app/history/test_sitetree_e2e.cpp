// The site panel on a real X display with downloads of two other sites: the
// other sites' node chosen, its list naming each row's site; saved as a
// picture.
#include "app/MainWindowFixture.h"
#include "app/history/HistoryList.h"
#include "app/history/HistoryListView.h"
#include "app/history/SiteTreePanel.h"
#include "history/SqliteStatementText.h"

#include <QTreeWidget>
#include <QWindow>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);
} // namespace

class SiteTreeE2E : public LanguageSwitchingFixture {};

TEST_F(SiteTreeE2E, OtherSitesListIsSaved) {
    const struct {
        const char* label;
        const char* file;
        const char* page;
        int seconds;
        const char* format;
        const char* size;
        int daysAgo;
    } rows[] = {
        {"VIMEO", "Night train through the Alps.mp4", "https://vimeo.com/76979871", 754, "h264", "1920x1080",
         0},
        {"GENERIC", "City council meeting, 4 March.webm", "https://example.org/council/2026-03-04", 5412,
         "vp9", "1280x720", 3},
        {"VIMEO", "Glass blowing in Murano.mp4", "https://vimeo.com/22439234", 298, "h264", "1280x720", 40},
    };
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& r : rows) {
        const QDateTime when(now.date().addDays(-r.daysAgo), QTime(10, 5));
        const QByteArray location = (Path("downloads/") + QString::fromUtf8(r.file)).toUtf8();
        const QByteArray date = english.toString(when, QStringLiteral("MMMM dd, yyyy HH:mm:ss")).toUtf8();
        SqliteStatementText sql;
        sql.Format(
            "INSERT INTO history (profile_name, src_file_name, dest_file_name, duration, vcodec, vsize, "
            "convert_date) VALUES (%Q, %Q, %Q, %d, %Q, %Q, %Q);",
            r.label, r.page, location.constData(), r.seconds * 1000, r.format, r.size, date.constData());
        history_->Execute(sql);
    }
    const struct {
        const char* code;
        const char* picture;
        const char* node;
    } languages[] = {{"en", "sitetree-other.png", "Other sites (3)"},
                     {"de", "sitetree-other-de.png", "Andere Websites (3)"}};
    for (const auto& language : languages) {
        SCOPED_TRACE(language.code);
        // Started in the language, so every text the window sets is in it.
        Settings().LangID = QString::fromLatin1(language.code);
        SelectLanguage(Settings().LangID);
        CTrevaloDlg& window = Open();
        window.resize(1180, 600); // room for every column beside the preview
        ASSERT_TRUE(WaitForGui([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
        ASSERT_TRUE(window.IsSiteTreeVisible());
        SiteTreePanel* tree = window.SiteTree();
        tree->Tree()->setCurrentItem(tree->Node(SiteTreePanel::kOtherSites));
        ASSERT_FALSE(window.IsTaskListInFront());
        const QAbstractItemModel* list = window.History()->Model();
        ASSERT_EQ(list->rowCount(), 3);
        window.History()->ListView()->selectRow(0);
        EXPECT_EQ(tree->Node(SiteTreePanel::kOtherSites)->text(0), QString::fromUtf8(language.node));
        QApplication::processEvents();
        // Every node's name and count is shown whole.
        EXPECT_LE(static_cast<QAbstractItemView*>(tree->Tree())->sizeHintForColumn(0),
                  tree->Tree()->viewport()->width());
        QStringList sites;
        for (int row = 0; row < list->rowCount(); ++row)
            sites << list->index(row, HistoryListModel::kSiteSection).data().toString();
        EXPECT_EQ(sites, (QStringList{"Vimeo", "Generic", "Vimeo"}));
        // Every heading and every site name fits its column.
        HistoryListView* view = window.History()->ListView();
        const QFontMetrics metrics = view->fontMetrics();
        for (int column = 1; column < list->columnCount(); ++column)
            EXPECT_GE(view->columnWidth(column),
                      metrics.horizontalAdvance(list->headerData(column, Qt::Horizontal).toString()))
                << column;
        // Every cell but the file's (a long name is shortened in its middle).
        for (int row = 0; row < list->rowCount(); ++row)
            for (int column = 1; column < list->columnCount(); ++column)
                EXPECT_GE(view->columnWidth(column),
                          metrics.horizontalAdvance(list->index(row, column).data().toString()) + 6)
                    << row << ", " << column;
        EXPECT_TRUE(SaveScreenshot(window, QLatin1String(language.picture)));
    }
}
