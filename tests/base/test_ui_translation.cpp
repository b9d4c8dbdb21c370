#include "base/UiTranslation.h"

#include "LocalizationFixture.h"

class UiTranslationTest : public LocalizationTest {
  protected:
    void SetUp() override {
        LocalizationTest::SetUp();
        WriteLanguage("xx", "[DIALOG_IDD_154]\n"
                            "title=Allgemein\\tTab\\nZeile\n"
                            "1012=Zeile eins\\nZeile zwei\\tkein Tab\n"
                            "1195=\n"
                            "[MENU]\n"
                            "item_1=&Datei\n"
                            "item_3=&Hilfe\n"
                            "32855=Alle starten\\tF5\n"
                            "32772=Beenden\n"
                            "32858=Automatisch\n"
                            "[DICTIONARY]\n"
                            "Zorv YouTube Downloader=Zorv Herunterlader\n");
        SelectLanguage("xx");
    }

    static MenuEntry Command(int id, const char* text, bool checked = false, bool disabled = false) {
        MenuEntry entry;
        entry.id = id;
        entry.text = text;
        entry.checked = checked;
        entry.disabled = disabled;
        return entry;
    }
    static MenuEntry Popup(const char* text, std::vector<MenuEntry> items) {
        MenuEntry entry;
        entry.kind = MenuEntry::Popup;
        entry.text = text;
        entry.submenu = std::move(items);
        return entry;
    }
};

TEST_F(UiTranslationTest, DialogControlsTakeTheirTextsByIdentifier) {
    DialogTexts dialog;
    dialog.caption = "General";
    dialog.controls = {{1012, "Shut down when done"}, {1195, "Browse..."}, {1196, "Open"}, {0, "label"}};
    TranslateDialog(dialog, 154);
    EXPECT_EQ(dialog.caption, "Allgemein\tTab\nZeile");
    EXPECT_TRUE(dialog.captionChanged);
    // Controls take "\n" but not "\t".
    EXPECT_EQ(dialog.controls[0].text, "Zeile eins\nZeile zwei\\tkein Tab");
    EXPECT_TRUE(dialog.controls[0].changed);
    EXPECT_EQ(dialog.controls[1].text, "Browse..."); // empty value: unchanged
    EXPECT_FALSE(dialog.controls[1].changed);
    EXPECT_EQ(dialog.controls[2].text, "Open");
    EXPECT_EQ(dialog.controls[3].text, "label");

    DialogTexts other;
    other.caption = "About";
    other.controls = {{1012, "untouched"}};
    TranslateDialog(other, 100); // no section for this dialog
    EXPECT_EQ(other.caption, "About");
    EXPECT_FALSE(other.captionChanged);
    EXPECT_EQ(other.controls[0].text, "untouched");
}

TEST_F(UiTranslationTest, DialogZeroUsesTheDictionaryAndKeepsTheCaption) {
    DialogTexts dialog;
    dialog.caption = "Zorv YouTube Downloader";
    dialog.controls = {{1012, "Zorv YouTube Downloader"}, {1013, "Version 1.0.8"}};
    TranslateDialog(dialog, 0);
    EXPECT_EQ(dialog.caption, "Zorv YouTube Downloader");
    EXPECT_EQ(dialog.controls[0].text, "Zorv Herunterlader");
    EXPECT_TRUE(dialog.controls[0].changed);
    EXPECT_FALSE(dialog.controls[1].changed);
}

TEST_F(UiTranslationTest, MenusKeepTheirStatesAndOnlyTheBarTakesItemTitles) {
    MenuEntry separator;
    separator.kind = MenuEntry::Separator;
    std::vector<MenuEntry> bar = {
        Popup("&File", {Command(32855, "Start all", false, true), separator, Command(32772, "Exit")}),
        Popup("&View", {Popup("Language", {Command(32858, "Auto", true)})}),
        Popup("&Help", {}),
    };
    TranslateMenu(bar, true);
    EXPECT_EQ(bar[0].text, "&Datei");
    EXPECT_EQ(bar[1].text, "&View"); // no item_2
    EXPECT_EQ(bar[2].text, "&Hilfe");
    const MenuEntry& start = bar[0].submenu[0];
    EXPECT_EQ(start.text, "Alle starten\tF5");
    EXPECT_FALSE(start.checked);
    EXPECT_TRUE(start.disabled);
    EXPECT_EQ(bar[0].submenu[1].text, "");
    EXPECT_EQ(bar[0].submenu[2].text, "Beenden");
    // Nested popups are not the menu bar: "item_1" does not apply to "Language".
    EXPECT_EQ(bar[1].submenu[0].text, "Language");
    EXPECT_EQ(bar[1].submenu[0].submenu[0].text, "Automatisch");
    EXPECT_TRUE(bar[1].submenu[0].submenu[0].checked);

    // A context menu's popups are never titled from "item_%d".
    std::vector<MenuEntry> context = {Popup("Tasks", {Command(32772, "Exit")})};
    TranslateMenu(context, false);
    EXPECT_EQ(context[0].text, "Tasks");
    EXPECT_FALSE(context[0].changed);
    EXPECT_EQ(context[0].submenu[0].text, "Beenden");
}
