#include "common/ImportJobs.h"

#include "common/Log.h"
#include "platform/codecs/Plivorn.h"

#include <QFile>

#include <system_error>

using platform::codecs::Plivorn;
namespace PlivornState = platform::codecs::PlivornState;

int64_t wmaSpaceNeeded(int64_t fileSize, uint32_t bitRate, uint64_t durationMs, const WaveFormatEx& format)
{
    const int64_t bytesPerSecond =
        int64_t(format.samplesPerSec) * int64_t(format.bitsPerSample) * int64_t(format.channels) / 8;
    if (bitRate == 0)
        return int64_t(durationMs) * bytesPerSecond / 1000;
    // Multiplied in 128 bits: a file of a few gigabytes at 48 kHz passes 2^63 before the division.
    const __int128 bits = __int128(fileSize) * format.samplesPerSec * format.bitsPerSample * format.channels;
    return int64_t(bits / bitRate);
}

bool startImportThread(std::thread& thread, std::function<void()> fn)
{
    try {
        thread = std::thread(std::move(fn));
        return true;
    } catch (const std::system_error& error) {
        qCWarning(lcCommon) << "no import thread:" << error.what();
        return false;
    }
}

Mp3ImportJob::Mp3ImportJob(platform::codecs::DecodeEnvironment environment, ImportThreadStarter starter)
    : m_library(std::move(environment))
    , m_starter(std::move(starter))
{
}

Mp3ImportJob::~Mp3ImportJob()
{
    if (m_thread.joinable()) {
        cancel();
        wait();
    }
}

bool Mp3ImportJob::start(const QString& source, const QString& target, std::function<void()> ended)
{
    m_target = target;
    m_over.store(false);
    m_cancelled.store(false);
    m_result = 0;
    const bool started = m_starter(m_thread, [this, source, target, ended = std::move(ended)] {
        m_code.store(m_library.ConvertMP3FileIntoWave(source, target));
        m_over.store(true, std::memory_order_release);
        if (ended)
            ended();
    });
    if (!started) {
        m_over.store(true);
        m_result = kImportNoThreadMessageId;
        QFile::remove(target);
    }
    return started;
}

void Mp3ImportJob::cancel()
{
    m_cancelled.store(true);
    m_library.StopConversion();
}

void Mp3ImportJob::wait()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    m_result = m_cancelled.load() ? kMp3ImportAborted : m_code.load();
    if (m_result != 0) {
        qCInfo(lcCommon) << "MP3 import into" << m_target << "ended with" << m_result;
        QFile::remove(m_target);
    }
}

WmaImportJob::WmaImportJob(platform::codecs::DecodeEnvironment environment, ImportThreadStarter starter)
    : m_environment(std::move(environment))
    , m_starter(std::move(starter))
{
}

WmaImportJob::~WmaImportJob()
{
    if (m_thread.joinable()) {
        cancel();
        wait();
    }
}

bool WmaImportJob::start(const QString& source, const QString& target, std::function<void()> ended)
{
    m_target = target;
    m_cancel.store(0);
    m_progress.store(0);
    m_state.store(PlivornState::Running);
    m_over.store(false);
    const bool started = m_starter(m_thread, [this, source, target, ended = std::move(ended)] {
        Plivorn::ConvertWmaFileIntoWave(source, target, &m_cancel, &m_progress, &m_state, m_environment);
        m_over.store(true, std::memory_order_release);
        if (ended)
            ended();
    });
    if (!started) {
        m_state.store(PlivornState::Failed);
        m_over.store(true);
        QFile::remove(target);
    }
    return started;
}

void WmaImportJob::wait()
{
    if (!m_thread.joinable())
        return;
    m_thread.join();
    if (m_state.load() != PlivornState::Finished) {
        qCInfo(lcCommon) << "WMA import into" << m_target << "ended in state" << m_state.load();
        QFile::remove(m_target);
    }
}
