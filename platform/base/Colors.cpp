#include "platform/base/Colors.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cmath>

namespace platform {

QColor colorFromRef(uint32_t bbggrr)
{
    return QColor(int(bbggrr & 0xFF), int((bbggrr >> 8) & 0xFF), int((bbggrr >> 16) & 0xFF));
}

uint32_t colorToRef(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return uint32_t(rgb.red()) | uint32_t(rgb.green()) << 8 | uint32_t(rgb.blue()) << 16;
}

namespace {

double linearChannel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// step / 255 of the way from `from` to `to`, per channel.
QColor mixed(const QColor& from, const QColor& to, int step)
{
    const auto channel = [step](int a, int b) { return int(a + divRoundHalfEven(int64_t(b - a) * step, 255)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

double relativeLuminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green()) + 0.0722 * linearChannel(rgb.blue());
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor legibleColor(const QColor& preferred, const QColor& background, double minimumRatio)
{
    const QColor from = preferred.toRgb();
    if (contrastRatio(from, background) >= minimumRatio)
        return from;
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    const bool towardWhite = contrastRatio(white, background) >= contrastRatio(black, background);
    const QColor extreme = towardWhite ? white : black;
    const double backgroundLuminance = relativeLuminance(background);
    // Along the way the luminance only moves toward the extreme's, so "past the background's
    // luminance and far enough from it" holds from one step to the end: the first such step is
    // found by bisection.
    const auto reaches = [&](int step) {
        const QColor color = mixed(from, extreme, step);
        const double luminance = relativeLuminance(color);
        const bool beyond = towardWhite ? luminance >= backgroundLuminance : luminance <= backgroundLuminance;
        return beyond && contrastRatio(color, background) >= minimumRatio;
    };
    if (!reaches(255))
        return extreme;
    int low = 0; // never reaches: preferred itself falls short
    int high = 255;
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        (reaches(middle) ? high : low) = middle;
    }
    return mixed(from, extreme, high);
}

} // namespace platform
