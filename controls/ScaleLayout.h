#pragma once
// The layout of the time ruler, apart from its widget: where its ticks and labels go for a zoom,
// a left position and a label unit (time or sample numbers), and the exact integer conversions
// between frames and milliseconds it labels with. Any input is accepted: a zoom, gap, rate or
// division count of 0 gives the ruler without data, never a division by zero or an endless loop.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace controls {

enum class TFormat { Time = 0, Samples = 1 };

// The ruler's base line runs along this row; ticks hang from it.
inline constexpr int kScaleBaseLine = 2;
inline constexpr int kScaleLongTickEnd = 10;
inline constexpr int kScaleShortTickEnd = 5;
inline constexpr int kScaleLabelTop = 4;
inline constexpr int kScaleLabelIndent = 4;

struct ScaleSettings {
    int width = 500;
    int GapInPixels = 100;
    uint32_t ZoomLevel = 1;
    uint32_t LeftSamplePos = 0;
    TFormat Format = TFormat::Time;
    bool ShowSmallDivisons = true;
    int NumSmallDivisons = 10;
    bool IsDataAvailable = false;
    WaveFormatEx waveFormat = makePcmFormat(44100, 16, 2);
};

struct ScaleTick {
    int x = 0;
    int bottom = 0; // kScaleLongTickEnd for a labelled tick, kScaleShortTickEnd for a small one

    friend bool operator==(const ScaleTick&, const ScaleTick&) = default;
};

struct ScaleLabel {
    int x = 0; // left of the text; its top is kScaleLabelTop
    QString text;

    friend bool operator==(const ScaleLabel&, const ScaleLabel&) = default;
};

struct ScaleLayout {
    int64_t step = 0; // between labelled ticks: milliseconds (Time) or frames (Samples); 0 without data
    std::vector<ScaleTick> ticks;
    std::vector<ScaleLabel> labels;
};

// Frames to milliseconds, truncated; 0 when the rate, bits or channels of the format are 0.
int64_t framesToMs(int64_t frames, const WaveFormatEx& format);
// Milliseconds to frames, rounded halves to even; 0 likewise.
int64_t msToFrames(int64_t ms, const WaveFormatEx& format);

// A round step near ms: whole minutes, else whole seconds, else milliseconds, each taken down to
// a multiple of 5 (minutes, seconds above 5), 10 or 100 (milliseconds above 10 or above 100).
int64_t niceTimeStep(int64_t ms);

// "mm:ss:mmm" with the minutes as wide as they need (at least 2 digits).
QString scaleTimeText(int64_t ms);

// The ticks and labels of a ruler; textWidth measures a label in the ruler's font.
ScaleLayout layoutScale(const ScaleSettings& settings, const std::function<int(const QString&)>& textWidth);

} // namespace controls
