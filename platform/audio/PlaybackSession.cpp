#include "platform/audio/PlaybackSession.h"

#include "platform/base/Log.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/StreamErrorName.h"

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

// Frames mixed per pass of the output callback.
constexpr int64_t kPassFrames = 4096;

uint16_t openStreamable(const QString& path, PcmWave& wave)
{
    if (const uint16_t code = openPcmWave(path, wave))
        return code;
    return checkStreamable(wave.format);
}

} // namespace

MixGains LiveGains::load() const
{
    return {firstLeft.load(std::memory_order_relaxed), firstRight.load(std::memory_order_relaxed),
            secondLeft.load(std::memory_order_relaxed), secondRight.load(std::memory_order_relaxed)};
}

struct PlaybackSession::Part {
    Part(PlaybackSession& session, int64_t startFrame)
        : session(session)
        , startFrame(startFrame)
        , meter(session.m_format)
        , scratch(std::size_t(kPassFrames * session.m_format.frameBytes()))
    {
    }

    int64_t fill(void* buffer, int64_t frames);

    PlaybackSession& session;
    const int64_t startFrame;
    std::unique_ptr<WaveSource> first;
    std::unique_ptr<WaveSource> second;
    std::unique_ptr<OutputStream> stream;
    LevelMeter meter;
    std::vector<uint8_t> scratch;
    int64_t handed = 0;                    // audio thread: frames handed to the stream
    std::atomic<int64_t> fileFrames{0};    // of those, frames of the file
    std::atomic<int64_t> silentFrames{0};  // of those, silence while the reader was behind
    int64_t lastPosition = 0;              // control thread
};

int64_t PlaybackSession::Part::fill(void* buffer, int64_t frames)
{
    const StreamFormat& format = session.m_format;
    const int frameBytes = format.frameBytes();
    const uint8_t silence = format.bits == 8 ? 128 : 0;
    const bool mixed = !session.m_setup.second.isEmpty();
    const MixGains gains = session.m_setup.gains->load();
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < frames) {
        const int64_t want = std::min(frames - done, kPassFrames);
        uint8_t* target = out + done * frameBytes;
        const int64_t got = first->read(target, want);
        const bool ended = got < want && first->atEnd();
        const int64_t padded = ended ? 0 : want - got;
        std::memset(target + got * frameBytes, silence, std::size_t(padded * frameBytes));
        if (got > 0 && mixed) {
            int64_t music = 0;
            if (second) {
                music = second->read(scratch.data(), got);
                if (music < got && !second->atEnd())
                    second->skip(got - music);
            }
            std::memset(scratch.data() + music * frameBytes, silence, std::size_t((got - music) * frameBytes));
            if (mixFrames(target, scratch.data(), got, format.channels, format.bits, gains,
                          session.m_setup.preventSaturation))
                session.m_saturated.store(true, std::memory_order_relaxed);
        } else if (got > 0) {
            mixFrames(target, nullptr, got, format.channels, format.bits, gains, false);
        }
        const int64_t n = got + padded;
        meter.add(target, n, handed);
        handed += n;
        fileFrames.fetch_add(got, std::memory_order_release);
        silentFrames.fetch_add(padded, std::memory_order_release);
        done += n;
        if (ended)
            break;
    }
    return done;
}

PlaybackSession::PlaybackSession(PlaybackSetup setup)
    : m_setup(std::move(setup))
{
}

PlaybackSession::~PlaybackSession()
{
    closePart();
}

uint16_t PlaybackSession::start(PlaybackSetup setup, std::unique_ptr<PlaybackSession>& session)
{
    if (setup.first.isEmpty() && !setup.set)
        return PlayerCode::NoFileName;
    StreamFormat format;
    int64_t frames = 0;
    if (setup.set) {
        format = setup.set->format();
        frames = setup.set->frames();
    } else {
        PcmWave first;
        if (const uint16_t code = openStreamable(setup.first, first))
            return code;
        format = first.streamFormat();
        frames = first.frames;
    }
    std::unique_ptr<PlaybackSession> made(new PlaybackSession(std::move(setup)));
    made->m_format = format;
    const int64_t end = made->m_setup.end;
    made->m_end = end <= 0 || end > frames ? frames : end;
    if (!made->m_setup.second.isEmpty()) {
        PcmWave second;
        if (const uint16_t code = openStreamable(made->m_setup.second, second))
            return code;
        if (!(second.streamFormat() == made->m_format))
            return PlayerCode::FormatsDiffer;
        made->m_secondFrames = second.frames;
    }
    const int64_t start = std::max<int64_t>(made->m_setup.start, 0);
    if (start >= made->m_end)
        return PlayerCode::NoDataToPlay;
    if (const uint16_t code = made->openPart(start))
        return code;
    session = std::move(made);
    return PlayerCode::Ok;
}

uint16_t PlaybackSession::openPart(int64_t frame)
{
    auto part = std::make_unique<Part>(*this, frame);
    const bool realTime = m_setup.backend->realTime();
    // The files are opened again for each part: each source owns its handle and reads on its own.
    if (m_setup.set) {
        part->first = std::make_unique<WaveSource>(m_setup.set->reader(), frame, m_end, false, *m_setup.prefetcher,
                                                   realTime);
    } else {
        PcmWave first;
        if (const uint16_t code = openStreamable(m_setup.first, first))
            return code;
        if (!(first.streamFormat() == m_format) || first.frames < m_end)
            return PlayerCode::NoDataToPlay;
        part->first = std::make_unique<WaveSource>(std::move(first), frame, m_end, false, *m_setup.prefetcher,
                                                   realTime);
    }
    if (!m_setup.second.isEmpty() && frame < m_secondFrames) {
        PcmWave second;
        if (const uint16_t code = openStreamable(m_setup.second, second))
            return code;
        part->second = std::make_unique<WaveSource>(std::move(second), frame, std::min(m_end, m_secondFrames), false,
                                                    *m_setup.prefetcher, realTime);
    }
    Part* raw = part.get();
    OutputStream::Callbacks callbacks;
    callbacks.fill = [raw](void* buffer, int64_t frames) { return raw->fill(buffer, frames); };
    callbacks.drained = [this] { finish(); };
    callbacks.failed = [this](StreamError error) {
        qCWarning(lcPlatform) << "the playback's output stopped:" << streamErrorName(error) << "- the playback ends";
        finish();
    };
    StreamError error = StreamError::None;
    part->stream = m_setup.backend->openOutput(m_setup.device, m_format, std::move(callbacks), &error);
    if (!part->stream) {
        qCWarning(lcPlatform) << "cannot open the output"
                              << (m_setup.device.isEmpty() ? QStringLiteral("(default)") : m_setup.device)
                              << "-" << streamErrorName(error);
        return error == StreamError::FormatRefused ? PlayerCode::FormatNotSupported : PlayerCode::CannotOpenOutput;
    }
    m_part = std::move(part);
    return PlayerCode::Ok;
}

void PlaybackSession::closePart()
{
    if (!m_part)
        return;
    m_part->stream->close();
    m_part.reset();
}

void PlaybackSession::finish()
{
    if (!m_finished.exchange(true))
        m_setup.ended(m_saturated.load(std::memory_order_relaxed));
}

void PlaybackSession::pause()
{
    if (m_paused)
        return;
    m_pausedAt = position();
    m_paused = true;
    if (m_part)
        m_part->stream->setPaused(true);
}

uint16_t PlaybackSession::resume()
{
    if (!m_paused)
        return PlayerCode::AlreadyPlaying;
    m_paused = false;
    if (m_part) {
        m_part->stream->setPaused(false);
        return PlayerCode::Ok;
    }
    const uint16_t code = openPart(m_pausedAt);
    if (code != PlayerCode::Ok)
        finish();
    return code;
}

uint16_t PlaybackSession::moveTo(int64_t frame)
{
    if (frame < 0 || frame >= m_end)
        return PlayerCode::NoDataToPlay;
    closePart();
    m_pausedAt = frame;
    if (m_paused)
        return PlayerCode::Ok;
    const uint16_t code = openPart(frame);
    if (code != PlayerCode::Ok)
        finish();
    return code;
}

int64_t PlaybackSession::position()
{
    if (!m_part)
        return m_pausedAt;
    Part& part = *m_part;
    const int64_t played = part.stream->audibleFrames() - part.silentFrames.load(std::memory_order_acquire);
    const int64_t heard = std::clamp<int64_t>(played, 0, part.fileFrames.load(std::memory_order_acquire));
    part.lastPosition = std::max(part.lastPosition, part.startFrame + heard);
    return part.lastPosition;
}

void PlaybackSession::levels(int* left, int* right)
{
    if (!m_part) {
        *left = *right = 0;
        return;
    }
    m_part->meter.poll(m_part->stream->audibleFrames(), left, right);
}

} // namespace platform::audio
