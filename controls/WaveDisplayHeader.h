#pragma once
// The header read of the waveform display: the format and the sample data's place in a WAV file,
// checked for what the display can show (8 or 16 bits, 1 or 2 channels, whole frames).

#include "common/WaveFormat.h"
#include "platform/files/Riff.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace controls {

struct WaveDisplayHeader {
    // Channels, rate, byte rate, block align and bits; the format tag and extra size stay 0.
    WaveFormatEx format;
    uint32_t totalSamples = 0; // whole frames in the data chunk (or in the part of it the file holds)
    int64_t dataOffset = 0;    // file offset of the first sample byte
};

// Reads and checks the header. Returns 0, or 101 (cannot open), 102 (no RIFF "WAVE"), 103 (no
// "fmt "), 104 ("fmt " shorter than 16 bytes or cut off), 113 (a format the display cannot show)
// or 105 (no "data"), in that order of checking. When file is given, it receives the open file on
// success.
int readWaveDisplayHeader(const QString& path, WaveDisplayHeader& header,
                          std::unique_ptr<platform::RiffFile>* file = nullptr);

} // namespace controls
