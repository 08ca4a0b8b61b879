#include "common/WaveFormat.h"

#include <QtEndian>

#include <algorithm>

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
    f.formatTag = qFromLittleEndian<uint16_t>(b);
    f.channels = qFromLittleEndian<uint16_t>(b + 2);
    f.samplesPerSec = qFromLittleEndian<uint32_t>(b + 4);
    f.avgBytesPerSec = qFromLittleEndian<uint32_t>(b + 8);
    f.blockAlign = qFromLittleEndian<uint16_t>(b + 12);
    f.bitsPerSample = qFromLittleEndian<uint16_t>(b + 14);
    f.extraSize = qFromLittleEndian<uint16_t>(b + 16);
    return f;
}

void serializeWaveFormat(const WaveFormatEx& f, uint8_t (&b)[kWaveFormatSize])
{
    qToLittleEndian<uint16_t>(f.formatTag, b);
    qToLittleEndian<uint16_t>(f.channels, b + 2);
    qToLittleEndian<uint32_t>(f.samplesPerSec, b + 4);
    qToLittleEndian<uint32_t>(f.avgBytesPerSec, b + 8);
    qToLittleEndian<uint16_t>(f.blockAlign, b + 12);
    qToLittleEndian<uint16_t>(f.bitsPerSample, b + 14);
    qToLittleEndian<uint16_t>(f.extraSize, b + 16);
}
