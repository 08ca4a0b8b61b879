#include "platform/base/PostedMessage.h"

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
#include <mutex>

extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

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
    // pointer may be read safely. Qt's event queue hands the event over under a lock that
    // ThreadSanitizer does not see, so the event's contents are released here and acquired in
    // event().
    auto* posted = new PostedMessage(message, wParam, lParam);
#if defined(__SANITIZE_THREAD__)
    __tsan_release(this);
    // Workers posting at the same moment append to one event queue under Qt's own lock, which
    // ThreadSanitizer does not see either; one lock it sees keeps it from reporting that append.
    static std::mutex posting;
    const std::lock_guard lock(posting);
#endif
    QCoreApplication::postEvent(this, posted);
}

bool MessagePoster::event(QEvent* event)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(this);
#endif
    if (event->type() != PostedMessage::eventType())
        return QObject::event(event);
    if (!accept(static_cast<const PostedMessage&>(*event)))
        return true;
    if (QObject* target = m_receiver.data())
        QCoreApplication::sendEvent(target, event);
    return true;
}

} // namespace platform
