#include "app/MainWindowMenus.h"

#include "base/AppSettings.h"
#include "base/CommandIds.h"
#include "base/Localization.h"
#include "base/TextFill.h"
#include "base/TextIds.h"
#include "ui/CommandTable.h"
#include "ui/MenuBuilder.h"
#include "ui/ResourceBundle.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

MainWindowMenus::MainWindowMenus(QWidget* window, QMenuBar* bar, CommandTable& commands,
                                 AppSettings& settings)
    : window_(window), bar_(bar), commands_(commands), settings_(settings) {}

bool MainWindowMenus::Load(const ResourceBundle& bundle, const QString& productName) {
    system_ = new QMenu(window_);
    const QString about = FillFormat(LoadText(TextId::AboutItem), {productName});
    if (!about.isEmpty()) {
        system_->addSeparator();
        about_ = MenuBuilder::InsertItem(system_, 1, CommandId::SystemAbout, about, commands_);
    }
    taskContext_ = new QMenu(window_);
    historyContext_ = new QMenu(window_);
    const auto main = bundle.Menu(kMainMenu);
    const auto context = bundle.Menu(kContextMenus);
    if (!main || !context)
        return false;
    MenuBuilder::FillBar(bar_, *main, commands_);
    // The language submenu is found by its template text, before translation.
    const QList<QAction*> popups = bar_->actions();
    if (popups.size() > 1)
        languageSubmenu_ = MenuBuilder::FindSubmenu(popups[1]->menu(), QStringLiteral("Language"));
    if (languageSubmenu_) {
        languages_.Build();
        int position = LanguageMenu::kFirstItemPosition;
        for (const LanguageMenu::Item& item : languages_.Items())
            MenuBuilder::InsertItem(languageSubmenu_, position++, item.command, item.text, commands_);
        for (QAction* action : languageSubmenu_->actions())
            action->setCheckable(!action->isSeparator());
        MarkLanguage();
    }
    if (!context->empty())
        MenuBuilder::Fill(taskContext_, context->front().submenu, commands_);
    if (context->size() > 1)
        MenuBuilder::Fill(historyContext_, (*context)[1].submenu, commands_);
    return true;
}

void MainWindowMenus::RegisterLanguageCommands(std::function<void()> changed) {
    auto command = [this, changed](int id) {
        return [this, changed, id] {
            if (languages_.OnLanguageCommand(id, settings_)) {
                MarkLanguage();
                changed();
            }
        };
    };
    commands_.Add(CommandId::LanguageAuto, nullptr, command(CommandId::LanguageAuto));
    for (int id = CommandId::FirstLanguage; id <= CommandId::LastLanguage; ++id)
        commands_.Add(id, nullptr, command(id));
}

void MainWindowMenus::MarkLanguage() {
    if (!languageSubmenu_)
        return;
    for (QAction* action : languageSubmenu_->actions())
        if (!action->isSeparator())
            action->setChecked(languages_.IsChecked(action->data().toInt(), settings_.LangID));
}

void MainWindowMenus::Retranslate(const QString& productName) {
    MenuBuilder::TranslateBar(bar_);
    for (QMenu* menu : {taskContext_, historyContext_})
        if (menu)
            MenuBuilder::TranslateMenu(menu);
    if (about_)
        MenuBuilder::SetBaseText(about_, FillFormat(LoadText(TextId::AboutItem), {productName}));
}
