#pragma once
// What the window tests share: one QApplication for the process, recording
// fakes for the two seams (questions and power-off), and pumping events
// while waiting on state.

#include "platform/DesktopShell.h"
#include "platform/UserPrompts.h"
#include "support/FakePower.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <memory>

#include <gtest/gtest.h>

// The process's application object (created on first use).
QApplication& TestApp();

// Waits for `predicate` while the window's thread keeps handling events.
template <typename Predicate>
bool WaitForGui(Predicate&& predicate, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return WaitProcessingEvents(std::forward<Predicate>(predicate), timeout);
}

class WindowPrompts : public UserPrompts {
  public:
    void ShowMessage(const QString& text, Icon icon) override { messages.append(text); }
    bool AskYesNo(const QString& text) override {
        questions.append(text);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> PickFolder(const QString& title, const QString&) override {
        pickerTitles.append(title);
        return pickedFolder;
    }

    QStringList messages;
    QStringList questions;
    std::deque<bool> answers; // empty: "No"
    QStringList pickerTitles;
    std::optional<QString> pickedFolder;
};

// Records what the window would have shown in the file manager or opened.
class FakeShell : public DesktopShell {
  public:
    void ShowFileInFolder(const QString& path) override { shownFiles.append(path); }
    void Open(const QUrl& url) override { opened.append(url); }

    QStringList shownFiles;
    QList<QUrl> opened;
};

// Starts a private Xvfb for a whole test program; it must run before the
// application object connects to a display.
class XvfbDisplay;
class XvfbTestEnvironment : public ::testing::Environment {
  public:
    XvfbTestEnvironment();
    ~XvfbTestEnvironment() override;
    void SetUp() override;
    void TearDown() override;

  private:
    std::unique_ptr<XvfbDisplay> display_;
};

// Saves the whole window as build/screenshots/<name>, once pending layout
// changes have been applied. `fromScreen` takes the pixels the display shows,
// for windows with parts Qt does not paint itself (an embedded browser).
bool SaveScreenshot(QWidget& window, const QString& name, bool fromScreen = false);

// Labels and buttons of `page` narrower than their text needs.
QStringList CutTexts(QWidget* page);
