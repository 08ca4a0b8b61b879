#include "tests/common/JobTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace jobtest {

namespace {

// A minute of ticks: far more than any job here needs.
constexpr int kMaxTicks = 60000;

} // namespace

void ScriptedProgressHost::showJobProgress(const QString& caption, bool cancelShown, Poll poll)
{
    Shown show{caption, cancelShown, {}, false};
    for (int tick = 1;; ++tick) {
        if (tick > kMaxTicks) {
            ADD_FAILURE() << "the job under \"" << caption.toStdString() << "\" never ended";
            break;
        }
        if (pressCancelAt && pressCancelAt(tick)) {
            if (!cancelShown)
                ADD_FAILURE() << "Cancel pressed on a window that has none";
            int32_t running = 0;
            poll(true, running);
            show.cancelPressed = true;
            break;
        }
        if (beforeTick)
            beforeTick(tick);
        int32_t running = 0;
        const int percent = poll(false, running);
        if (running != 1)
            break;
        show.percents.push_back(percent);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    shown.push_back(show);
}

void Gate::wait() const
{
    while (!isOpen())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

JobThread::Starter failingStarter()
{
    return [](std::thread&, std::function<void()>) { return false; };
}

JobThread::Starter heldStarter(const Gate& gate)
{
    return [&gate](std::thread& thread, std::function<void()> body) {
        thread = std::thread([&gate, body = std::move(body)] {
            gate.wait();
            body();
        });
        return true;
    };
}

bool eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

int FakeEditEngine::AudioPasteEx(uint32_t* cell)
{
    *cell = 0;
    if (startResult != 0)
        return startResult;
    *cell = m_processes.add(std::make_unique<platform::PolledProcess>(body));
    ++m_open;
    return 0;
}

int FakeEditEngine::AudioEditProcessIsOver(uint32_t handle)
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return !process || process->isOver() ? 1 : 0;
}

int FakeEditEngine::AudioEditGetProcessProgress(uint32_t handle)
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return process ? process->progress() : 0;
}

int FakeEditEngine::AudioEditGetReasonForProcessExit(uint32_t handle)
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return process ? process->exitReason() : 142;
}

int FakeEditEngine::AudioEditCancelPressed(uint32_t handle)
{
    ++cancelCalls;
    platform::PolledProcess* process = m_processes.find(handle);
    if (!process)
        return 142;
    process->cancel();
    return 0;
}

int FakeEditEngine::AudioEditCloseHandle(uint32_t* cell)
{
    ++closeCalls;
    if (!cell)
        return 142;
    if (*cell != 0 && m_processes.remove(*cell))
        --m_open;
    *cell = 0;
    return 0;
}

} // namespace jobtest
