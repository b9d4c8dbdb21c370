#include "ui/CommandTable.h"

#include <QShortcut>
#include <QWidget>

CommandTable::CommandTable(QObject* parent) : QObject(parent) {}

void CommandTable::Add(int id, Test enabled, Action action) {
    commands_.insert(id, Command{std::move(enabled), std::move(action)});
}

bool CommandTable::IsEnabled(int id) const {
    const auto it = commands_.constFind(id);
    if (it == commands_.constEnd())
        return false;
    return !it->enabled || it->enabled();
}

bool CommandTable::Execute(int id) {
    if (!IsEnabled(id))
        return false;
    // Copy: the action may replace the table's entries.
    const Action action = commands_.value(id).action;
    if (action)
        action();
    Q_EMIT executed(id);
    return true;
}

void CommandTable::InstallAccelerator(QWidget* window, const QKeySequence& keys, int id) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, id] { Execute(id); });
    shortcuts_.push_back(shortcut);
}
