#pragma once
// The level meter's state and arithmetic, apart from the widget: bar values and peak-hold marks,
// the decay step, and the layout (left margin, pixels per unit, where each bar's lit part and mark
// lie). Indexes outside 0..BarCount - 1, a range with Max <= Min and bars too narrow to light are
// accepted and draw nothing.

#include <optional>
#include <vector>

namespace controls {

class MeterModel {
public:
    int BarCount() const { return int(m_values.size()); }
    // Resizes both arrays and zeroes them; false (nothing changed) for a count below 1.
    bool setBarCount(int count);
    int BarWidth() const { return m_barWidth; }
    // Only values above 0 are stored; false otherwise.
    bool setBarWidth(int width);
    int Separation() const { return m_separation; }
    bool setSeparation(int separation);
    int Min() const { return m_min; }
    void setMin(int min) { m_min = min; }
    int Max() const { return m_max; }
    void setMax(int max) { m_max = max; }

    // Stores the value clamped to Min..Max; a value of 0 also clears the bar's mark. Returns whether
    // the stored value changed (the meter then repaints); false for an index outside the bars.
    bool setBarValue(int index, int value);
    // The stored value, or -1 for an index outside the bars.
    int barValue(int index) const;
    // The peak-hold mark, or -1 for an index outside the bars.
    int peakMark(int index) const;
    // One step for every bar: a value more than 3 above Min falls by 5 (not below Min); the mark
    // falls by 1 while it lies more than 1 above the value, otherwise it takes the value.
    void decay();

    // Lays the bars out for a control of that size: the pixels per unit (Height - 2) / (Max - Min),
    // and the left margin that centres several bars (1 for a single bar).
    void layout(int width, int height);
    double scale() const { return m_scale; }
    int margin() const { return m_margin; }
    int height() const { return m_height; }

    int barLeft(int index) const;
    // The lit bar is 2 pixels narrower than its slot; 0 when the slot is too narrow.
    int litWidth() const;
    // Rows lit by the bar's value, counted up from the inside of the bottom frame line; never more
    // than the inside's height.
    int litRows(int index) const;
    // The row of the bar's peak-hold line, when its mark lies above Min.
    std::optional<int> markRow(int index) const;

private:
    bool valid(int index) const { return index >= 0 && index < BarCount(); }
    int rowsFor(int value) const;

    std::vector<int> m_values;
    std::vector<int> m_marks;
    int m_barWidth = 0;
    int m_separation = 0;
    int m_min = 0;
    int m_max = 0;
    double m_scale = 0;
    int m_margin = 0;
    int m_height = 0;
};

} // namespace controls
