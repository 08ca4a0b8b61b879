#pragma once
// A long file operation of a library (an edit, a conversion, an encoding) running on its own thread
// while the GUI thread polls it by timer: progress 0 to 100, whether it is over, its exit reason
// (0 success, kProcessCancelled after a cancel, otherwise the library's own code), and cancel.
// The process is joined before it is destroyed, so nothing it uses may go before it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

inline constexpr int kProcessCancelled = 129;

class PolledProcess {
public:
    // What the running body sees.
    class Control {
    public:
        bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
        // Clamped to 0..100; never goes down.
        void setProgress(int percent);

    private:
        friend class PolledProcess;
        std::atomic<bool> m_cancel{false};
        std::atomic<int> m_progress{0};
    };

    // The body returns the exit reason. It should return kProcessCancelled soon after
    // cancelRequested() turns true, and must not leave partial output behind.
    using Body = std::function<int(Control&)>;

    // Starts the body on a new thread (on the calling thread, blocking, when no thread can be made).
    explicit PolledProcess(Body body);
    // Waits for the body to end; it is not cancelled first.
    ~PolledProcess();
    PolledProcess(const PolledProcess&) = delete;
    PolledProcess& operator=(const PolledProcess&) = delete;

    bool isOver() const { return m_over.load(std::memory_order_acquire); }
    int progress() const { return m_control.m_progress.load(std::memory_order_relaxed); }
    // Valid once isOver(); 0 before.
    int exitReason() const { return isOver() ? m_exitReason : 0; }
    void cancel() { m_control.m_cancel.store(true, std::memory_order_relaxed); }
    void wait();

private:
    void run(const Body& body);

    Control m_control;
    int m_exitReason = 0;
    std::atomic<bool> m_over{false};
    std::thread m_thread;
};

// The processes of one library by the small integer handles its callers keep (the "handle cell"
// of the polling protocol). Thread-safe.
class ProcessTable {
public:
    // The new process's handle, never 0.
    uint32_t add(std::unique_ptr<PolledProcess> process);
    // Null for an unknown handle. The pointer stays valid until remove() of that handle.
    PolledProcess* find(uint32_t handle) const;
    // Waits for the process to end and frees it; false for an unknown handle.
    bool remove(uint32_t handle);

private:
    mutable std::mutex m_mutex;
    std::map<uint32_t, std::unique_ptr<PolledProcess>> m_processes;
    uint32_t m_next = 1;
};

} // namespace platform
