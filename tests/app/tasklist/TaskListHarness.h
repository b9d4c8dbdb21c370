#pragma once
// A task list as the window uses it, with its seams replaced: recording
// prompts (each answer chosen by the test), a recording power switch and a
// counted beep. The worker, the history database and mplayer are real.

#include "base/AppSettings.h"
#include "app/tasklist/DownloadTaskList.h"
#include "ui/GuiMessageTarget.h"
#include "history/SqliteConnection.h"
#include "platform/UserPrompts.h"
#include "support/FakePower.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class FakePrompts : public UserPrompts {
  public:
    struct Shown {
        QString text;
        Icon icon;
    };
    void ShowMessage(const QString& text, Icon icon) override { shown.push_back({text, icon}); }
    Answer AskYesNoCancel(const QString& text) override {
        asked << text;
        return answer;
    }
    int Count(const QString& text) const;

    std::vector<Shown> shown;
    QStringList asked;
    Answer answer = Answer::Cancel;
};

// Makes the process's QApplication on first use (offscreen in the gui label).
void EnsureApplication();

// Processes the window thread's events until `predicate` holds or `timeout`
// passes; returns the predicate's last value.
template <typename Predicate>
bool WaitOnWindow(Predicate&& predicate, std::chrono::milliseconds timeout = std::chrono::seconds(20));

class TaskListHarness {
  public:
    // `folder`: the per-test temporary folder (log, history, output).
    explicit TaskListHarness(const QString& folder);
    ~TaskListHarness();

    DownloadTaskList& List() { return *list_; }
    TaskListModel& Model() { return *list_->Model(); }
    // Hands the list a notification exactly as the worker's target would.
    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = std::nullopt);
    // Waits until a started batch has ended.
    bool WaitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(60));
    int HistoryRows() const;
    QString StatusCell(int row) const;

    AppSettings settings;
    FakePrompts prompts;
    FakePower power;
    int beeps = 0;
    int quits = 0;
    int historySignals = 0;
    QStringList statusLines;

  private:
    std::unique_ptr<SqliteConnection> db_;
    std::unique_ptr<DownloadTaskList> list_;
};

template <typename Predicate> bool WaitOnWindow(Predicate&& predicate, std::chrono::milliseconds timeout) {
    return WaitProcessingEvents(std::forward<Predicate>(predicate), timeout);
}
