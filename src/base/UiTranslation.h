#pragma once
// Translating the texts of a dialog and of a menu through the current
// language file. The GUI copies its widgets' texts into these plain
// structures, calls the translation and copies changed texts back, so the
// rules are tested without widgets.
//
// Threads: main thread only.

#include <QString>

#include <vector>

// One descendant window of a dialog: its control identifier (the widget's
// "ctrlId" property; 0 or less for none) and its text.
struct DialogControl {
    int ctrlId = 0;
    QString text;
    bool changed = false; // set when the translation replaced `text`
};

struct DialogTexts {
    QString caption;
    bool captionChanged = false;
    std::vector<DialogControl> controls; // every descendant, in any order
};

// Dialog template `idd` > 0: every control whose identifier is a key of
// section "DIALOG_IDD_<idd>" gets that value ("\n" escape only); then the
// caption becomes the value of "title" ("\n" and "\t") when it exists.
// `idd` 0: every control's current text goes through TranslateText and the
// caption is left alone.
void TranslateDialog(DialogTexts& dialog, int idd);

// One entry of a menu: a popup (it has a submenu), a separator, or a
// command item.
struct MenuEntry {
    enum Kind { Command, Popup, Separator };
    Kind kind = Command;
    int id = 0; // command identifier of a Command entry
    QString text;
    bool checked = false;  // kept as it was: translation changes only the text
    bool disabled = false; // kept as it was
    bool changed = false;  // set when the translation replaced `text`
    std::vector<MenuEntry> submenu;
};

// Section "MENU": a command item with an identifier above 0 takes the value
// of its identifier ("\n", "\t"); when `isMenuBar`, the popup at 0-based
// position p takes the value of "item_<p+1>". Submenus are translated
// recursively (never as a menu bar).
void TranslateMenu(std::vector<MenuEntry>& menu, bool isMenuBar);
