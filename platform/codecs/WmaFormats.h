#pragma once
// The encoders and output formats the WMA library offers (see Ostrefa.h), found by asking FFmpeg's
// encoders, and the conversion itself.

#include "common/WaveFormat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

struct AVCodec;

namespace platform::codecs {

struct WmaEncoderInfo {
    QString name;
    const AVCodec* codec = nullptr;
};

struct WmaFormat {
    int bitRate = 0; // kbit/s
    uint32_t sampleRate = 0;
    int channels = 0;

    QString text() const;
};

// The encoders this FFmpeg has, in the listed order.
std::vector<WmaEncoderInfo> availableWmaEncoders();

// The encoder's output formats for the source, lowest quality first; empty when it takes none.
std::vector<WmaFormat> wmaFormatsFor(const AVCodec* codec, const WaveFormatEx& source);

struct WmaJobWords {
    std::atomic<int32_t>* progress = nullptr;
    std::atomic<int32_t>* cancel = nullptr;
};

// Encodes the source WAV into target in the given format; a WmaCode, or -1 when cancelled.
int encodeWaveToWma(const QString& source, const QString& target, const AVCodec* codec, int formatIndex,
                    const WmaJobWords& words);

} // namespace platform::codecs
