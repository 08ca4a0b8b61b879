#pragma once
// Mixing of PCM frames, the one per-sample routine behind the player's MixData, mixed playback,
// single-file playback with a gain, and the pads of the music take.
//
// Each sample becomes first x gain + second x gain (8-bit samples taken around 128), rounded to the
// nearest integer with halves to even, in 32-bit floats. Mono takes the left gain of each pair.
// Gains are taken within 0..1000: a negative or NaN gain is 0.
//
// Saturation: a sum outside the sample range (16 bits: -32768..32767, 8 bits: 0..255) is
// "saturated" and reported. Without prevention such a sum is clipped to the range. With prevention
// every sample passes through a soft-knee curve: below 0.75 of full scale (-2.5 dBFS) it is left
// as it is; above, it bends smoothly (a tanh shoulder with slope 1 at the knee) towards full scale
// and never reaches it, so the mix never clips. The curve depends on the sample alone, so a
// stream mixed in blocks of any size gives the same bytes.

#include <cstdint>

namespace platform::audio {

struct MixGains {
    float firstLeft = 1.0f;
    float firstRight = 1.0f;
    float secondLeft = 1.0f;
    float secondRight = 1.0f;
};

// Where the soft-knee curve of prevention starts, as a fraction of full scale.
inline constexpr float kSoftKnee = 0.75f;

// Mixes `frames` whole frames of second into first, in place. second may be null: first alone is
// scaled by its gains. channels 1 or 2, bits 8 or 16 (anything else changes nothing). True when a
// sum was saturated.
bool mixFrames(void* first, const void* second, int64_t frames, int channels, int bits, const MixGains& gains,
               bool preventSaturation);

// The player's MixData on byte counts: mixes min(count1, count2) bytes of buffer 2 into buffer 1
// and scales the rest of buffer 1 by its own gains (whole frames only). *saturated is set to 1 when
// a sum was saturated and left as it is otherwise, so one flag can collect a run of blocks.
// Results: 0; 107 for channels other than 1 or 2 or bits other than 8 or 16; 117 for a negative
// count or a missing buffer.
uint16_t mixData(void* buffer1, int64_t count1, const void* buffer2, int64_t count2, int channels, int bits,
                 bool preventSaturation, int* saturated, const MixGains& gains);

} // namespace platform::audio
