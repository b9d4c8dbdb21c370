#pragma once
// The window's receiver of worker notifications: every Post becomes a
// PostedMessageEvent queued to one QObject, which handles it on its own
// thread in the order posted.
//
// Threads: Post may be called from any thread and never waits for the
// receiver (it only queues). Detach, the constructor and the destructor run
// on the receiver's thread. Once the receiver is gone (or detached) posts
// are dropped, so a worker that outlives its window cannot reach a deleted
// object; still, stop the worker before the target itself is destroyed.

#include "platform/MessageTarget.h"

#include <QEvent>
#include <QObject>
#include <QString>

#include <mutex>
#include <optional>

// One posted notification: the message number, both parameters and the
// optional text that travels with it.
class PostedMessageEvent : public QEvent {
  public:
    PostedMessageEvent(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text);
    static QEvent::Type EventType();

    const int msg;
    const qintptr wParam;
    const qintptr lParam;
    const std::optional<QString> text;
};

class GuiMessageTarget : public MessageTarget {
  public:
    explicit GuiMessageTarget(QObject* receiver);
    ~GuiMessageTarget() override;
    GuiMessageTarget(const GuiMessageTarget&) = delete;
    GuiMessageTarget& operator=(const GuiMessageTarget&) = delete;

    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text = {}) override;
    // From now on posts are dropped.
    void Detach();

  private:
    std::mutex mutex_;
    QObject* receiver_; // guarded by mutex_; null once detached
    QMetaObject::Connection destroyed_;
};
