#pragma once
// The worker thread of one job. It runs the job's body once, then marks itself finished; its owner
// joins it before the job record goes. Starting can fail (the system has no thread to give), which
// the job reports with its kind's code.

#include <atomic>
#include <functional>
#include <thread>

class JobThread {
public:
    // Makes a thread running body, or returns false when none can be made. The programs use
    // startStdThread; tests put in starters that fail or that hold a body back.
    using Starter = std::function<bool(std::thread& thread, std::function<void()> body)>;

    static bool startStdThread(std::thread& thread, std::function<void()> body);

    JobThread() = default;
    // Joins a thread still running.
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    bool start(std::function<void()> body, const Starter& starter = startStdThread);
    // The body has returned (acquire: its writes are visible).
    bool finished() const { return m_finished.load(std::memory_order_acquire); }
    void join();

private:
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
};
