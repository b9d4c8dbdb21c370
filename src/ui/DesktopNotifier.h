#pragma once
// Desktop notifications (org.freedesktop.Notifications on the session bus):
// the end of a batch, with an action that opens the output folder. Every
// call is asynchronous; without a notification server nothing is shown and
// nothing waits.
//
// Threads: main thread only.

#include <QObject>
#include <QString>

#include <map>

class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // "Downloads finished" with the counts, and "Open folder" for `folder`.
    void NotifyBatchEnded(int saved, int failed, const QString& folder);

  Q_SIGNALS:
    // The user chose the notification's action.
    void openFolderRequested(const QString& folder);

  private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

  private:
    bool subscribed_ = false;
    std::map<uint, QString> folders_; // shown notification -> its folder
};
