#include "controls/ScaleLayout.h"

#include "controls/WaveViewGeometry.h"
#include "platform/base/Rounding.h"

#include <algorithm>

namespace controls {

namespace {

bool convertible(const WaveFormatEx& format)
{
    return format.samplesPerSec != 0 && format.bitsPerSample != 0 && format.channels != 0;
}

QString padded(int64_t value, int digits)
{
    return QString::number(value).rightJustified(digits, QLatin1Char('0'));
}

const QString& zeroTimeText()
{
    static const QString text = QStringLiteral("00:00:000");
    return text;
}

} // namespace

int64_t framesToMs(int64_t frames, const WaveFormatEx& format)
{
    return convertible(format) ? frames * 1000 / int64_t(format.samplesPerSec) : 0;
}

int64_t msToFrames(int64_t ms, const WaveFormatEx& format)
{
    return convertible(format) ? platform::divRoundHalfEven(ms * int64_t(format.samplesPerSec), 1000) : 0;
}

int64_t niceTimeStep(int64_t ms)
{
    const auto down = [](int64_t value, int64_t multiple) { return value - value % multiple; };
    const int64_t minutes = ms / 60000;
    if (minutes > 0)
        return (minutes > 5 ? down(minutes, 5) : minutes) * 60000;
    const int64_t seconds = (ms % 60000) / 1000;
    if (seconds > 0)
        return (seconds > 5 ? down(seconds, 5) : seconds) * 1000;
    const int64_t millis = ms % 1000;
    if (millis > 100)
        return down(millis, 100);
    if (millis > 10)
        return down(millis, 10);
    return millis;
}

QString scaleTimeText(int64_t ms)
{
    return QStringLiteral("%1:%2:%3").arg(padded(ms / 60000, 2), padded((ms % 60000) / 1000, 2), padded(ms % 1000, 3));
}

ScaleLayout layoutScale(const ScaleSettings& s, const std::function<int(const QString&)>& textWidth)
{
    ScaleLayout layout;
    const bool time = s.Format == TFormat::Time;
    const auto withoutData = [&] {
        layout.step = 0;
        layout.ticks.assign({ScaleTick{0, kScaleLongTickEnd}});
        layout.labels.assign({ScaleLabel{kScaleLabelIndent, time ? zeroTimeText() : QStringLiteral("0")}});
        return layout;
    };
    if (!s.IsDataAvailable || s.width <= 0)
        return withoutData();

    // A tick value is milliseconds (Time) or a frame (Samples); its pixel is its frame's.
    const auto pixelOf = [&](int64_t value) -> int64_t {
        if (s.ZoomLevel == 0)
            return 0;
        return sampleToPixel(time ? msToFrames(value, s.waveFormat) : value, s.ZoomLevel, s.LeftSamplePos);
    };
    // More than any file holds; it keeps every later sum and product far inside 64 bits.
    constexpr int64_t kMaxGapFrames = int64_t(1) << 33;
    const int64_t gapFrames = std::min(int64_t(std::max(s.GapInPixels, 0)) * s.ZoomLevel, kMaxGapFrames);
    int64_t step = time ? niceTimeStep(framesToMs(gapFrames, s.waveFormat)) : gapFrames;
    if (step <= 0)
        return withoutData();

    // Labels closer than 1.75 times their width would run into each other.
    const int w = textWidth(time ? zeroTimeText() : QString::number(step));
    if (int64_t(w) + int64_t(w) * 75 / 100 >= pixelOf(2 * step) - pixelOf(step))
        step *= 2;
    layout.step = step;

    int64_t value = 0;
    if (s.LeftSamplePos != 0) {
        if (pixelOf(step) >= 0) {
            value = step;
        } else {
            const int64_t edge = time ? framesToMs(s.LeftSamplePos, s.waveFormat) : int64_t(s.LeftSamplePos);
            value = edge / step * step - step;
        }
    }
    int64_t x = value == 0 && s.LeftSamplePos == 0 ? 0 : pixelOf(value);
    while (x < s.width) {
        const int64_t next = pixelOf(value + step);
        if (next <= x)
            break; // a step narrower than a pixel: nothing more to draw
        if (s.ShowSmallDivisons && s.NumSmallDivisons >= 1) {
            const int64_t d = (next - x) / s.NumSmallDivisons;
            if (d == 0) {
                if (x >= 0)
                    layout.ticks.push_back(ScaleTick{int(x), kScaleShortTickEnd});
            } else {
                // Only the ticks on the ruler: a huge step or division count must not make
                // billions of invisible ones.
                const int64_t first = x >= 0 ? x : x + (-x + d - 1) / d * d;
                for (int64_t f = first; f <= next - d && f <= s.width; f += d)
                    layout.ticks.push_back(ScaleTick{int(f), kScaleShortTickEnd});
            }
        }
        if (next > 0) {
            const QString text = time ? scaleTimeText(value) : QString::number(pixelToSample(x, s.ZoomLevel, s.LeftSamplePos));
            const int textW = textWidth(text);
            if (textW <= s.width - x && x + kScaleLabelIndent + textW > 0) {
                layout.ticks.push_back(ScaleTick{int(x), kScaleLongTickEnd});
                layout.labels.push_back(ScaleLabel{int(x) + kScaleLabelIndent, text});
            }
        }
        x = next;
        value += step;
    }
    return layout;
}

} // namespace controls
