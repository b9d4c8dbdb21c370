#pragma once
// The panel of HTML tips beside the task list (page 1018 of the bundle).
// Links open in the user's browser.
//
// Threads: main thread only.

#include <QTextBrowser>

class TipsPanel : public QTextBrowser {
    Q_OBJECT
  public:
    static constexpr int kPageId = 1018;
    explicit TipsPanel(QWidget* parent = nullptr);
    void SetPage(const QString& html);
};
