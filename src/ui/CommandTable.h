#pragma once
// The window's numbered commands: each has an enabled test and an action.
// Menus, accelerator keys and the title-bar strip all go through Execute,
// so a command whose test fails is ignored whatever issued it (menus also
// show the test's result: see MenuBuilder).
//
// Threads: main thread only.

#include <QHash>
#include <QKeySequence>
#include <QObject>

#include <functional>
#include <vector>

class QShortcut;
class QWidget;

class CommandTable : public QObject {
    Q_OBJECT
  public:
    using Test = std::function<bool()>;
    using Action = std::function<void()>;

    explicit CommandTable(QObject* parent = nullptr);

    // Registers command `id`; a null test means "always enabled".
    void Add(int id, Test enabled, Action action);
    bool Has(int id) const { return commands_.contains(id); }

    // Whether `id` is registered and its test passes.
    bool IsEnabled(int id) const;
    // Runs the action when the command is enabled; returns whether it ran.
    bool Execute(int id);

    // Installs one window-wide shortcut on `window` for each key sequence.
    void InstallAccelerator(QWidget* window, const QKeySequence& keys, int id);

  Q_SIGNALS:
    // Every command that ran, after its action.
    void executed(int id);

  private:
    struct Command {
        Test enabled;
        Action action;
    };
    QHash<int, Command> commands_;
    std::vector<QShortcut*> shortcuts_;
};
