#include "platform/audio/MixData.h"

#include "platform/audio/PlayerCodes.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

namespace {

// Frames per pass: the sums of one pass stay in a small array on the stack.
constexpr int kChunkFrames = 1024;

struct Pcm16 {
    using Sample = int16_t;
    static constexpr int low = -32768;
    static constexpr int high = 32767;
    static constexpr float fullScale = 32768.0f;
    static float value(Sample s) { return float(s); }
    static Sample sample(int v) { return Sample(v); }
};

struct Pcm8 {
    using Sample = uint8_t;
    static constexpr int low = -128;
    static constexpr int high = 127;
    static constexpr float fullScale = 128.0f;
    static float value(Sample s) { return float(int(s) - 128); }
    static Sample sample(int v) { return Sample(v + 128); }
};

// Gains are taken within 0..1000, so every sum converts to a 32-bit integer.
constexpr float kLargestGain = 1000.0f;

float usable(float gain)
{
    return gain > 0.0f ? std::min(gain, kLargestGain) : 0.0f; // NaN fails the test and gives 0
}

// Rounds to the nearest integer with halves to even (the default rounding of float additions) for
// |v| < 2^22, in a form the compiler vectorises; larger values stay beyond the sample range. Without
// -ffast-math the pair is not folded away.
inline int roundHalfEven(float v)
{
    constexpr float magic = 12582912.0f; // 1.5 x 2^23
    return int((v + magic) - magic);
}

inline float softKnee(float v, float fullScale)
{
    const float x = std::fabs(v) / fullScale;
    if (x <= kSoftKnee)
        return v;
    const float span = 1.0f - kSoftKnee;
    const float bent = (kSoftKnee + span * std::tanh((x - kSoftKnee) / span)) * fullScale;
    return std::copysign(bent, v);
}

// The loops are written so that the compiler vectorises them: flags are or-ed integers, the clamp
// works on integers.
template<typename Format, int Channels>
bool mixChunk(typename Format::Sample* first, const typename Format::Sample* second, int frames,
              const float (&firstGain)[2], const float (&secondGain)[2], bool prevent)
{
    float sums[kChunkFrames * Channels];
    const int count = frames * Channels;
    constexpr float low = float(Format::low);
    constexpr float high = float(Format::high);
    constexpr float knee = kSoftKnee * Format::fullScale;
    int outside = 0;
    int overKnee = 0;
    for (int i = 0; i < count; i += Channels) {
        for (int c = 0; c < Channels; ++c) {
            float v = Format::value(first[i + c]) * firstGain[c];
            if (second)
                v += Format::value(second[i + c]) * secondGain[c];
            sums[i + c] = v;
            outside |= int(v < low) | int(v > high);
            overKnee |= int(v < -knee) | int(v > knee);
        }
    }
    if (prevent && overKnee) {
        for (int i = 0; i < count; ++i)
            sums[i] = softKnee(sums[i], Format::fullScale);
    }
    for (int i = 0; i < count; ++i) {
        int x = roundHalfEven(sums[i]);
        x = x < Format::low ? Format::low : x;
        x = x > Format::high ? Format::high : x;
        first[i] = Format::sample(x);
    }
    return outside != 0;
}

template<typename Format, int Channels>
bool mixAll(void* firstData, const void* secondData, int64_t frames, const MixGains& gains, bool prevent)
{
    auto* first = static_cast<typename Format::Sample*>(firstData);
    const auto* second = static_cast<const typename Format::Sample*>(secondData);
    // Mono uses the left gain of each pair.
    const float firstGain[2] = {usable(gains.firstLeft), usable(Channels == 2 ? gains.firstRight : gains.firstLeft)};
    const float secondGain[2] = {usable(gains.secondLeft),
                                 usable(Channels == 2 ? gains.secondRight : gains.secondLeft)};
    bool saturated = false;
    for (int64_t done = 0; done < frames; done += kChunkFrames) {
        const int n = int(std::min<int64_t>(kChunkFrames, frames - done));
        const int64_t offset = done * Channels;
        saturated |= mixChunk<Format, Channels>(first + offset, second ? second + offset : nullptr, n, firstGain,
                                                secondGain, prevent);
    }
    return saturated;
}

bool supported(int channels, int bits)
{
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16);
}

} // namespace

bool mixFrames(void* first, const void* second, int64_t frames, int channels, int bits, const MixGains& gains,
               bool preventSaturation)
{
    if (!first || frames <= 0 || !supported(channels, bits))
        return false;
    // Unity gain on a buffer alone cannot change a sample: leave it byte for byte.
    if (!second && !preventSaturation && gains.firstLeft == 1.0f && (channels == 1 || gains.firstRight == 1.0f))
        return false;
    if (bits == 16)
        return channels == 2 ? mixAll<Pcm16, 2>(first, second, frames, gains, preventSaturation)
                             : mixAll<Pcm16, 1>(first, second, frames, gains, preventSaturation);
    return channels == 2 ? mixAll<Pcm8, 2>(first, second, frames, gains, preventSaturation)
                         : mixAll<Pcm8, 1>(first, second, frames, gains, preventSaturation);
}

uint16_t mixData(void* buffer1, int64_t count1, const void* buffer2, int64_t count2, int channels, int bits,
                 bool preventSaturation, int* saturated, const MixGains& gains)
{
    if (!supported(channels, bits))
        return PlayerCode::FormatsDiffer;
    if (count1 < 0 || count2 < 0 || (count1 > 0 && !buffer1) || (count2 > 0 && !buffer2))
        return PlayerCode::NoDataToPlay;
    const int frameBytes = channels * bits / 8;
    const int64_t frames = count1 / frameBytes;
    const int64_t both = std::min(frames, count2 / frameBytes);
    bool clipped = false;
    if (both > 0)
        clipped = mixFrames(buffer1, buffer2, both, channels, bits, gains, preventSaturation);
    if (frames > both)
        clipped |= mixFrames(static_cast<uint8_t*>(buffer1) + both * frameBytes, nullptr, frames - both, channels,
                             bits, gains, preventSaturation);
    if (clipped && saturated)
        *saturated = 1;
    return PlayerCode::Ok;
}

} // namespace platform::audio
