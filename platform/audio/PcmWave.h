#pragma once
// Opening a PCM WAV for the engine: its format, where its samples lie and how many whole frames it
// holds, with the player's result codes for every way a file can be unfit.

#include "common/WaveFormat.h"
#include "platform/files/Riff.h"
#include "platform/audio/AudioBackend.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace platform::audio {

struct PcmWave {
    std::unique_ptr<platform::RiffFile> file;
    WaveFormatEx format;
    int64_t dataOffset = 0; // file offset of the first sample byte
    int64_t frames = 0;     // whole frames of the "data" chunk (clamped to the file)

    StreamFormat streamFormat() const { return {format.samplesPerSec, format.channels, format.bitsPerSample}; }
};

// 0, or 100 no name, 102 cannot open, 108 no RIFF "WAVE" or no usable "fmt " chunk, 109 not PCM,
// 110 no "data" chunk. An empty "data" chunk is not refused here.
uint16_t openPcmWave(const QString& path, PcmWave& wave);

// 0 when the engine can stream the format (PCM, 8 or 16 bits, 1 or 2 channels, a rate, a block
// align of channels x bytes per sample), else 104.
uint16_t checkStreamable(const WaveFormatEx& format);

} // namespace platform::audio
