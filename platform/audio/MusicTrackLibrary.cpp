#include "platform/audio/MusicTrackLibrary.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/PlayerCodes.h"

namespace platform::audio {

namespace {

constexpr int kPadCount = 36;

} // namespace

MusicTrackLibrary::MusicTrackLibrary(AudioEngine& engine)
    : m_engine(engine)
{
    m_poster.setFilter([this](const platform::PostedMessage& message) { return deliver(message); });
}

MusicTrackLibrary::~MusicTrackLibrary()
{
    endTake();
}

void MusicTrackLibrary::SetCallbackWindowHandle(QObject* window)
{
    m_poster.setReceiver(window);
}

uint16_t MusicTrackLibrary::PrepareMusicTrack(const QString& path, WaveFormatEx format, int outputDevice)
{
    return prepare(path, format, outputDevice, false);
}

uint16_t MusicTrackLibrary::PrepareMusicTrackOverdub(const QString& path, WaveFormatEx format, int outputDevice,
                                                     int unit, int64_t* playbackPosition)
{
    if (m_engine.takeRecording())
        return PlayerCode::AlreadyRecording;
    if (!m_engine.m_playback || (unit != 0 && unit != 1))
        return PlayerCode::NoDataToPlay;
    if (const uint16_t code = prepare(path, format, outputDevice, true))
        return code;
    if (playbackPosition)
        *playbackPosition = m_engine.AudioGetPosition(unit);
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::prepare(const QString& path, const WaveFormatEx& format, int outputDevice, bool overdub)
{
    if (m_take)
        return PlayerCode::AlreadyRecording;
    if (path.isEmpty())
        return PlayerCode::NoRecordFileName;
    const WaveFormatEx pcm = makePcmFormat(format.samplesPerSec, format.bitsPerSample, format.channels);
    if (format.formatTag != WAVE_FORMAT_PCM || checkStreamable(pcm) != PlayerCode::Ok)
        return PlayerCode::UnsupportedRecordFormat;
    QString device;
    if (const uint16_t code = m_engine.outputDeviceName(outputDevice, &device))
        return code;

    RecordSession* voice = m_engine.takeRecording();
    const intptr_t number = ++m_takeNumber;
    MusicTakeSetup setup;
    setup.backend = &m_engine.m_backend;
    setup.prefetcher = &m_engine.m_prefetcher;
    setup.path = path;
    setup.format = {format.samplesPerSec, format.channels, format.bitsPerSample};
    setup.device = device;
    setup.followsCapture = voice != nullptr;
    setup.overdub = overdub;
    setup.padEnded = [this](int index, uint32_t generation) { m_poster.post(kMsgPadEnded, index, generation); };
    setup.takeEnded = [this, number] { m_poster.post(kMsgMusicRecordingEnded, 0, number); };
    if (const uint16_t code = MusicTake::start(std::move(setup), m_take))
        return code;
    m_take->setAttenuation(m_attenuation);
    m_endedCode = PlayerCode::Ok;
    if (voice)
        voice->attach(m_take.get());
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::MixFileWithMusicTrack(const QString& path, int index, int loop)
{
    if (!m_take)
        return PlayerCode::NoRecordFileName;
    if (index < 0 || index >= kPadCount)
        return PlayerCode::NoDataToPlay;
    m_take->reclaimEndedPads();
    const uint32_t generation = ++m_nextGeneration;
    if (const uint16_t code = m_take->addPad(path, index, loop != 0, generation))
        return code;
    m_padGenerations[index] = generation;
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::StopMixFile(int index)
{
    if (m_take) {
        m_take->stopPad(index);
        m_take->reclaimEndedPads();
    }
    m_padGenerations.erase(index);
    return PlayerCode::Ok;
}

void MusicTrackLibrary::postStopped(const std::vector<MusicTake::StoppedPad>& pads)
{
    for (const MusicTake::StoppedPad& pad : pads)
        m_poster.post(kMsgPadEnded, pad.index, pad.generation);
}

uint16_t MusicTrackLibrary::StopPlaybackOfCurrentMixingTrack()
{
    if (m_take)
        postStopped(m_take->stopCurrentPad());
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::StopPlaybackOfAllTracks()
{
    if (m_take)
        postStopped(m_take->stopAllPads());
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::PauseMusicRecording()
{
    if (m_take)
        m_take->setPaused(true);
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::ResumeMusicRecording()
{
    if (m_take)
        m_take->setPaused(false);
    return PlayerCode::Ok;
}

uint16_t MusicTrackLibrary::endTake()
{
    if (!m_take)
        return PlayerCode::Ok;
    if (m_take->followsCapture()) {
        if (RecordSession* voice = m_engine.takeRecording())
            voice->detach(m_take.get());
    }
    const uint16_t code = m_take->stop();
    m_take.reset();
    m_padGenerations.clear();
    return code;
}

uint16_t MusicTrackLibrary::StopMusicTrackRecording()
{
    if (!m_take) {
        const uint16_t code = m_endedCode;
        m_endedCode = PlayerCode::Ok;
        return code;
    }
    return endTake();
}

int64_t MusicTrackLibrary::MusicGetRecordPosition(int unit)
{
    if (!m_take)
        return 0;
    const int64_t frames = m_take->frames();
    if (unit == 1)
        return frames;
    return unit == 0 ? frames * 1000 / m_take->format().rate : 0;
}

uint16_t MusicTrackLibrary::SetWaveOutAttenLevel(float gain)
{
    m_attenuation = gain > 0.0f ? gain : 0.0f; // NaN fails the test too
    if (m_take)
        m_take->setAttenuation(m_attenuation);
    return PlayerCode::Ok;
}

bool MusicTrackLibrary::deliver(const platform::PostedMessage& message)
{
    if (message.message() == kMsgPadEnded) {
        const auto it = m_padGenerations.find(int(message.wParam()));
        if (it == m_padGenerations.end() || it->second != uint32_t(message.lParam()))
            return false;
        m_padGenerations.erase(it);
        if (m_take)
            m_take->reclaimEndedPads();
        return true;
    }
    if (message.message() == kMsgMusicRecordingEnded) {
        if (!m_take || message.lParam() != m_takeNumber)
            return false;
        m_endedCode = endTake();
        return true;
    }
    return true;
}

} // namespace platform::audio
