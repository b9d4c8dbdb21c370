#include "ui/MenuBuilder.h"

#include "base/Localization.h"
#include "ui/CommandTable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
// The template's own text, kept so every translation starts from it.
constexpr const char* kBaseText = "zorvBaseText";

QString BaseText(const QAction* action) {
    return action->property(kBaseText).toString();
}

// The key shown after the tab of a template text; empty when it has none.
QString ShortcutPart(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab);
}

// Menu -> plain entries (texts from the template), translate, copy back.
// A translation that names no key keeps the template's key; a submenu's
// title goes through the dictionary (only the bar's titles are numbered).
void Translate(const QList<QAction*>& actions, bool isMenuBar) {
    std::vector<MenuEntry> entries;
    for (QAction* action : actions) {
        MenuEntry e;
        if (action->isSeparator())
            e.kind = MenuEntry::Separator;
        else if (action->menu())
            e.kind = MenuEntry::Popup;
        else
            e.id = action->data().toInt();
        e.text = BaseText(action);
        entries.push_back(e);
    }
    TranslateMenu(entries, isMenuBar);
    for (qsizetype i = 0; i < actions.size(); ++i) {
        MenuEntry& e = entries[i];
        if (e.kind == MenuEntry::Separator)
            continue;
        if (e.kind == MenuEntry::Popup && !isMenuBar)
            e.text = TranslateText(e.text);
        else if (e.changed && !e.text.contains(QLatin1Char('\t')))
            e.text += ShortcutPart(BaseText(actions[i]));
        actions[i]->setText(e.text);
    }
}

// The menu and its submenus, as they are now.
void TranslateTree(QMenu* menu) {
    Translate(menu->actions(), false);
    for (QAction* action : menu->actions())
        if (action->menu())
            TranslateTree(action->menu());
}

void Refresh(QMenu* menu, CommandTable& commands) {
    for (QAction* action : menu->actions()) {
        const int id = action->data().toInt();
        if (!action->isSeparator() && !action->menu() && id > 0)
            action->setEnabled(commands.IsEnabled(id));
    }
    Translate(menu->actions(), false);
}

QAction* AddPopup(QWidget* parentMenu, const MenuEntry& entry, CommandTable& commands) {
    auto* sub = new QMenu(entry.text, parentMenu);
    MenuBuilder::Fill(sub, entry.submenu, commands);
    QAction* action = sub->menuAction();
    action->setProperty(kBaseText, entry.text);
    return action;
}
} // namespace

namespace MenuBuilder {
void Fill(QMenu* menu, const std::vector<MenuEntry>& entries, CommandTable& commands) {
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Popup:
            menu->addAction(AddPopup(menu, entry, commands));
            break;
        case MenuEntry::Command:
            InsertItem(menu, static_cast<int>(menu->actions().size()), entry.id, entry.text, commands);
            break;
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, &commands, [menu, &commands] { Refresh(menu, commands); });
}

QAction* InsertItem(QMenu* menu, int position, int id, const QString& text, CommandTable& commands) {
    auto* action = new QAction(text, menu);
    action->setData(id);
    action->setProperty(kBaseText, text);
    QObject::connect(action, &QAction::triggered, &commands, [&commands, id] { commands.Execute(id); });
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(position < actions.size() ? actions[position] : nullptr, action);
    return action;
}

void FillBar(QMenuBar* bar, const std::vector<MenuEntry>& popups, CommandTable& commands) {
    for (const MenuEntry& entry : popups)
        if (entry.kind == MenuEntry::Popup)
            bar->addAction(AddPopup(bar, entry, commands));
    TranslateBar(bar);
}

void SetBaseText(QAction* action, const QString& text) {
    action->setProperty(kBaseText, text);
    action->setText(text);
}

QMenu* FindSubmenu(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->menu() && BaseText(action) == text)
            return action->menu();
    return nullptr;
}

void TranslateMenu(QMenu* menu) {
    TranslateTree(menu);
}

void TranslateBar(QMenuBar* bar) {
    Translate(bar->actions(), true);
    for (QAction* popup : bar->actions())
        if (popup->menu())
            TranslateTree(popup->menu());
}
} // namespace MenuBuilder
