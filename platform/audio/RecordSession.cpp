#include "platform/audio/RecordSession.h"

#include "platform/base/Log.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/StreamErrorName.h"

#include <algorithm>

namespace platform::audio {

namespace {

uint16_t inputOpenCode(StreamError error)
{
    switch (error) {
    case StreamError::FormatRefused: return PlayerCode::UnsupportedRecordFormat;
    case StreamError::NoDevice:
    case StreamError::DeviceBusy:
    case StreamError::ServerUnavailable:
    case StreamError::DeviceLost: return PlayerCode::RecordDeviceBusy;
    default: return PlayerCode::CannotStartRecording;
    }
}

} // namespace

RecordSession::RecordSession(const StreamFormat& format)
    : m_format(format)
    , m_meter(format)
{
}

RecordSession::~RecordSession()
{
    stop();
}

uint16_t RecordSession::start(AudioBackend& backend, const QString& device, const StreamFormat& format,
                              const QString& path, std::unique_ptr<RecordSession>& session, bool alignedStart,
                              std::function<void(uint16_t code)> ended)
{
    std::unique_ptr<RecordSession> made(new RecordSession(format));
    RecordSession* self = made.get();
    if (alignedStart)
        made->m_keepFrom.store(INT64_MAX, std::memory_order_relaxed);
    made->m_ended = std::move(ended);
    if (!path.isEmpty()) {
        WaveWriterHandle file = CreateWaveFile(path, format.rate, format.bits, format.channels);
        if (!file)
            return PlayerCode::CannotOpenRecordFile;
        made->m_writer = std::make_unique<TakeWriter>(std::move(file), format, backend.realTime(),
                                                      [self] { self->end(PlayerCode::DiskWriteError); });
    }
    InputStream::Callbacks callbacks;
    callbacks.captured = [self](const void* data, int64_t frames) { self->captured(data, frames); };
    callbacks.failed = [self](StreamError error) { self->failed(error); };
    StreamError error = StreamError::None;
    made->m_stream = backend.openInput(device, format, std::move(callbacks), &error);
    if (!made->m_stream) {
        qCWarning(lcPlatform) << "cannot open the input" << (device.isEmpty() ? QStringLiteral("(default)") : device)
                              << "-" << streamErrorName(error);
        return inputOpenCode(error);
    }
    session = std::move(made);
    return PlayerCode::Ok;
}

int64_t RecordSession::frames() const
{
    return m_writer ? m_writer->frames() : 0;
}

void RecordSession::captured(const void* data, int64_t frames)
{
    const std::lock_guard lock(m_followerMutex);
    const int64_t first = m_capturedFrames.load(std::memory_order_relaxed);
    m_meter.add(data, frames, first);
    m_capturedFrames.store(first + frames, std::memory_order_release);
    if (!m_writer || m_paused.load(std::memory_order_acquire) || m_endCode.load(std::memory_order_acquire) != 0)
        return;
    const int64_t skip = std::clamp<int64_t>(m_keepFrom.load(std::memory_order_acquire) - first, 0, frames);
    if (skip == frames)
        return;
    const int64_t kept = frames - skip;
    if (!m_writer->push(static_cast<const uint8_t*>(data) + skip * m_format.frameBytes(), kept))
        return;
    if (m_follower)
        m_follower->captured(kept);
}

void RecordSession::beginTakeNow()
{
    // The latency comes from the backend, which may take its own lock: not under ours, which the
    // audio thread holds in its callback.
    const int64_t latency = m_stream->latencyFrames();
    const std::lock_guard lock(m_followerMutex);
    m_keepFrom.store(m_capturedFrames.load(std::memory_order_acquire) + latency, std::memory_order_release);
}

void RecordSession::failed(StreamError error)
{
    const uint16_t code =
        error == StreamError::DeviceLost ? PlayerCode::RecordDeviceBusy : PlayerCode::CannotStartRecording;
    if (end(code))
        qCWarning(lcPlatform) << "the recording input stopped:" << streamErrorName(error) << "- the take keeps"
                              << frames() << "frames";
}

bool RecordSession::end(uint16_t code)
{
    uint16_t none = 0;
    if (!m_endCode.compare_exchange_strong(none, code))
        return false;
    if (m_ended)
        m_ended(code);
    return true;
}

void RecordSession::attach(CaptureFollower* follower)
{
    const std::lock_guard lock(m_followerMutex);
    follower->follow(frames());
    m_follower = follower;
}

void RecordSession::detach(CaptureFollower* follower)
{
    const std::lock_guard lock(m_followerMutex);
    if (m_follower == follower)
        m_follower = nullptr;
}

uint16_t RecordSession::stop()
{
    if (m_stream) {
        m_stream->close();
        m_stream.reset();
    }
    uint16_t code = m_endCode.load(std::memory_order_acquire);
    if (m_writer) {
        const uint16_t written = m_writer->finish();
        if (code == 0)
            code = written;
    }
    return code;
}

} // namespace platform::audio
