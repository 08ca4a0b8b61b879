#include "platform/audio/PcmWave.h"

#include "platform/audio/PlayerCodes.h"

#include <algorithm>

namespace platform::audio {

uint16_t openPcmWave(const QString& path, PcmWave& wave)
{
    wave = PcmWave{};
    if (path.isEmpty())
        return PlayerCode::NoFileName;
    auto file = RiffFile::open(path, RiffFile::Mode::Read);
    if (!file)
        return PlayerCode::CannotOpenFile;
    RiffChunk riff;
    riff.formType = fourCC("WAVE");
    if (file->descend(riff, nullptr, RiffFile::Descend::FindRiff) != RiffCode::Ok)
        return PlayerCode::CannotReadFmt;
    RiffChunk fmt;
    fmt.id = fourCC("fmt ");
    if (file->descend(fmt, &riff, RiffFile::Descend::FindChunk) != RiffCode::Ok
        || fmt.size < uint32_t(kWaveFormatMinSize))
        return PlayerCode::CannotReadFmt;
    uint8_t bytes[kWaveFormatSize] = {};
    const int64_t wanted = std::min<int64_t>(fmt.size, kWaveFormatSize);
    if (file->read(bytes, wanted) != wanted)
        return PlayerCode::CannotReadFmt;
    const WaveFormatEx format = parseWaveFormat(bytes, std::size_t(wanted));
    if (format.channels == 0 || format.blockAlign == 0 || format.samplesPerSec == 0)
        return PlayerCode::CannotReadFmt;
    if (format.formatTag != WAVE_FORMAT_PCM)
        return PlayerCode::NotPcm;
    RiffChunk data;
    data.id = fourCC("data");
    if (file->ascend(fmt) != RiffCode::Ok || file->descend(data, &riff, RiffFile::Descend::FindChunk) != RiffCode::Ok)
        return PlayerCode::CannotReadData;
    wave.file = std::move(file);
    wave.format = format;
    wave.dataOffset = data.dataOffset;
    wave.frames = data.size / format.blockAlign;
    return PlayerCode::Ok;
}

uint16_t checkStreamable(const WaveFormatEx& format)
{
    const bool fits = format.formatTag == WAVE_FORMAT_PCM && (format.channels == 1 || format.channels == 2)
                   && (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.samplesPerSec > 0
                   && format.blockAlign == format.channels * (format.bitsPerSample / 8);
    return fits ? PlayerCode::Ok : PlayerCode::FormatNotSupported;
}

} // namespace platform::audio
