#pragma once
// A position field of either program: the text that shows a position, in the unit the View menu
// chose (minutes:seconds:milliseconds or the sample number), and the position a typed text stands
// for. The fields are as wide as the file shown needs, at least "000:00:000" and "00000000": a
// three-hour take at 48 kHz has nine-digit sample numbers, a day-long one needs four digits of
// minutes. Positions are sample frames or milliseconds of a WAV, so they fit 32 bits.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <optional>

class PositionBox {
public:
    // unit: kPositionMilliseconds or kPositionFrames (common/WaveUtil.h). format: the format of the
    // file shown; none without one. totalFrames: that file's length.
    PositionBox(int unit, const std::optional<WaveFormatEx>& format, uint32_t totalFrames);

    // The text of a position given in positionUnit, converted to the box's unit with the file's
    // format when the two differ (0 without a format).
    QString text(uint32_t position, int positionUnit) const;

    // The position a typed text stands for in the box's unit, or none when the text is no position
    // of that unit (a field that is not a number, too many fields, seconds past 59, milliseconds
    // past 32 bits). It may lie past the file's end. Blanks left by the edit mask are ignored; an
    // empty field reads as 0.
    std::optional<uint64_t> typedValue(const QString& text) const;

    // typedValue as a sample frame; none as well for milliseconds without a format to convert them.
    std::optional<uint64_t> typedFrame(const QString& text) const;

    // typedFrame, and none as well for a frame beyond the file's end.
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
