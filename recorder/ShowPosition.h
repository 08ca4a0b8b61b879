#pragma once
// The position box of the recording window: the text that shows a position, in the unit the View
// menu chose (minutes:seconds:milliseconds or the sample number), and the position a typed text
// stands for. The fields are as wide as the loaded track needs, at least "000:00:000" and
// "00000000": a three-hour take at 48 kHz has nine-digit sample numbers, a day-long one needs four
// digits of minutes. Positions are sample frames or milliseconds of a WAV, so they fit 32 bits.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace recorder {

class PositionBox {
public:
    // unit: kPositionMilliseconds or kPositionFrames (common/WaveUtil.h). format: the voice track's
    // format, else the music track's; none without a track. totalFrames: that track's length.
    PositionBox(int unit, const std::optional<WaveFormatEx>& format, uint32_t totalFrames);

    // The text of a position given in positionUnit, converted to the box's unit with the track's
    // format when the two differ (0 without a track).
    QString text(uint32_t position, int positionUnit) const;

    // The sample frame a typed text stands for, or none when the text is no position of the box's
    // unit (a field that is not a number, too many fields, seconds past 59) or lies beyond the
    // track's end. Blanks left by the edit mask are ignored; an empty field reads as 0.
    std::optional<uint32_t> frameOf(const QString& text) const;

    // The QLineEdit input mask that fits text().
    QString inputMask() const;

private:
    int m_unit;
    std::optional<WaveFormatEx> m_format;
    uint32_t m_totalFrames;
    int m_frameDigits;
    int m_minuteDigits;
};

} // namespace recorder
