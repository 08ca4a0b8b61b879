#pragma once
// What the messaging tests share: waiting while the event loop runs, and a thread with its own
// event loop that stands for another process's GUI thread (it owns a LocalMessaging and serves
// the windows registered through it, and can be made to hang).

#include "platform/messaging/LocalMessaging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QTimer>
#include <QThread>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace messagingtest {

// A new folder with a short path: socket paths must fit a socket address, and the tests' own
// folders carry the test's name.
inline QString shortFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/w-XXXXXX"));
    return ::mkdtemp(pattern.data()) ? QFile::decodeName(pattern) : QString();
}

// Runs the event loop until the condition holds; false when it did not within the time.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// The test's thread hands the peer thread its work under a std::mutex, which ThreadSanitizer
// sees; Qt's own cross-thread calls pass their data under locks that it does not see.
class PeerThread {
public:
    explicit PeerThread(platform::LocalMessagingOptions options)
        : m_thread(QThread::create([this, options] { serve(options); }))
    {
        m_thread->start();
        run([] {});
    }

    ~PeerThread()
    {
        resume();
        run([this] {
            m_registrations.clear();
            m_messaging.reset();
        });
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_thread->wait();
    }

    QThread* thread() { return m_thread.get(); }

    // Runs the function on the peer thread and waits for it.
    void run(std::function<void()> function)
    {
        std::unique_lock lock(m_mutex);
        m_task = std::move(function);
        m_changed.wait(lock, [this] { return !m_task; });
    }

    platform::WindowHandle add(const QString& className, platform::WindowHandler& window)
    {
        platform::WindowHandle handle;
        run([&] {
            auto registration = m_messaging->registerWindow(className, window);
            if (!registration)
                return;
            handle = registration->handle();
            m_registrations[handle.id] = std::move(registration);
        });
        return handle;
    }

    void remove(const platform::WindowHandle& handle)
    {
        run([&] { m_registrations.erase(handle.id); });
    }

    // The peer thread stops serving until resume(); it has stopped when this returns.
    void hang()
    {
        std::unique_lock lock(m_mutex);
        m_hang = true;
        m_changed.wait(lock, [this] { return m_hanging; });
    }

    void resume()
    {
        std::lock_guard lock(m_mutex);
        m_hang = false;
        m_changed.notify_all();
    }

private:
    void serve(const platform::LocalMessagingOptions& options)
    {
        m_messaging = std::make_unique<platform::LocalMessaging>(options);
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            std::unique_lock lock(m_mutex);
            if (m_hang) {
                m_hanging = true;
                m_changed.notify_all();
                m_changed.wait(lock, [this] { return !m_hang; });
                m_hanging = false;
            }
            if (m_task) {
                m_task();
                m_task = nullptr;
                m_changed.notify_all();
            }
            if (m_quit)
                loop.quit();
        });
        poll.start(1);
        loop.exec();
    }

    std::unique_ptr<QThread> m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_task;
    bool m_hang = false;
    bool m_hanging = false;
    bool m_quit = false;
    std::unique_ptr<platform::LocalMessaging> m_messaging;
    std::map<QString, std::unique_ptr<platform::WindowRegistration>> m_registrations;
};

} // namespace messagingtest
