#include "controls/TraceRaster.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace controls {

namespace {

constexpr int32_t kEmptyTop = std::numeric_limits<int32_t>::max();
constexpr int32_t kEmptyBottom = std::numeric_limits<int32_t>::min();

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b)
{
    return -floorDiv(-a, b);
}

} // namespace

ColumnSpans::ColumnSpans(int width, int height)
    : m_top(size_t(std::max(width, 0)), kEmptyTop)
    , m_bottom(size_t(std::max(width, 0)), kEmptyBottom)
    , m_height(std::max(height, 0))
{
}

void ColumnSpans::addRun(int64_t x, int64_t y0, int64_t y1)
{
    if (x < 0 || x >= int64_t(m_top.size()))
        return;
    const int64_t top = std::max<int64_t>(std::min(y0, y1), 0);
    const int64_t bottom = std::min<int64_t>(std::max(y0, y1), m_height - 1);
    if (top > bottom)
        return;
    m_top[size_t(x)] = std::min(m_top[size_t(x)], int32_t(top));
    m_bottom[size_t(x)] = std::max(m_bottom[size_t(x)], int32_t(bottom));
}

void ColumnSpans::addPolyline(const QPoint* points, size_t count)
{
    if (count == 1)
        addRun(points[0].x(), points[0].y(), points[0].y());
    for (size_t i = 1; i < count; ++i)
        addLine(points[i - 1], points[i]);
}

// Along the major axis one pixel per step k = 0 .. major; the other coordinate is
// (2 k minor + major) div (2 major) steps from the start: the nearest to the exact line, halves
// away from the start.
void ColumnSpans::addLine(QPoint from, QPoint to)
{
    if (to.x() < from.x())
        std::swap(from, to);
    const int64_t x0 = from.x();
    const int64_t y0 = from.y();
    const int64_t dx = int64_t(to.x()) - x0;
    const int64_t dy = int64_t(to.y()) - y0;
    if (dx == 0) {
        addRun(x0, y0, to.y());
        return;
    }
    const int64_t sy = dy >= 0 ? 1 : -1;
    const int64_t ady = std::abs(dy);
    const int64_t width = int64_t(m_top.size());
    // Only the columns of the image.
    const int64_t firstColumn = std::max<int64_t>(0, -x0);
    const int64_t lastColumn = std::min<int64_t>(dx, width - 1 - x0);
    if (dx >= ady) {
        // One pixel per column.
        const int64_t divisor = 2 * dx;
        const int64_t numerator = firstColumn * 2 * ady + dx;
        int64_t quotient = numerator / divisor;
        int64_t remainder = numerator % divisor;
        for (int64_t k = firstColumn; k <= lastColumn; ++k) {
            const int64_t y = y0 + sy * quotient;
            addRun(x0 + k, y, y);
            remainder += 2 * ady;
            if (remainder >= divisor) {
                remainder -= divisor;
                ++quotient;
            }
        }
        return;
    }
    // One run of rows per column: the steps k whose column offset is j are those with
    // 2 ady j <= 2 k dx + ady < 2 ady (j + 1).
    for (int64_t j = firstColumn; j <= lastColumn; ++j) {
        const int64_t kFirst = std::max<int64_t>(ceilDiv(2 * ady * j - ady, 2 * dx), 0);
        const int64_t kLast = std::min<int64_t>(ceilDiv(2 * ady * (j + 1) - ady, 2 * dx) - 1, ady);
        if (kFirst <= kLast)
            addRun(x0 + j, y0 + sy * kFirst, y0 + sy * kLast);
    }
}

namespace {

// Columns painted together: 16 pixels are one 64-byte line of a row.
constexpr int kGroup = 16;

void paintRun(uchar* bits, qsizetype stride, int x, int32_t from, int32_t to, QRgb color)
{
    uchar* pixel = bits + qsizetype(x) * sizeof(QRgb) + qsizetype(from) * stride;
    for (int32_t y = from; y <= to; ++y, pixel += stride)
        *reinterpret_cast<QRgb*>(pixel) = color;
}

// A dense waveform covers most rows of neighbouring columns alike: the rows that all columns of
// a group share are written as whole row pieces, only the rest column by column.
void paintColumns(uchar* bits, qsizetype stride, const ColumnSpans& s, QRgb color)
{
    const int32_t* tops = s.tops();
    const int32_t* bottoms = s.bottoms();
    for (int group = 0; group < s.width(); group += kGroup) {
        const int end = std::min(group + kGroup, s.width());
        int32_t shared = std::numeric_limits<int32_t>::min();
        int32_t sharedEnd = std::numeric_limits<int32_t>::max();
        for (int x = group; x < end; ++x) {
            shared = std::max(shared, tops[x]);
            sharedEnd = std::min(sharedEnd, bottoms[x]);
        }
        if (shared > sharedEnd) {
            for (int x = group; x < end; ++x) {
                if (tops[x] <= bottoms[x])
                    paintRun(bits, stride, x, tops[x], bottoms[x], color);
            }
            continue;
        }
        for (int32_t y = shared; y <= sharedEnd; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(bits + qsizetype(y) * stride) + group, end - group, color);
        for (int x = group; x < end; ++x) {
            if (tops[x] < shared)
                paintRun(bits, stride, x, tops[x], shared - 1, color);
            if (bottoms[x] > sharedEnd)
                paintRun(bits, stride, x, sharedEnd + 1, bottoms[x], color);
        }
    }
}

} // namespace

void paintSpans(QImage& image, QRgb background, QRgb color, const std::vector<ColumnSpans>& spans)
{
    if (image.isNull() || image.depth() != 32)
        return;
    image.fill(background | 0xFF000000u);
    for (const ColumnSpans& s : spans) {
        if (s.width() == image.width() && s.height() == image.height())
            paintColumns(image.bits(), image.bytesPerLine(), s, color | 0xFF000000u);
    }
}

} // namespace controls
