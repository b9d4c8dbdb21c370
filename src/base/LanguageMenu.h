#pragma once
// The language menu of the main window: one item per offered language file,
// plus the "auto" item the menu resource already holds (their command
// numbers are in base/CommandIds.h). The GUI inserts Items() into the submenu
// whose text is "Language", checks the items IsChecked() names, and hands
// chosen commands to OnLanguageCommand.
//
// Threads: main thread only.

#include <QString>
#include <QStringList>

#include <vector>

class AppSettings;

class LanguageMenu {
  public:
    // Sent to the main window and all its descendants after the language changed.
    static constexpr int kLanguageChangedMessage = 5031;
    // Position of the first language item in the language submenu.
    static constexpr int kFirstItemPosition = 2;

    struct Item {
        int command = 0;
        QString text; // the file's display name
    };

    // Lists "lang_*.ini" of the language folder in the order the file system
    // returns them; a file without "language" in section "General" is not
    // offered. Item k gets command CommandId::FirstLanguage + k and belongs to
    // Codes()[k].
    void Build();
    void Build(const QString& folder);

    const std::vector<Item>& Items() const { return items_; }
    const QStringList& Codes() const { return codes_; }

    // Whether the item with `command` is checked for the language `langId`.
    bool IsChecked(int command, const QString& langId) const;

    // The language command `command`: makes the chosen code the settings'
    // LangID (in memory) and the current language. Returns true when the
    // language changed; the caller then re-marks the menu and sends
    // kLanguageChangedMessage. Unhandled commands and the current language
    // change nothing.
    bool OnLanguageCommand(int command, AppSettings& settings) const;

  private:
    std::vector<Item> items_;
    QStringList codes_;
};
