#include "platform/PostedMessage.h"

#include <QCoreApplication>

namespace platform {

PostedMessage::PostedMessage(uint32_t message, intptr_t wParam, intptr_t lParam)
    : QEvent(eventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
}

QEvent::Type PostedMessage::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

MessagePoster::MessagePoster() = default;

void MessagePoster::setReceiver(QObject* receiver)
{
    m_receiver = receiver;
}

void MessagePoster::post(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    // Posted to this object, which lives on the GUI thread; it forwards there, where the receiver
    // pointer may be read safely.
    QCoreApplication::postEvent(this, new PostedMessage(message, wParam, lParam));
}

bool MessagePoster::event(QEvent* event)
{
    if (event->type() != PostedMessage::eventType())
        return QObject::event(event);
    if (QObject* target = m_receiver.data())
        QCoreApplication::sendEvent(target, event);
    return true;
}

} // namespace platform
