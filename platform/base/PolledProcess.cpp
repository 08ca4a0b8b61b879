#include "platform/base/PolledProcess.h"

#include "platform/base/Log.h"

#include <algorithm>
#include <system_error>

namespace platform {

void PolledProcess::Control::setProgress(int percent)
{
    const int clamped = std::clamp(percent, 0, 100);
    int shown = m_progress.load(std::memory_order_relaxed);
    while (shown < clamped && !m_progress.compare_exchange_weak(shown, clamped, std::memory_order_relaxed)) {
    }
}

PolledProcess::PolledProcess(Body body)
{
    try {
        m_thread = std::thread([this, body] { run(body); });
    } catch (const std::system_error& e) {
        qCWarning(lcPlatform) << "no thread for a process (" << e.what() << "); it runs on the caller's thread";
        run(body);
    }
}

PolledProcess::~PolledProcess()
{
    wait();
}

void PolledProcess::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void PolledProcess::run(const Body& body)
{
    m_exitReason = body(m_control);
    if (m_exitReason == 0)
        m_control.setProgress(100);
    m_over.store(true, std::memory_order_release);
}

uint32_t ProcessTable::add(std::unique_ptr<PolledProcess> process)
{
    std::lock_guard lock(m_mutex);
    while (m_next == 0 || m_processes.count(m_next))
        ++m_next;
    const uint32_t handle = m_next++;
    m_processes.emplace(handle, std::move(process));
    return handle;
}

PolledProcess* ProcessTable::find(uint32_t handle) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_processes.find(handle);
    return it == m_processes.end() ? nullptr : it->second.get();
}

bool ProcessTable::remove(uint32_t handle)
{
    std::unique_ptr<PolledProcess> process;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_processes.find(handle);
        if (it == m_processes.end())
            return false;
        process = std::move(it->second);
        m_processes.erase(it);
    }
    process.reset(); // joins outside the lock
    return true;
}

} // namespace platform
