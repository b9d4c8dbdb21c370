// The link-import dialog on a real X display in each shipped language,
// saved as pictures for review; no label or button may be cut off.

#include "base/Localization.h"
#include "browser/gui/CImportLinksDlg.h"
#include "support/TempDirTest.h"
#include "support/gui/GuiTestSupport.h"

#include <QLineEdit>
#include <QWindow>

namespace {
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new XvfbTestEnvironment);
}

class ImportLinksE2E : public TempDirTest {
  protected:
    void TearDown() override {
        SelectLanguage(QStringLiteral("en"));
        TempDirTest::TearDown();
    }
};

TEST_F(ImportLinksE2E, EveryLanguageShowsItsTextsUncut) {
    TestApp();
    struct Case {
        const char* code;
        const char* picture;
        const char* title;
    };
    const Case cases[] = {
        {"en", "import-links.png", "Import links"},
        {"de", "import-links-de.png", "Links importieren"},
        {"ja", nullptr, "リンクのインポート"}, // the display has no Japanese font: no picture
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(SelectLanguage(QString::fromLatin1(c.code)), QString::fromLatin1(c.code));
        CImportLinksDlg dialog;
        dialog.AddressEdit()->setText(QStringLiteral("http://www.youtube.com/"));
        dialog.show();
        ASSERT_TRUE(WaitForGui([&] { return dialog.isVisible() && dialog.windowHandle()->isExposed(); }));
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(CutTexts(&dialog), QStringList());
        if (c.picture) {
            EXPECT_TRUE(SaveScreenshot(dialog, QString::fromLatin1(c.picture)));
        }
    }
}
