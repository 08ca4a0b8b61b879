#pragma once
// The conversions behind the MP3-to-WAV and WMA-to-WAV windows, without the windows: each runs its
// decoding library on a worker thread of its own, which the window polls for the percent done and
// may ask to stop, and which calls back (on the worker) when it has ended so the window can close.
// A job that did not convert (failed, cancelled, or not started) removes its target: the target is
// a working file of the program, and the user's source file is only ever read.

#include "common/WaveFormat.h"
#include "platform/codecs/DecodeToWave.h"
#include "platform/codecs/VXMP3WAV.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

// The MP3 library's "aborted" code, the result of a cancelled MP3 import.
inline constexpr int kMp3ImportAborted = 431;
// No worker thread could be started.
inline constexpr int kImportNoThreadMessageId = 235;
// A failed WMA import, and its result whenever it did not convert.
inline constexpr int kWmaImportFailed = 489;
inline constexpr int kWmaImportAbortedMessageId = 490;

// Bytes the WAV of a WMA file needs in format: file size x rate x bits x channels / bit rate, in
// 64 bits. With no bit rate (a variable or unknown one), the playing time at format's byte rate.
int64_t wmaSpaceNeeded(int64_t fileSize, uint32_t bitRate, uint64_t durationMs, const WaveFormatEx& format);

// Starts fn on a new thread; false when none could be started.
using ImportThreadStarter = std::function<bool(std::thread& thread, std::function<void()> fn)>;
bool startImportThread(std::thread& thread, std::function<void()> fn);

class Mp3ImportJob {
public:
    explicit Mp3ImportJob(platform::codecs::DecodeEnvironment environment = {},
                          ImportThreadStarter starter = startImportThread);
    // Stops and waits for a worker still running.
    ~Mp3ImportJob();
    Mp3ImportJob(const Mp3ImportJob&) = delete;
    Mp3ImportJob& operator=(const Mp3ImportJob&) = delete;

    // Starts converting; ended() is called on the worker when it is over. False (result 235, the
    // target removed) when no worker could be started.
    bool start(const QString& source, const QString& target, std::function<void()> ended);
    // The library's percent done.
    int percent() const { return m_library.GetStatus(); }
    bool isOver() const { return m_over.load(std::memory_order_acquire); }
    // Asks the library to stop; the result becomes 431 whatever the worker then returns.
    void cancel();
    // Waits for the worker; then result() holds.
    void wait();
    // 0, the library's code, 431 after a cancel, 235 when the worker never started.
    int result() const { return m_result; }

private:
    platform::codecs::VXMP3WAV m_library;
    ImportThreadStarter m_starter;
    std::thread m_thread;
    QString m_target;
    std::atomic<bool> m_over{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_code{0};
    int m_result = 0;
};

class WmaImportJob {
public:
    explicit WmaImportJob(platform::codecs::DecodeEnvironment environment = {},
                          ImportThreadStarter starter = startImportThread);
    ~WmaImportJob();
    WmaImportJob(const WmaImportJob&) = delete;
    WmaImportJob& operator=(const WmaImportJob&) = delete;

    // As Mp3ImportJob::start; a worker that cannot start leaves the state failed (2).
    bool start(const QString& source, const QString& target, std::function<void()> ended);
    int percent() const { return m_progress.load(std::memory_order_relaxed); }
    // The job's state word: 1 running, 0 finished, 2 failed, 3 cancelled.
    int32_t state() const { return m_state.load(std::memory_order_acquire); }
    bool isOver() const { return m_over.load(std::memory_order_acquire); }
    // Sets the cancel word; the library ends with state 3.
    void cancel() { m_cancel.store(1, std::memory_order_relaxed); }
    void wait();

private:
    platform::codecs::DecodeEnvironment m_environment;
    ImportThreadStarter m_starter;
    std::thread m_thread;
    QString m_target;
    std::atomic<int32_t> m_cancel{0};
    std::atomic<int32_t> m_progress{0};
    std::atomic<int32_t> m_state{0};
    std::atomic<bool> m_over{false};
};
