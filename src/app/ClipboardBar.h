#pragma once
// The clipboard watch: while it is on, a video page's address copied
// anywhere on the desktop is offered in a bar across the window, "Download
// this video? <address> [Add] [Add and start] [Dismiss]". The bar takes no
// focus and opens no box. An address is offered once: one that was added
// or dismissed is not offered again, and text that is no video page's
// address is ignored, as is what this program itself copied.
//
// Threads: main thread only.

#include <QSet>
#include <QString>
#include <QWidget>

class ElidedLabel;
class QLabel;
class QPushButton;

class ClipboardBar : public QWidget {
    Q_OBJECT
  public:
    explicit ClipboardBar(QWidget* parent = nullptr);

    // Follows the setting; turning it off hides an offer.
    void SetWatching(bool watching);
    bool IsWatching() const { return watching_; }
    // Offers `text` when it is a video page's address not offered before.
    void Consider(const QString& text);
    // The text another program copied last, as the bar read it.
    QString LastCopied() const { return lastCopied_; }
    // The address the bar offers; empty when hidden.
    QString Offered() const { return offered_; }
    void Retranslate();

    QPushButton* AddButton() const { return add_; }
    QPushButton* AddAndStartButton() const { return addAndStart_; }
    QPushButton* DismissButton() const { return dismiss_; }

  Q_SIGNALS:
    void addRequested(const QString& address, bool start);

  private:
    void OnClipboardChanged();
    void Close();

    QLabel* question_;
    ElidedLabel* address_;
    QPushButton* add_;
    QPushButton* addAndStart_;
    QPushButton* dismiss_;
    bool watching_ = false;
    QString offered_;
    QString lastCopied_;
    QSet<QString> seen_; // offers answered (added or dismissed)
};
