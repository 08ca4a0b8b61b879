#include "controls/MeterModel.h"

#include <algorithm>
#include <cmath>

namespace controls {

bool MeterModel::setBarCount(int count)
{
    if (count <= 0)
        return false;
    m_values.assign(size_t(count), 0);
    m_marks.assign(size_t(count), 0);
    return true;
}

bool MeterModel::setBarWidth(int width)
{
    if (width <= 0)
        return false;
    m_barWidth = width;
    return true;
}

bool MeterModel::setSeparation(int separation)
{
    if (separation <= 0)
        return false;
    m_separation = separation;
    return true;
}

bool MeterModel::setBarValue(int index, int value)
{
    if (!valid(index))
        return false;
    const int clamped = std::max(m_min, std::min(m_max, value));
    int& stored = m_values[size_t(index)];
    if (clamped == stored)
        return false;
    stored = clamped;
    if (clamped == 0)
        m_marks[size_t(index)] = 0;
    return true;
}

int MeterModel::barValue(int index) const
{
    return valid(index) ? m_values[size_t(index)] : -1;
}

int MeterModel::peakMark(int index) const
{
    return valid(index) ? m_marks[size_t(index)] : -1;
}

void MeterModel::decay()
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        int& value = m_values[i];
        int& mark = m_marks[i];
        if (int64_t(value) > int64_t(m_min) + 3)
            value -= 5;
        if (value < m_min)
            value = m_min;
        if (int64_t(value) < int64_t(mark) - 1)
            --mark;
        else
            mark = value;
        if (mark < m_min)
            mark = m_min;
    }
}

void MeterModel::layout(int width, int height)
{
    m_height = std::max(height, 0);
    m_scale = m_min < m_max ? double(m_height - 2) / (double(m_max) - m_min) : 0.0;
    if (m_scale < 0)
        m_scale = 0;
    if (BarCount() > 1) {
        const int64_t free = int64_t(width) - int64_t(BarCount() - 1) * m_separation - int64_t(BarCount()) * m_barWidth;
        const int64_t m = free / 2; // truncated toward zero
        m_margin = m >= 0 ? int(m + 1) : 1;
    } else {
        m_margin = 1;
    }
}

int MeterModel::barLeft(int index) const
{
    return index * (m_barWidth + m_separation) + m_margin;
}

int MeterModel::litWidth() const
{
    return std::max(m_barWidth - 2, 0);
}

int MeterModel::rowsFor(int value) const
{
    // Counted from Min, so that a range that does not start at 0 lights from its bottom.
    const double rows = std::floor((double(value) - m_min) * m_scale);
    return int(std::clamp(rows, 0.0, double(std::max(m_height - 2, 0))));
}

int MeterModel::litRows(int index) const
{
    return valid(index) ? rowsFor(m_values[size_t(index)]) : 0;
}

std::optional<int> MeterModel::markRow(int index) const
{
    if (!valid(index) || m_marks[size_t(index)] <= m_min || m_height < 3)
        return std::nullopt;
    return m_height - rowsFor(m_marks[size_t(index)]) - 1;
}

} // namespace controls
