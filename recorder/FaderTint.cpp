#include "recorder/FaderTint.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cstdlib>

namespace recorder {

namespace {

constexpr double kStep = 10.0 / 255.0 * 100.0;

int channel(uint32_t colour, int shift)
{
    return int((colour >> shift) & 0xFF);
}

} // namespace

uint32_t shiftTint(uint32_t colour, int steps, bool lighter, uint32_t background)
{
    if ((colour & 0xFFFFFF) == 0xFFFFFF)
        return colour;
    const double delta = (lighter ? 1.0 : -1.0) * steps * kStep;
    uint32_t out = 0;
    for (const int shift : {0, 8, 16}) {
        const double moved = std::max(std::min(channel(colour, shift) + delta, 240.0), double(channel(background, shift)));
        out |= uint32_t(platform::roundHalfEven(moved)) << shift;
    }
    return out;
}

TintChange FaderTint::move(int value, uint32_t voice, uint32_t music, uint32_t background)
{
    TintChange change;
    const int last = m_last;
    if (value == 0) {
        change.voice = background;
        change.music = background;
    } else if (value < 0 && last <= 0) {
        const int steps = std::abs(std::abs(last) - std::abs(value));
        if (steps != 0) {
            change.voice = shiftTint(voice, steps, value < last, background);
            change.music = background;
        }
    } else if (value > 0 && last >= 0) {
        const int steps = std::abs(last - value);
        if (steps != 0) {
            change.voice = background;
            change.music = shiftTint(music, steps, value >= last, background);
        }
    } else if (value < 0) {
        change.music = background;
        change.voice = shiftTint(voice, -value, true, background);
    } else {
        change.voice = background;
        change.music = shiftTint(music, value, true, background);
    }
    m_last = value;
    return change;
}

} // namespace recorder
