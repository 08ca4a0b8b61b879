#include "platform/base/PostedMessage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <thread>
#include <vector>

namespace {

struct Receiver : QObject {
    struct Got {
        uint32_t message;
        intptr_t wParam, lParam;
        QThread* thread;
    };
    std::vector<Got> got;

    bool event(QEvent* e) override
    {
        if (e->type() != platform::PostedMessage::eventType())
            return QObject::event(e);
        const auto* m = static_cast<platform::PostedMessage*>(e);
        got.push_back({m->message(), m->wParam(), m->lParam(), QThread::currentThread()});
        return true;
    }
};

} // namespace

TEST(PostedMessage, ArrivesOnTheReceiversThreadInOrder)
{
    platform::MessagePoster poster;
    Receiver receiver;
    poster.setReceiver(&receiver);
    std::thread worker([&] {
        poster.post(0x465, 1, 0);
        poster.post(0x52D, 15, 7);
    });
    worker.join();
    EXPECT_TRUE(receiver.got.empty()); // nothing before the event loop runs
    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.got.size(), 2u);
    EXPECT_EQ(receiver.got[0].message, 0x465u);
    EXPECT_EQ(receiver.got[0].wParam, 1);
    EXPECT_EQ(receiver.got[1].message, 0x52Du);
    EXPECT_EQ(receiver.got[1].wParam, 15);
    EXPECT_EQ(receiver.got[1].lParam, 7);
    EXPECT_EQ(receiver.got[0].thread, QThread::currentThread());
}

TEST(PostedMessage, GoesToTheReceiverCurrentAtDeliveryOrNowhere)
{
    platform::MessagePoster poster;
    auto first = std::make_unique<Receiver>();
    Receiver second;
    poster.setReceiver(first.get());
    poster.post(1);
    first.reset(); // destroyed before delivery
    QCoreApplication::processEvents();
    poster.setReceiver(&second);
    poster.post(2);
    poster.setReceiver(nullptr);
    poster.post(3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(second.got.empty());
    poster.setReceiver(&second);
    poster.post(4);
    QCoreApplication::processEvents();
    ASSERT_EQ(second.got.size(), 1u);
    EXPECT_EQ(second.got[0].message, 4u);
}
