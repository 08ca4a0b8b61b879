#pragma once
// The five format panels of the recording window's status bar: rate, bits, channels, zoom and
// length of the track shown, or five empty panels when cleared.

#include <QString>

#include <array>
#include <cstdint>

namespace recorder {

inline constexpr int kStatusPanelCount = 5;
using StatusPanels = std::array<QString, kStatusPanelCount>;

// lengthMs, rate, channels and bits of the track; zoomLevel of the voice display.
StatusPanels statusFormatPanels(uint32_t lengthMs, uint32_t sampleRate, bool clear, int channels, int bits,
                                int zoomLevel);

} // namespace recorder
