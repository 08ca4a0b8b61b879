#pragma once
// The tint of the two track displays that shows which track the fader turns down: the display of
// the favoured side is lightened step by step as the fader moves away from the middle, the other
// keeps the scheme's background. Colours are 0x00BBGGRR.

#include <cstdint>
#include <optional>

namespace recorder {

// colour moved by steps x 10/255 x 100 on each of red, green and blue, up (lighter) or down, each
// channel then kept within background's channel and 240; white stays white.
uint32_t shiftTint(uint32_t colour, int steps, bool lighter, uint32_t background);

// The displays' colours after a fader move; an empty field leaves that display as it is.
struct TintChange {
    std::optional<uint32_t> voice;
    std::optional<uint32_t> music;
    friend bool operator==(const TintChange&, const TintChange&) = default;
};

// Follows the fader from the last value that tinted the displays.
class FaderTint {
public:
    int last() const { return m_last; }
    // The fader is now at value; voice and music are the displays' present colours.
    TintChange move(int value, uint32_t voice, uint32_t music, uint32_t background);

private:
    int m_last = 0;
};

} // namespace recorder
