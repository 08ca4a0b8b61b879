#include "controls/SliderModel.h"

#include "controls/Log.h"
#include "platform/base/Rounding.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

namespace controls {

namespace {

// No control is longer than this; keeping lengths below it keeps every product within 64 bits.
constexpr int64_t kMaxLength = int64_t(1) << 24;

int64_t travelOf(int length, int thumbLength)
{
    return std::clamp<int64_t>(length, 0, kMaxLength) - std::clamp<int64_t>(thumbLength, 0, kMaxLength);
}

} // namespace

std::optional<SliderKey> sliderKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_PageUp: return SliderKey::PageUp;
    case Qt::Key_PageDown: return SliderKey::PageDown;
    case Qt::Key_End: return SliderKey::End;
    case Qt::Key_Home: return SliderKey::Home;
    case Qt::Key_Left: return SliderKey::Left;
    case Qt::Key_Up: return SliderKey::Up;
    case Qt::Key_Right: return SliderKey::Right;
    case Qt::Key_Down: return SliderKey::Down;
    default: return std::nullopt;
    }
}

int positionAfterKey(SliderKey key, int position, int min, int max, int lineSize, int pageSize)
{
    int64_t next = position;
    switch (key) {
    case SliderKey::PageUp: next -= pageSize; break;
    case SliderKey::PageDown: next += pageSize; break;
    case SliderKey::End: next = max; break;
    case SliderKey::Home: next = min; break;
    case SliderKey::Left:
    case SliderKey::Up: next -= lineSize; break;
    case SliderKey::Right:
    case SliderKey::Down: next += lineSize; break;
    }
    return int(std::clamp<int64_t>(next, INT32_MIN, INT32_MAX));
}

int SliderRange::clamped(int value) const
{
    // Min wins when a first Min was stored above Max: the range is then a single value.
    return std::max(m_min, std::min(m_max, value));
}

bool SliderRange::setMin(int value)
{
    const int before = m_position;
    const bool first = !m_minSet;
    m_min = value;
    m_minSet = true;
    if (!first) {
        m_max = std::max(m_max, value);
        reportEmptyRange();
    }
    // Also after the first Min, so that Position never lies outside the range it reports.
    m_position = clamped(m_position);
    return m_position != before;
}

bool SliderRange::setMax(int value)
{
    const int before = m_position;
    m_max = value;
    m_min = std::min(m_min, value);
    m_position = clamped(m_position);
    reportEmptyRange();
    return m_position != before;
}

bool SliderRange::setRange(int min, int max)
{
    const int before = m_position;
    m_min = std::min(min, max);
    m_max = std::max(min, max);
    m_minSet = true;
    m_position = clamped(m_position);
    reportEmptyRange();
    return m_position != before;
}

void SliderRange::reportEmptyRange() const
{
    if (!hasSpan())
        qCWarning(lcControls) << "slider range" << m_min << ".." << m_max
                              << "holds one value: the thumb stays at the start and does not move";
}

bool SliderRange::setPosition(int value)
{
    const int next = clamped(value);
    if (next == m_position)
        return false;
    m_position = next;
    return true;
}

bool SliderRange::assignPosition(int value)
{
    if (value != clamped(value))
        qCWarning(lcControls) << "slider position" << value << "lies outside" << m_min << ".." << m_max
                              << "and is clamped";
    return setPosition(value);
}

bool SliderRange::setSelStart(int value)
{
    const int next = std::min(std::max(value, m_min), m_selEnd);
    if (next == m_selStart)
        return false;
    m_selStart = next;
    return true;
}

bool SliderRange::setSelEnd(int value)
{
    const int next = std::max(std::min(value, m_max), m_selStart);
    if (next == m_selEnd)
        return false;
    m_selEnd = next;
    return true;
}

bool SliderRange::setSelection(int start, int end)
{
    const int a = clamped(std::min(start, end));
    const int b = clamped(std::max(start, end));
    if (a == m_selStart && b == m_selEnd)
        return false;
    m_selStart = a;
    m_selEnd = b;
    return true;
}

int thumbOffset(int value, int min, int max, int length, int thumbLength)
{
    const int64_t travel = travelOf(length, thumbLength);
    const int64_t span = int64_t(max) - min;
    if (span <= 0 || travel <= 0)
        return 0;
    const int64_t v = std::clamp<int64_t>(int64_t(value) - min, 0, span);
    return int(platform::divRoundHalfEven(travel * v, span));
}

int valueAtOffset(int offset, int min, int max, int length, int thumbLength)
{
    const int64_t travel = travelOf(length, thumbLength);
    const int64_t span = int64_t(max) - min;
    if (span <= 0 || travel <= 0)
        return min;
    // The offset is taken within the travel first, so that the product stays within 64 bits.
    const int64_t along = std::clamp<int64_t>(offset, -travel, 2 * travel);
    const int64_t value = platform::divRoundHalfEven(along * span + int64_t(min) * travel, travel);
    return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int stepTowardPointer(int pointer, int value, int min, int max, int length, int thumbLength)
{
    if (max <= min)
        return value;
    const int near = thumbOffset(value, min, max, length, thumbLength);
    const int64_t far = int64_t(near) + thumbLength;
    // thumbOffset never falls as the value rises, so the first value that satisfies the condition
    // is found by halving.
    if (pointer > far) {
        int64_t low = std::max(value, min);
        int64_t high = max;
        while (low < high) {
            const int64_t mid = low + (high - low) / 2;
            if (int64_t(thumbOffset(int(mid), min, max, length, thumbLength)) + thumbLength >= pointer)
                high = mid;
            else
                low = mid + 1;
        }
        return int(low);
    }
    if (pointer < near) {
        int64_t low = min;
        int64_t high = std::min(value, max);
        while (low < high) {
            const int64_t mid = high - (high - low) / 2;
            if (thumbOffset(int(mid), min, max, length, thumbLength) <= pointer)
                low = mid;
            else
                high = mid - 1;
        }
        return int(low);
    }
    return value;
}

int valueToPixel(int value, int min, int max, int length)
{
    const int64_t span = int64_t(max) - min;
    if (span <= 0)
        return 0;
    return int(platform::divRoundHalfEven((int64_t(value) - min) * std::clamp<int64_t>(length, 0, kMaxLength), span));
}

} // namespace controls
