#include "platform/audio/PreviewPlayers.h"

#include "platform/base/Rounding.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/codecs/VXVorbisToWav.h"

namespace platform::audio {

namespace {

constexpr int kUnitMilliseconds = 0;

} // namespace

uint16_t PlivornPlayback::StartPlayBack(uint32_t* cell, uint32_t, const QString& file, uint32_t startMs, uint32_t,
                                        uint32_t endMs)
{
    if (!cell)
        return PlayerCode::InvalidHandle;
    *cell = 0;
    const uint16_t code = m_engine.playDecoded(file, startMs, kUnitMilliseconds, endMs);
    if (code == PlayerCode::Ok)
        *cell = m_engine.currentPlayback();
    return code;
}

uint16_t PlivornPlayback::StopPlayBack(uint32_t handle)
{
    return playing(handle) ? m_engine.AudioStop() : PlayerCode::NoDataToPlay;
}

uint16_t PlivornPlayback::PausePlayBack(uint32_t handle)
{
    return playing(handle) ? m_engine.AudioPause() : PlayerCode::NoDataToPlay;
}

uint16_t PlivornPlayback::ResumePlayBack(uint32_t handle)
{
    return playing(handle) ? m_engine.AudioResume() : PlayerCode::NoDataToPlay;
}

int PlivornPlayback::GetPlayBackPosition(uint32_t handle, uint32_t* positionMs)
{
    const bool plays = playing(handle);
    if (positionMs)
        *positionMs = plays ? uint32_t(m_engine.AudioGetPosition(kUnitMilliseconds)) : 0;
    return plays ? 0 : 1;
}

bool VorbisPlayback::playing() const
{
    return m_handle != 0 && m_handle == m_engine.currentPlayback();
}

uint16_t VorbisPlayback::PlayVorbisFile(const QString& file, int bits)
{
    if (bits != 16 || platform::codecs::VXVorbisToWav::GetLengthOfVorbisFile(file) < 0)
        return file.isEmpty() ? PlayerCode::NoFileName : PlayerCode::FormatNotSupported;
    const uint16_t code = m_engine.playDecoded(file, 0, kUnitMilliseconds, 0);
    m_handle = code == PlayerCode::Ok ? m_engine.currentPlayback() : 0;
    return code;
}

uint16_t VorbisPlayback::StopPlay()
{
    if (playing())
        m_engine.AudioStop();
    m_handle = 0;
    return PlayerCode::Ok;
}

uint16_t VorbisPlayback::PausePlay()
{
    if (!playing())
        return PlayerCode::NoDataToPlay;
    const uint16_t code = m_engine.AudioResume();
    return code == PlayerCode::AlreadyPlaying ? m_engine.AudioPause() : code;
}

uint16_t VorbisPlayback::TimeSeek(double seconds)
{
    if (!playing() || !(seconds >= 0) || seconds > 1e9)
        return PlayerCode::NoDataToPlay;
    return m_engine.AudioMoveTo(platform::roundHalfEven(seconds * 1000), kUnitMilliseconds);
}

double VorbisPlayback::GetCurrentPosition()
{
    return playing() ? double(m_engine.AudioGetPosition(kUnitMilliseconds)) / 1000 : 0;
}

} // namespace platform::audio
