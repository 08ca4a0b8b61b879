#include "common/WaveFormat.h"

#include <algorithm>

namespace {

uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void put32(uint8_t* p, uint32_t v) { put16(p, uint16_t(v)); put16(p + 2, uint16_t(v >> 16)); }

} // namespace

WaveFormatEx makePcmFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels)
{
    WaveFormatEx f;
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bitsPerSample;
    f.blockAlign = uint16_t(channels * (bitsPerSample / 8));
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    f.extraSize = 0;
    return f;
}

WaveFormatEx parseWaveFormat(const void* bytes, std::size_t size)
{
    uint8_t b[kWaveFormatSize] = {};
    std::copy_n(static_cast<const uint8_t*>(bytes), std::min<std::size_t>(size, kWaveFormatSize), b);
    WaveFormatEx f;
    f.formatTag = get16(b);
    f.channels = get16(b + 2);
    f.samplesPerSec = get32(b + 4);
    f.avgBytesPerSec = get32(b + 8);
    f.blockAlign = get16(b + 12);
    f.bitsPerSample = get16(b + 14);
    f.extraSize = get16(b + 16);
    return f;
}

void serializeWaveFormat(const WaveFormatEx& f, uint8_t (&b)[kWaveFormatSize])
{
    put16(b, f.formatTag);
    put16(b + 2, f.channels);
    put32(b + 4, f.samplesPerSec);
    put32(b + 8, f.avgBytesPerSec);
    put16(b + 12, f.blockAlign);
    put16(b + 14, f.bitsPerSample);
    put16(b + 16, f.extraSize);
}
