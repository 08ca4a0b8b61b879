#include "common/PositionBox.h"

#include "common/Util.h"
#include "common/WaveUtil.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace {

int digitCount(uint64_t value)
{
    int digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

// The value of a field of decimal digits, blanks ignored; none for any other character or for more
// digits than a position can have.
std::optional<uint64_t> fieldValue(const QString& field)
{
    uint64_t value = 0;
    int digits = 0;
    for (const QChar c : field) {
        if (c == QLatin1Char(' '))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || ++digits > 12)
            return std::nullopt;
        value = value * 10 + uint64_t(c.unicode() - '0');
    }
    return value;
}

} // namespace

PositionBox::PositionBox(int unit, const std::optional<WaveFormatEx>& format, uint32_t totalFrames)
    : m_unit(unit)
    , m_format(format)
    , m_totalFrames(totalFrames)
    , m_frameDigits(std::max(8, digitCount(totalFrames)))
{
    const WaveFormatEx* f = m_format ? &*m_format : nullptr;
    const int64_t totalMs = ConvertPosition(totalFrames, kPositionFrames, kPositionMilliseconds, f);
    m_minuteDigits = std::max(3, digitCount(uint64_t(totalMs) / 60000));
}

QString PositionBox::text(uint32_t position, int positionUnit) const
{
    const WaveFormatEx* f = m_format ? &*m_format : nullptr;
    // A WAV's positions fit 32 bits in either unit, and so does the conversion of any of them.
    const uint32_t shown = positionUnit == m_unit ? position : uint32_t(ConvertPosition(position, positionUnit, m_unit, f));
    if (m_unit == kPositionFrames)
        return PadWithZeros(QString::number(shown), m_frameDigits);
    QString minutes, seconds, milliseconds;
    MsToMinSecMs(shown, minutes, seconds, milliseconds);
    return QStringLiteral("%1:%2:%3").arg(PadWithZeros(minutes, m_minuteDigits), seconds, milliseconds);
}

std::optional<uint64_t> PositionBox::typedValue(const QString& text) const
{
    if (m_unit == kPositionFrames)
        return fieldValue(text);
    const QStringList fields = text.split(QLatin1Char(':'));
    if (fields.size() != 3)
        return std::nullopt;
    const auto minutes = fieldValue(fields[0]);
    const auto seconds = fieldValue(fields[1]);
    const auto milliseconds = fieldValue(fields[2]);
    if (!minutes || !seconds || !milliseconds || *seconds > 59 || *milliseconds > 999)
        return std::nullopt;
    const int64_t ms = MinSecMsToMs(int64_t(*minutes), int64_t(*seconds), int64_t(*milliseconds));
    if (ms > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    return uint64_t(ms);
}

std::optional<uint64_t> PositionBox::typedFrame(const QString& text) const
{
    const auto value = typedValue(text);
    if (!value || m_unit == kPositionFrames)
        return value;
    if (!m_format)
        return std::nullopt;
    return uint64_t(ConvertPosition(uint32_t(*value), kPositionMilliseconds, kPositionFrames, &*m_format));
}

std::optional<uint32_t> PositionBox::frameOf(const QString& text) const
{
    const auto frame = typedFrame(text);
    if (!frame || *frame > m_totalFrames)
        return std::nullopt;
    return uint32_t(*frame);
}

QString PositionBox::inputMask() const
{
    if (m_unit == kPositionFrames)
        return QString(m_frameDigits, QLatin1Char('9'));
    return QString(m_minuteDigits, QLatin1Char('9')) + QStringLiteral(":99:999");
}
