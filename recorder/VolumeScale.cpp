#include "recorder/VolumeScale.h"

#include "platform/base/Rounding.h"

#include <cstdlib>

namespace recorder {

int sliderFromDevice(uint32_t value, uint32_t deviceMax, int sliderMin, int sliderMax)
{
    if (deviceMax == 0)
        return sliderMin;
    const int64_t span = int64_t(sliderMax) - sliderMin;
    return int(std::llabs(sliderMax - platform::divRoundHalfEven(span * value, deviceMax)));
}

uint32_t deviceFromSlider(int position, uint32_t deviceMax, int sliderMin, int sliderMax)
{
    const int64_t span = int64_t(sliderMax) - sliderMin;
    if (span <= 0)
        return 0;
    return uint32_t((int64_t(sliderMax) - position) * deviceMax / span);
}

} // namespace recorder
