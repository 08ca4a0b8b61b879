#pragma once
// The arithmetic of the main window's four mixer sliders, apart from the widgets and the mixer:
// where a volume and a balance slider stand for the device's channel values, and the values a
// moved slider writes. A volume slider is vertical with its loudest end, the minimum, at the top;
// a balance slider runs from the left channel (minimum) to the right (maximum).

#include <cstdint>
#include <utility>

struct SliderRange {
    int min = 0;
    int max = 100;
};
inline constexpr SliderRange kVolumeSliderRange{0, 100};
inline constexpr SliderRange kBalanceSliderRange{0, 100};

// The bound of a device's volumes: the maximum the mixer gave, or 65,535 when the bounds could not
// be read (code not 0); an input whose maximum reads as 0 gets 65,535 as well.
uint32_t volumeBound(int code, uint32_t maximum, bool input);

// The volume slider's position for a channel value (the louder channel) under the bound.
int volumeSliderPosition(uint32_t value, uint32_t bound, SliderRange range = kVolumeSliderRange);
// The value a volume slider at position stands for.
uint32_t volumeFromSlider(int position, uint32_t bound, SliderRange range = kVolumeSliderRange);

// The left and right values of a volume set with the balance slider at balance: the side the
// slider leans to keeps the volume, the other loses the share the slider lies off the centre.
std::pair<uint32_t, uint32_t> splitByBalance(uint32_t volume, int balance, SliderRange range = kBalanceSliderRange);

// The balance slider's position for the device's left and right values.
int balanceSliderPosition(uint32_t left, uint32_t right, SliderRange range = kBalanceSliderRange);
// The left and right values after the balance slider moved to balance: the louder of the present
// values stays on the side it points to, the other side loses the share it lies off the centre.
std::pair<uint32_t, uint32_t> volumesForBalance(int balance, uint32_t left, uint32_t right,
                                                SliderRange range = kBalanceSliderRange);
