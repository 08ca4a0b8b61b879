#include "platform/audio/MusicTake.h"

#include "platform/base/Log.h"
#include "platform/audio/MixData.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/StreamErrorName.h"

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

constexpr int64_t kPassFrames = 4096;

} // namespace

MusicTake::MusicTake(MusicTakeSetup setup)
    : m_setup(std::move(setup))
    , m_holding(m_setup.overdub)
    , m_padScratch(std::size_t(kPassFrames * m_setup.format.frameBytes()))
    , m_renderScratch(std::size_t(kPassFrames * m_setup.format.frameBytes()))
    , m_monitor(std::size_t(m_setup.format.rate) * m_setup.format.frameBytes())
{
}

MusicTake::~MusicTake()
{
    stop();
}

uint16_t MusicTake::start(MusicTakeSetup setup, std::unique_ptr<MusicTake>& take)
{
    std::unique_ptr<MusicTake> made(new MusicTake(std::move(setup)));
    MusicTake* self = made.get();
    const MusicTakeSetup& s = made->m_setup;
    WaveWriterHandle file = CreateWaveFile(s.path, s.format.rate, s.format.bits, s.format.channels);
    if (!file)
        return PlayerCode::CannotOpenRecordFile;
    made->m_writer = std::make_unique<TakeWriter>(std::move(file), s.format, s.backend->realTime(),
                                                  [self] { self->endedByItself(); });
    OutputStream::Callbacks callbacks;
    callbacks.fill = [self](void* buffer, int64_t frames) { return self->fillOutput(buffer, frames); };
    callbacks.drained = [] {};
    callbacks.failed = [self](StreamError error) {
        if (self->followsCapture()) {
            qCWarning(lcPlatform) << "the pads' output stopped:" << streamErrorName(error)
                                  << "- the music take goes on unheard";
            return;
        }
        qCWarning(lcPlatform) << "the pads' output stopped:" << streamErrorName(error) << "- the music take ends";
        self->endedByItself();
    };
    StreamError error = StreamError::None;
    made->m_stream = s.backend->openOutput(s.device, s.format, std::move(callbacks), &error);
    if (!made->m_stream) {
        qCWarning(lcPlatform) << "cannot open the pads' output"
                              << (s.device.isEmpty() ? QStringLiteral("(default)") : s.device) << "-"
                              << streamErrorName(error);
        return error == StreamError::FormatRefused ? PlayerCode::FormatNotSupported : PlayerCode::CannotOpenOutput;
    }
    take = std::move(made);
    return PlayerCode::Ok;
}

void MusicTake::endedByItself()
{
    if (!m_ended.exchange(true))
        m_setup.takeEnded();
}

void MusicTake::setPaused(bool paused)
{
    if (!followsCapture() && m_stream)
        m_stream->setPaused(paused);
}

bool MusicTake::render(uint8_t* out, int64_t frames)
{
    const StreamFormat& format = m_setup.format;
    const int frameBytes = format.frameBytes();
    std::memset(out, format.bits == 8 ? 128 : 0, std::size_t(frames * frameBytes));
    const std::lock_guard lock(m_padMutex);
    if (m_holding) {
        m_held += frames;
        return false;
    }
    for (const auto& pad : m_pads) {
        if (pad->ended)
            continue;
        const int64_t got = pad->source->read(m_padScratch.data(), frames);
        // A pad whose reader fell behind keeps its timing: the frames it missed are passed over.
        if (got < frames && !pad->source->atEnd())
            pad->source->skip(frames - got);
        if (got > 0)
            mixFrames(out, m_padScratch.data(), got, format.channels, format.bits, MixGains{}, false);
        if (pad->source->atEnd()) {
            pad->ended = true;
            m_setup.padEnded(pad->index, pad->generation);
        }
    }
    return true;
}

// What the output renders ahead of what is heard.
int64_t MusicTake::outputLatency()
{
    const int64_t rendered = m_rendered.load(std::memory_order_acquire);
    return m_stream ? std::max<int64_t>(0, rendered - m_stream->audibleFrames()) : 0;
}

void MusicTake::endHolding()
{
    if (!m_setup.overdub)
        return;
    const int64_t latency = outputLatency(); // the backend's lock: not under ours
    const std::lock_guard lock(m_padMutex);
    if (!m_holding)
        return;
    m_holding = false;
    m_writer->setLeadingSilence(std::max<int64_t>(0, m_held - latency));
}

int64_t MusicTake::frames()
{
    if (m_setup.overdub) {
        const int64_t latency = outputLatency();
        const std::lock_guard lock(m_padMutex);
        if (m_holding)
            return std::max<int64_t>(0, m_held - latency);
    }
    return m_writer->frames();
}

void MusicTake::attenuate(uint8_t* data, int64_t frames)
{
    const float gain = m_attenuation.load(std::memory_order_relaxed);
    const MixGains gains{gain, gain, gain, gain};
    mixFrames(data, nullptr, frames, m_setup.format.channels, m_setup.format.bits, gains, false);
}

int64_t MusicTake::fillOutput(void* buffer, int64_t frames)
{
    const StreamFormat& format = m_setup.format;
    const int frameBytes = format.frameBytes();
    auto* out = static_cast<uint8_t*>(buffer);
    if (followsCapture()) {
        const int64_t available = int64_t(m_monitor.readAvailable()) / frameBytes;
        if (available > int64_t(format.rate) / 2)
            m_monitor.skip(std::size_t((available - format.rate / 10) * frameBytes));
        const int64_t got = int64_t(m_monitor.read(out, std::size_t(frames * frameBytes))) / frameBytes;
        std::memset(out + got * frameBytes, format.bits == 8 ? 128 : 0, std::size_t((frames - got) * frameBytes));
        return frames;
    }
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min(kPassFrames, frames - done);
        uint8_t* part = out + done * frameBytes;
        if (render(part, n))
            m_writer->push(part, n);
        attenuate(part, n);
        m_rendered.fetch_add(n, std::memory_order_acq_rel);
        done += n;
    }
    return frames;
}

void MusicTake::follow(int64_t framesSoFar)
{
    m_writer->setLeadingSilence(framesSoFar);
}

void MusicTake::captured(int64_t frames)
{
    const int frameBytes = m_setup.format.frameBytes();
    uint8_t* part = m_renderScratch.data();
    while (frames > 0) {
        const int64_t n = std::min(kPassFrames, frames);
        render(part, n);
        m_writer->push(part, n);
        attenuate(part, n);
        // The output catches up by itself (see fillOutput); what does not fit is not heard.
        const std::size_t room = m_monitor.writeAvailable() / frameBytes * frameBytes;
        m_monitor.write(part, std::min(room, std::size_t(n * frameBytes)));
        frames -= n;
    }
}

uint16_t MusicTake::addPad(const QString& path, int index, bool loop, uint32_t generation)
{
    PcmWave wave;
    if (const uint16_t code = openPcmWave(path, wave))
        return code;
    if (checkStreamable(wave.format) != PlayerCode::Ok || !(wave.streamFormat() == m_setup.format))
        return PlayerCode::FormatNotSupported;
    if (wave.frames == 0)
        return PlayerCode::NoDataToPlay;
    auto pad = std::make_unique<Pad>();
    pad->index = index;
    pad->generation = generation;
    const int64_t frames = wave.frames;
    pad->source = std::make_unique<WaveSource>(std::move(wave), 0, frames, loop, *m_setup.prefetcher,
                                               m_setup.backend->realTime());
    endHolding();
    std::vector<std::unique_ptr<Pad>> replaced;
    {
        const std::lock_guard lock(m_padMutex);
        for (auto it = m_pads.begin(); it != m_pads.end();) {
            if ((*it)->index == index) {
                replaced.push_back(std::move(*it));
                it = m_pads.erase(it);
            } else {
                ++it;
            }
        }
        m_pads.push_back(std::move(pad));
    }
    return PlayerCode::Ok;
}

bool MusicTake::stopPad(int index)
{
    std::unique_ptr<Pad> stopped;
    {
        const std::lock_guard lock(m_padMutex);
        const auto it = std::find_if(m_pads.begin(), m_pads.end(),
                                     [&](const auto& pad) { return pad->index == index && !pad->ended; });
        if (it == m_pads.end())
            return false;
        stopped = std::move(*it);
        m_pads.erase(it);
    }
    return true;
}

std::vector<MusicTake::StoppedPad> MusicTake::takePads(bool onlyCurrent)
{
    std::vector<std::unique_ptr<Pad>> taken;
    {
        const std::lock_guard lock(m_padMutex);
        for (auto it = m_pads.end(); it != m_pads.begin();) {
            --it;
            if ((*it)->ended)
                continue;
            taken.push_back(std::move(*it));
            it = m_pads.erase(it);
            if (onlyCurrent)
                break;
        }
    }
    std::vector<StoppedPad> stopped;
    for (const auto& pad : taken)
        stopped.push_back({pad->index, pad->generation});
    return stopped;
}

std::vector<MusicTake::StoppedPad> MusicTake::stopCurrentPad()
{
    return takePads(true);
}

std::vector<MusicTake::StoppedPad> MusicTake::stopAllPads()
{
    return takePads(false);
}

void MusicTake::reclaimEndedPads()
{
    std::vector<std::unique_ptr<Pad>> ended;
    const std::lock_guard lock(m_padMutex);
    for (auto it = m_pads.begin(); it != m_pads.end();) {
        if ((*it)->ended) {
            ended.push_back(std::move(*it));
            it = m_pads.erase(it);
        } else {
            ++it;
        }
    }
}

uint16_t MusicTake::stop()
{
    endHolding();
    if (m_stream) {
        m_stream->close();
        m_stream.reset();
    }
    const uint16_t code = m_writer ? m_writer->finish() : PlayerCode::Ok;
    std::vector<std::unique_ptr<Pad>> pads;
    {
        const std::lock_guard lock(m_padMutex);
        pads = std::move(m_pads);
        m_pads.clear();
    }
    return code;
}

} // namespace platform::audio

