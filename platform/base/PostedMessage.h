#pragma once
// Numbered messages posted from library threads to a receiver on the GUI thread, in place of the
// window messages the programs' libraries post to a window (0x465 playback ended, 0x52D a pad
// ended, 0x7E9 the output volume changed, ...). A library thread never touches a widget: it posts,
// and the receiver's event loop delivers the message on the receiver's thread.

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <cstdint>

namespace platform {

class PostedMessage : public QEvent {
public:
    PostedMessage(uint32_t message, intptr_t wParam, intptr_t lParam);

    static QEvent::Type eventType();

    uint32_t message() const { return m_message; }
    intptr_t wParam() const { return m_wParam; }
    intptr_t lParam() const { return m_lParam; }

private:
    uint32_t m_message;
    intptr_t m_wParam;
    intptr_t m_lParam;
};

// The sending end a library owns. Made and given its receiver on the GUI thread; post() may be
// called from any thread. A message is handed to the receiver current when it is delivered, and
// dropped when there is none; messages posted before the poster is destroyed and not yet delivered
// are dropped with it.
class MessagePoster : public QObject {
public:
    MessagePoster();

    // GUI thread only. The receiver gets the messages through its event() as PostedMessage events.
    void setReceiver(QObject* receiver);
    QObject* receiver() const { return m_receiver.data(); }

    void post(uint32_t message, intptr_t wParam = 0, intptr_t lParam = 0);

protected:
    bool event(QEvent* event) override;

    // GUI thread, before the message goes to the receiver: false drops it.
    virtual bool accept(const PostedMessage&) { return true; }

private:
    QPointer<QObject> m_receiver;
};

} // namespace platform
