#pragma once
// What the window tests share: one QApplication for the process, recording
// fakes for the two seams (questions and power-off), and pumping events
// while waiting on state.

#include "platform/DesktopShell.h"
#include "platform/UserPrompts.h"
#include "support/FakePower.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
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

// Runs `checks` on the modal dialog about to open (from the event loop of its
// exec, as the user would). A dialog that is still open afterwards, because
// an ASSERT returned early or the checks forgot to close it, is rejected, so
// a failed check fails the test instead of leaving it hanging in the dialog.
template <typename Checks> void WhenModalOpens(QObject* context, Checks checks) {
    QTimer::singleShot(0, context, [checks]() mutable {
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        checks();
        if (!modal || !modal->isVisible())
            return;
        if (!::testing::Test::HasFailure())
            ADD_FAILURE() << "the checks left the dialog open";
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
            dialog->reject();
        else
            modal->close();
    });
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
// `answers` false: as a desktop without a file manager or launcher.
class FakeShell : public DesktopShell {
  public:
    void ShowFileInFolder(const QString& path, Answered answered) override {
        shownFiles.append(path);
        if (answered)
            answered(answers);
    }
    bool Open(const QUrl& url) override {
        opened.append(url);
        return answers;
    }

    QStringList shownFiles;
    QList<QUrl> opened;
    bool answers = true;
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

// Texts of `page` and its visible children not shown whole, each with what
// is short: labels and buttons narrower or lower than their text, group box
// titles, tab titles (elided or scrolled out of their bar), table column
// heads and the cells in view (but a column the table shortens on purpose).
QStringList CutTexts(QWidget* page);
