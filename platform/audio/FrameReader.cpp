#include "platform/audio/FrameReader.h"

namespace platform::audio {

PcmWaveReader::PcmWaveReader(PcmWave wave)
    : m_wave(std::move(wave))
{
}

bool PcmWaveReader::seek(int64_t frame)
{
    m_next = frame;
    return frame >= 0;
}

int64_t PcmWaveReader::read(void* out, int64_t frames)
{
    const int frameBytes = m_wave.format.blockAlign;
    platform::RiffFile& file = *m_wave.file;
    if (file.seek(m_wave.dataOffset + m_next * frameBytes) < 0)
        return -1;
    const int64_t bytes = file.read(out, frames * frameBytes);
    if (bytes < 0)
        return -1;
    m_next += bytes / frameBytes;
    return bytes / frameBytes;
}

QString PcmWaveReader::name() const
{
    return m_wave.file->path();
}

} // namespace platform::audio
