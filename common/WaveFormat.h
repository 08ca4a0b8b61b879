#pragma once
// The wave format record: the 18-byte body of a WAV file's "fmt " chunk, the argument of every
// format comparison and conversion in the suite. Stored little-endian whatever the host.

#include <cstddef>
#include <cstdint>

struct WaveFormatEx {
    uint16_t formatTag = 0; // 1 = PCM
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    friend bool operator==(const WaveFormatEx&, const WaveFormatEx&) = default;
};

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr int kWaveFormatSize = 18;
// The shortest "fmt " body that holds every field but the extra size.
inline constexpr int kWaveFormatMinSize = 16;

// PCM format with the derived fields (block align, average bytes per second) filled in.
WaveFormatEx makePcmFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels);

// Reads the fields present in the first min(size, 18) bytes; fields beyond size stay 0.
WaveFormatEx parseWaveFormat(const void* bytes, std::size_t size);

// The 18 bytes of the record.
void serializeWaveFormat(const WaveFormatEx& format, uint8_t (&bytes)[kWaveFormatSize]);
