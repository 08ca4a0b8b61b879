#pragma once
// Drawing the waveform's traces into a 32-bit image. A trace's points run left to right, so in
// every pixel column it covers one contiguous run of rows: the vertical line of the column's
// extremes joined with the parts of the steps to its neighbours that fall into that column. The
// runs are collected per column (ColumnSpans), then each pixel of them is written once. Lines are
// digital lines with both ends included; everything is clipped to the image, so points far
// outside it cost nothing extra.

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace controls {

class ColumnSpans {
public:
    ColumnSpans() = default;
    ColumnSpans(int width, int height);

    // Adds the pixels of a polyline whose x never decreases along it (a trace that turns back
    // gets the gaps between its runs in a column filled).
    void addPolyline(const QPoint* points, size_t count);

    int width() const { return int(m_top.size()); }
    int height() const { return m_height; }
    // The rows covered in column x: top to bottom, empty when top > bottom.
    int32_t top(int x) const { return m_top[size_t(x)]; }
    int32_t bottom(int x) const { return m_bottom[size_t(x)]; }
    const int32_t* tops() const { return m_top.data(); }
    const int32_t* bottoms() const { return m_bottom.data(); }

private:
    void addLine(QPoint from, QPoint to);
    void addRun(int64_t x, int64_t y0, int64_t y1);

    std::vector<int32_t> m_top;
    std::vector<int32_t> m_bottom;
    int m_height = 0;
};

// Fills image (32-bit) with background and the pixels of the spans of its size with color.
void paintSpans(QImage& image, QRgb background, QRgb color, const std::vector<ColumnSpans>& spans);

} // namespace controls
