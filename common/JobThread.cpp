#include "common/JobThread.h"

#include "common/Log.h"

#include <system_error>

bool JobThread::startStdThread(std::thread& thread, std::function<void()> body)
{
    try {
        thread = std::thread(std::move(body));
        return true;
    } catch (const std::system_error& e) {
        qCWarning(lcCommon) << "no worker thread for a job:" << e.what();
        return false;
    }
}

JobThread::~JobThread()
{
    join();
}

bool JobThread::start(std::function<void()> body, const Starter& starter)
{
    m_finished.store(false, std::memory_order_relaxed);
    return starter(m_thread, [this, body = std::move(body)] {
        body();
        m_finished.store(true, std::memory_order_release);
    });
}

void JobThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
