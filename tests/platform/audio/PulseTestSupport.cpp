#include "tests/platform/audio/PulseTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pulsetest {


QString serverAddress()
{
    return qEnvironmentVariable("PULSE_SERVER");
}

QString pipeSourceFifo(const QString& address)
{
    const QString socket = address.startsWith(QStringLiteral("unix:")) ? address.mid(5) : address;
    return QFileInfo(socket).path() + QStringLiteral("/pipe-source");
}

testsupport::ToolResult pactl(const QStringList& arguments, const QString& address)
{
    return testsupport::runTool(QStringLiteral("pactl"), QStringList{QStringLiteral("--server=") + address} + arguments);
}

int loadModule(const QString& module, const QStringList& arguments)
{
    const testsupport::ToolResult result = pactl(QStringList{QStringLiteral("load-module"), module} + arguments);
    bool ok = false;
    const int index = result.out.trimmed().toInt(&ok);
    return result.exitCode == 0 && ok ? index : -1;
}

bool unloadModule(int index)
{
    return pactl({QStringLiteral("unload-module"), QString::number(index)}).exitCode == 0;
}

std::vector<uint32_t> pactlVolume(bool sink, const QString& name)
{
    const testsupport::ToolResult result =
        pactl({sink ? QStringLiteral("get-sink-volume") : QStringLiteral("get-source-volume"), name});
    std::vector<uint32_t> volumes;
    if (result.exitCode != 0)
        return volumes;
    // "Volume: front-left: 65536 / 100% / 0.00 dB,   front-right: ..."
    static const QRegularExpression value(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (const QRegularExpressionMatch& m : value.globalMatch(QString::fromUtf8(result.out.split('\n').first())))
        volumes.push_back(m.captured(1).toUInt());
    return volumes;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

std::vector<int16_t> noise(int64_t frames, uint32_t seed)
{
    std::vector<int16_t> samples(size_t(frames * 2));
    for (int16_t& s : samples) {
        seed = seed * 1664525u + 1013904223u;
        const int v = int(seed >> 16) % 16000 - 8000;
        s = int16_t(v == 0 ? 1 : v);
    }
    return samples;
}

::testing::AssertionResult arrivedUnchanged(const std::vector<int16_t>& noise, const std::vector<int16_t>& heard,
                                            int64_t headFrames)
{
    std::vector<int16_t> sound;
    std::copy_if(heard.begin(), heard.end(), std::back_inserter(sound), [](int16_t s) { return s != 0; });
    const std::ptrdiff_t probe = std::ptrdiff_t(headFrames * 2);
    if (std::ptrdiff_t(noise.size()) < probe + 200)
        return ::testing::AssertionFailure() << "the noise is too short";
    const auto found = std::search(sound.begin(), sound.end(), noise.begin() + probe, noise.begin() + probe + 200);
    if (found == sound.end())
        return ::testing::AssertionFailure() << "the noise never arrived";
    const std::ptrdiff_t start = (found - sound.begin()) - probe; // where noise[0] would be
    const std::ptrdiff_t missed = std::max<std::ptrdiff_t>(0, -start);
    if (std::ptrdiff_t(sound.size()) - start < std::ptrdiff_t(noise.size()))
        return ::testing::AssertionFailure() << "the end of the noise is missing";
    const auto differs = std::mismatch(noise.begin() + missed, noise.end(), sound.begin() + start + missed);
    if (differs.first != noise.end())
        return ::testing::AssertionFailure() << "sample " << (differs.first - noise.begin()) << " of " << noise.size()
                                             << " differs";
    return ::testing::AssertionSuccess() << missed / 2 << " frames missed at the start";
}

bool ParecRecording::start(const QString& source)
{
    if (!m_child.start(QStringLiteral("parec"),
                       {"--server=" + serverAddress(), "-d", source, "--raw", "--format=s16le", "--rate=44100",
                        "--channels=2", "--latency-msec=20", "-v"}))
        return false;
    return waitUntil([&] { return m_child.err().contains("Stream successfully created"); });
}

std::vector<int16_t> ParecRecording::stop()
{
    m_child.terminate();
    m_child.wait();
    const QByteArray raw = m_child.out();
    std::vector<int16_t> samples(size_t(raw.size()) / 2);
    std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
}

namespace {

QString serverScript()
{
    return QStringLiteral(VA_TEST_SCRIPTS "/pulse-server.sh");
}

} // namespace

PrivateServer::PrivateServer(const QString& folder)
    : m_folder(folder)
{
}

PrivateServer::~PrivateServer()
{
    stop();
}

bool PrivateServer::start()
{
    const testsupport::ToolResult result =
        testsupport::runTool(QStringLiteral("bash"), {serverScript(), QStringLiteral("start"), m_folder, m_folder + "/native"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.exitCode == 0;
}

bool PrivateServer::stop()
{
    return testsupport::runTool(QStringLiteral("bash"), {serverScript(), QStringLiteral("stop"), m_folder}).exitCode == 0;
}

FifoTone::FifoTone(QString fifo, int frequency, int amplitude, uint32_t rate)
    : m_fifo(std::move(fifo))
    , m_frequency(frequency)
    , m_amplitude(amplitude)
    , m_rate(rate)
{
}

FifoTone::~FifoTone()
{
    stop();
}

bool FifoTone::start()
{
    // The pipe source reads only while something records from it: drop what an earlier writer
    // left in the FIFO, so that only this tone comes out.
    const int reader = ::open(m_fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reader >= 0) {
        char scrap[4096];
        while (::read(reader, scrap, sizeof scrap) > 0) {
        }
        ::close(reader);
    }
    // The pipe source holds its end open for reading, so this does not wait.
    m_fd = ::open(m_fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_thread = std::thread([this] { run(); });
    return true;
}

void FifoTone::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void FifoTone::frame(int64_t n, int16_t out[2]) const
{
    // A whole number of hertz repeats every second: the phase stays exact however long it runs.
    const double phase = 2 * M_PI * m_frequency * double(n % int64_t(m_rate)) / m_rate;
    const double value = std::sin(phase) * m_amplitude;
    out[0] = int16_t(std::lrint(value));
    out[1] = int16_t(std::lrint(value / 2));
}

void FifoTone::run()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::vector<int16_t> block;
    while (!m_stop) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        const int64_t due = elapsed * int64_t(m_rate) / 1000000;
        const int64_t from = m_written.load();
        if (due > from) {
            block.resize(size_t(due - from) * 2);
            for (int64_t n = from; n < due; ++n)
                frame(n, &block[size_t(n - from) * 2]);
            const size_t bytes = block.size() * sizeof(int16_t);
            const auto* data = reinterpret_cast<const char*>(block.data());
            size_t done = 0;
            while (done < bytes) {
                const ssize_t w = ::write(m_fd, data + done, bytes - done);
                if (w <= 0)
                    return;
                done += size_t(w);
            }
            m_written = due;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace pulsetest
