#include "editor/MixerSliders.h"

#include "editor/Util.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t kFallbackBound = 65535;

} // namespace

uint32_t volumeBound(int code, uint32_t maximum, bool input)
{
    if (code != 0 || (input && maximum == 0))
        return kFallbackBound;
    return maximum;
}

int volumeSliderPosition(uint32_t value, uint32_t bound, SliderRange range)
{
    const int64_t reading = bound == 0 ? 0 : platform::divRoundHalfEven(int64_t(value) * range.max, bound);
    return int(std::clamp<int64_t>(std::abs(range.max - reading), range.min, range.max));
}

uint32_t volumeFromSlider(int position, uint32_t bound, SliderRange range)
{
    const int64_t span = range.max - range.min;
    if (span <= 0)
        return 0;
    const int64_t above = std::clamp<int64_t>(range.max - position, 0, span);
    return uint32_t(int64_t(bound) * above / span);
}

std::pair<uint32_t, uint32_t> splitByBalance(uint32_t volume, int balance, SliderRange range)
{
    const double half = (range.max - range.min) / 2.0;
    if (half <= 0)
        return {volume, volume};
    const double lean = std::clamp((balance - (range.min + range.max) / 2.0) / half, -1.0, 1.0);
    if (balance < half)
        return {volume, uint32_t(platform::roundHalfEven(volume + volume * lean))};
    return {uint32_t(platform::roundHalfEven(volume - volume * lean)), volume};
}

int balanceSliderPosition(uint32_t left, uint32_t right, SliderRange range)
{
    return editor::BalanceFromVolumes(left, right, range.max, range.min);
}

std::pair<uint32_t, uint32_t> volumesForBalance(int balance, uint32_t left, uint32_t right, SliderRange range)
{
    int64_t newRight = 0;
    int64_t newLeft = 0;
    editor::VolumesFromBalance(balance, range.max, range.min, newRight, newLeft, left, right);
    return {uint32_t(newLeft), uint32_t(newRight)};
}
