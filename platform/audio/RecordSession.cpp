#include "platform/audio/RecordSession.h"

#include "platform/base/Log.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/StreamErrorName.h"

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
                              const QString& path, std::unique_ptr<RecordSession>& session)
{
    std::unique_ptr<RecordSession> made(new RecordSession(format));
    RecordSession* self = made.get();
    if (!path.isEmpty()) {
        WaveWriterHandle file = CreateWaveFile(path, format.rate, format.bits, format.channels);
        if (!file)
            return PlayerCode::CannotOpenRecordFile;
        made->m_writer = std::make_unique<TakeWriter>(std::move(file), format, backend.realTime(), [self] {
            uint16_t none = 0;
            self->m_endCode.compare_exchange_strong(none, PlayerCode::DiskWriteError);
        });
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
    m_meter.add(data, frames, m_capturedFrames);
    m_capturedFrames += frames;
    if (!m_writer || m_paused.load(std::memory_order_acquire) || m_endCode.load(std::memory_order_acquire) != 0)
        return;
    const std::lock_guard lock(m_followerMutex);
    if (!m_writer->push(data, frames))
        return;
    if (m_follower)
        m_follower->captured(frames);
}

void RecordSession::failed(StreamError error)
{
    const uint16_t code =
        error == StreamError::DeviceLost ? PlayerCode::RecordDeviceBusy : PlayerCode::CannotStartRecording;
    uint16_t none = 0;
    if (m_endCode.compare_exchange_strong(none, code))
        qCWarning(lcPlatform) << "the recording input stopped:" << streamErrorName(error) << "- the take keeps"
                              << frames() << "frames";
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
