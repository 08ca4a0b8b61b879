#pragma once
// What the job tests share: a progress window stand-in that ticks the poll like the real one and
// can press Cancel at a chosen tick, a gate that holds a worker at a chosen point, thread starters
// that fail or hold a body back, and an edit engine with the player library's process calls.

#include "common/JobProgressHost.h"
#include "common/JobThread.h"
#include "platform/base/PolledProcess.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace jobtest {

// Ticks poll(false) every millisecond until it reports the end, the way the window's timer does.
class ScriptedProgressHost : public JobProgressHost {
public:
    struct Shown {
        QString caption;
        bool cancelShown = false;
        std::vector<int> percents; // one per tick while running
        bool cancelPressed = false;
    };

    // Asked before each tick (from 1): true presses Cancel instead of the tick, which ends the show.
    std::function<bool(int tick)> pressCancelAt;
    // Runs before each tick (after pressCancelAt declined).
    std::function<void(int tick)> beforeTick;

    void showJobProgress(const QString& caption, bool cancelShown, Poll poll) override;
    void setKeepOpen(bool keepOpen) override { keepOpenCalls.push_back(keepOpen); }

    std::vector<Shown> shown;
    std::vector<bool> keepOpenCalls;
};

// Closed until open() is called; wait() returns once it is open.
class Gate {
public:
    void open() { m_open.store(true, std::memory_order_release); }
    bool isOpen() const { return m_open.load(std::memory_order_acquire); }
    void wait() const;

private:
    std::atomic<bool> m_open{false};
};

// A starter that cannot make a thread.
JobThread::Starter failingStarter();
// A starter whose thread waits at gate before it runs the body.
JobThread::Starter heldStarter(const Gate& gate);

// Waits (yielding) until done() holds; false when it did not within five seconds.
bool eventually(const std::function<bool()>& done);

// An engine with the edit-process calls of the player library, running each process over a body
// the test gives (as the engine runs its edits over a PolledProcess).
class FakeEditEngine {
public:
    using Body = platform::PolledProcess::Body;

    // What the next start call does: a failing code (nothing runs), or a body to run.
    int startResult = 0;
    Body body;

    int AudioPasteEx(uint32_t* cell);
    int AudioEditProcessIsOver(uint32_t handle);
    int AudioEditGetProcessProgress(uint32_t handle);
    int AudioEditGetReasonForProcessExit(uint32_t handle);
    int AudioEditCancelPressed(uint32_t handle);
    int AudioEditCloseHandle(uint32_t* cell);

    int cancelCalls = 0;
    int closeCalls = 0;
    // Handles still open.
    int openProcesses() const { return m_open; }

private:
    platform::ProcessTable m_processes;
    int m_open = 0;
};

} // namespace jobtest
