#pragma once
// A MessageTarget that hands every post to a handler on the thread of a
// QObject (its context). Posts that arrive after the context is gone are
// dropped.
//
// Threads: Post from any thread; the handler runs on the context's thread.

#include "platform/MessageTarget.h"

#include <QObject>

#include <functional>

class QueuedCallTarget : public MessageTarget {
  public:
    using Handler = std::function<void(int msg, qintptr wParam, qintptr lParam)>;
    QueuedCallTarget(QObject* context, Handler handler) : context_(context), handler_(std::move(handler)) {}

    void Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString>) override {
        Handler handler = handler_;
        QMetaObject::invokeMethod(
            context_, [handler, msg, wParam, lParam] { handler(msg, wParam, lParam); }, Qt::QueuedConnection);
    }

  private:
    QObject* context_;
    Handler handler_;
};
