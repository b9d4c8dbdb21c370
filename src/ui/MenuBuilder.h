#pragma once
// Menus built from the bundle's menu templates. Every command item triggers
// its number in a CommandTable; just before a menu opens its items are
// re-enabled from the commands' tests and its texts are translated through
// the current language (so menus always show the current language).
//
// Threads: main thread only.

#include "base/UiTranslation.h"

#include <vector>

class CommandTable;
class QAction;
class QMenu;
class QMenuBar;
class QString;

namespace MenuBuilder {
// Fills `menu` with `entries` (recursively). Items carry their command number
// as the action's data; translation keeps the template's texts as the base.
void Fill(QMenu* menu, const std::vector<MenuEntry>& entries, CommandTable& commands);
// Fills a menu bar with the template's popups.
void FillBar(QMenuBar* bar, const std::vector<MenuEntry>& popups, CommandTable& commands);
// Inserts a command item at `position` (appends when past the end).
QAction* InsertItem(QMenu* menu, int position, int id, const QString& text, CommandTable& commands);
// Re-applies translations to a menu's items and its submenus.
void TranslateMenu(QMenu* menu);
// Gives an item a new untranslated text (one the program makes itself).
void SetBaseText(QAction* action, const QString& text);
// The submenu of `menu` whose template text is exactly `text`; null if none.
QMenu* FindSubmenu(QMenu* menu, const QString& text);
// Re-applies translations to the menu bar's popup titles ("item_<n>") and
// to every item and submenu title below them.
void TranslateBar(QMenuBar* bar);
} // namespace MenuBuilder
