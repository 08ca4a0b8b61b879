#pragma once
// A window stand-in that records the numbered messages posted to it, with the thread each one was
// delivered on.

#include "platform/base/PostedMessage.h"

#include <QObject>
#include <QThread>

#include <cstdint>
#include <vector>

namespace testsupport {

class MessageRecorder : public QObject {
public:
    struct Message {
        uint32_t id;
        intptr_t wParam;
        intptr_t lParam;
        QThread* thread;
    };

    bool event(QEvent* e) override
    {
        if (e->type() != platform::PostedMessage::eventType())
            return QObject::event(e);
        const auto* m = static_cast<const platform::PostedMessage*>(e);
        messages.push_back({m->message(), m->wParam(), m->lParam(), QThread::currentThread()});
        return true;
    }

    int count(uint32_t id) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.id == id;
        return n;
    }

    std::vector<Message> messages;
};

} // namespace testsupport
