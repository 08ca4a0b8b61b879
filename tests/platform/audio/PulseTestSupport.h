#pragma once
// What the tests against the sound server share: the tests' private server (started by the CTest
// fixture, see tests/scripts/pulse-server.sh), pactl and parec, a server of a test's own, a tone
// written into the pipe source in real time, noise to find again, and waiting for Qt events.

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace pulsetest {


// PULSE_SERVER as the fixture set it ("unix:<socket>"); empty when the test runs without it.
QString serverAddress();
// The FIFO of the pipe source va_pipe, beside the server's socket.
QString pipeSourceFifo(const QString& address = serverAddress());

testsupport::ToolResult pactl(const QStringList& arguments, const QString& address = serverAddress());
// Loads a module and returns its index, or -1.
int loadModule(const QString& module, const QStringList& arguments);
bool unloadModule(int index);
// Raw per-channel volume of a sink or a source, as pactl reads it.
std::vector<uint32_t> pactlVolume(bool sink, const QString& name);

// Runs the event loop until done() holds or the time is up; returns done().
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Stereo 16-bit noise without a zero sample, the same for the same seed.
std::vector<int16_t> noise(int64_t frames, uint32_t seed);
// Checks that `noise` arrived in `heard` unchanged and in order. Zero samples are left out of
// `heard` first: they are the silence before and after, and what the sink played while a busy
// machine let the stream run dry. Only the start may be missing, by at most `headFrames`.
::testing::AssertionResult arrivedUnchanged(const std::vector<int16_t>& noise, const std::vector<int16_t>& heard,
                                            int64_t headFrames);

// Records a source with parec (the checker we did not write) as stereo 16-bit 44100 Hz.
class ParecRecording {
public:
    // Waits until parec records; false when it does not.
    bool start(const QString& source);
    // Stops it and gives what it recorded.
    std::vector<int16_t> stop();

private:
    testsupport::ChildProcess m_child;
};

// A server of a test's own (for stopping and starting it under a connection), with the devices of
// the fixture's server.
class PrivateServer {
public:
    explicit PrivateServer(const QString& folder);
    ~PrivateServer();
    bool start();
    bool stop();
    QString address() const { return QStringLiteral("unix:") + m_folder + QStringLiteral("/native"); }

private:
    QString m_folder;
};

// Writes a stereo 16-bit tone of whole hertz into a FIFO at the pace of real time, from its own
// thread, keeping the FIFO open. The left channel has the full amplitude, the right one half of it.
class FifoTone {
public:
    FifoTone(QString fifo, int frequency, int amplitude, uint32_t rate = 44100);
    ~FifoTone();
    // False when the FIFO cannot be opened for writing.
    bool start();
    void stop();

    int64_t framesWritten() const { return m_written.load(); }
    // Frame n of the tone, interleaved left and right.
    void frame(int64_t n, int16_t out[2]) const;
    uint32_t rate() const { return m_rate; }

private:
    void run();

    QString m_fifo;
    int m_frequency;
    int m_amplitude;
    uint32_t m_rate;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_written{0};
    std::thread m_thread;
};

} // namespace pulsetest
