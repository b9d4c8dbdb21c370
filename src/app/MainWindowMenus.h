#pragma once
// The main window's menus from the bundle: the menu bar (menu 243) with the
// language submenu filled from the language files and marked with the
// current language, the context menus of the task list and of the history
// list (first and second popup of menu 184) and the title area's menu with
// the about item (text TextId::AboutItem).
//
// Threads: main thread only.

#include "base/LanguageMenu.h"

class AppSettings;
class CommandTable;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class ResourceBundle;

class MainWindowMenus {
  public:
    static constexpr int kMainMenu = 243;
    static constexpr int kContextMenus = 184;

    MainWindowMenus(QWidget* window, QMenuBar* bar, CommandTable& commands, AppSettings& settings);

    // False when a menu template is missing: the window then has no menus.
    bool Load(const ResourceBundle& bundle, const QString& productName);
    // Registers the language commands; `changed` runs after a change.
    void RegisterLanguageCommands(std::function<void()> changed);
    // Checks the item of the current language.
    void MarkLanguage();
    // Re-applies the translations of the menu bar and the title area's menu
    // (whose about item names `productName`).
    void Retranslate(const QString& productName);

    QMenu* TaskContextMenu() const { return taskContext_; }
    QMenu* HistoryContextMenu() const { return historyContext_; }
    QMenu* SystemMenu() const { return system_; }

  private:
    QWidget* window_;
    QMenuBar* bar_;
    CommandTable& commands_;
    AppSettings& settings_;
    LanguageMenu languages_;
    QMenu* languageSubmenu_ = nullptr;
    QMenu* taskContext_ = nullptr;
    QMenu* historyContext_ = nullptr;
    QMenu* system_ = nullptr;
    QAction* about_ = nullptr;
};
