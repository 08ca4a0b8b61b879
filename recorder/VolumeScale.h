#pragma once
// The volume sliders of the recording window against the mixer's device values: the top of a slider
// (its minimum position) is the device's maximum, so the two run opposite ways.

#include <cstdint>

namespace recorder {

// The position of the slider (sliderMin..sliderMax) for a device value of 0..deviceMax.
int sliderFromDevice(uint32_t value, uint32_t deviceMax, int sliderMin, int sliderMax);
// The device value of a slider position, rounded down.
uint32_t deviceFromSlider(int position, uint32_t deviceMax, int sliderMin, int sliderMax);

} // namespace recorder
