#include "ui/GuiMessageTarget.h"

#include <QCoreApplication>

PostedMessageEvent::PostedMessageEvent(int msg_, qintptr wParam_, qintptr lParam_,
                                       std::optional<QString> text_)
    : QEvent(EventType()), msg(msg_), wParam(wParam_), lParam(lParam_), text(std::move(text_)) {}

QEvent::Type PostedMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

GuiMessageTarget::GuiMessageTarget(QObject* receiver) : receiver_(receiver) {
    // A receiver deleted first takes the target's pointer with it, before its
    // queued events are discarded.
    destroyed_ = QObject::connect(
        receiver, &QObject::destroyed, receiver, [this] { Detach(); }, Qt::DirectConnection);
}

GuiMessageTarget::~GuiMessageTarget() {
    QObject::disconnect(destroyed_);
    Detach();
}

void GuiMessageTarget::Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text) {
    // Held across postEvent so the receiver cannot be deleted in between;
    // postEvent only appends to the receiver thread's queue.
    std::lock_guard lock(mutex_);
    if (receiver_)
        QCoreApplication::postEvent(receiver_, new PostedMessageEvent(msg, wParam, lParam, std::move(text)));
}

void GuiMessageTarget::Detach() {
    std::lock_guard lock(mutex_);
    receiver_ = nullptr;
}
