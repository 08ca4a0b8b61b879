#pragma once
// The arithmetic of the waveform view, apart from any widget: zoom levels, frames to pixels and
// back, which frames a rendering covers, the channel bands and the value-to-pixel mapping, the
// selection's columns, and the rules of the caret keys, mouse dragging and resizing. Positions are
// frame indexes ("samples" in the property names count frames). Every function accepts any input
// (a zoom of 0, a width of 0, positions past the end) without dividing by zero or overflowing.

#include "controls/PeakCache.h"

#include <cstdint>
#include <optional>

namespace controls {

// Rendering from the cache needs at least one cache entry per pixel column.
inline constexpr uint32_t kPeakZoomThreshold = kFramesPerPeak;

// TotalSamples div width + 1: the zoom level that shows the whole file.
uint32_t maxZoomFor(uint32_t total, int width);

// The zoom at which a view of zoom B is rendered: B itself up to 32, above that the nearest
// multiple of 32 (a remainder of 16 rounds up). The rendered columns are then stretched to the
// view's width by the factor R / B.
uint32_t renderZoomFor(uint32_t zoom);

// The frame at pixel x: x x zoom + left (a zoom of 0 counts as 1).
int64_t pixelToSample(int64_t x, uint32_t zoom, uint32_t left);
// The pixel of a frame, signed, truncated toward the left edge: (sample - left) div zoom, and
// -((left - sample) div zoom) for a frame left of the edge (a zoom of 0 counts as 1).
int64_t sampleToPixel(int64_t sample, uint32_t zoom, uint32_t left);
// The frame a click at x stands for: the one under the pointer, the left edge's left of the view,
// and the end of the file right of its last frame (a file shorter than the view).
uint32_t clickedSample(int x, uint32_t zoom, uint32_t left, uint32_t total);

// The frame after the last visible one: min(left + width x zoom, total).
uint32_t rightSampleFor(uint32_t left, int width, uint32_t zoom, uint32_t total);
// The largest left position that still fills the view: total - min(total, width x zoom).
uint32_t maxPositionFor(uint32_t total, int width, uint32_t zoom);
// The left position that shows a caret: 0 within the first screen, the caret itself further on,
// and total - width x zoom within the last screen.
uint32_t leftForCaret(uint32_t caret, int width, uint32_t zoom, uint32_t total);
// span div width + 1: the zoom at which a span of frames fills the width.
uint32_t zoomForSpan(int64_t span, int width);
// The zoom that fits the former span into a new width: zoomForSpan(right - left), minus 2 after
// every odd-numbered refit (so +1 and -1 on the quotient in turn), never below 1.
uint32_t zoomAfterResize(uint32_t left, uint32_t right, int width, int refits);
// What a resize from oldWidth to newWidth does to the zoom. Nothing (the zoom and the left position
// stay, so a user who scrolled away keeps the place) when the width is the same or the view at the
// new width, from the same left position and zoom, still ends inside the file. Otherwise, when
// the file no longer fills the view, the former span is fitted to the new width: the zoom is
// zoomAfterResize(left, right, newWidth, refits), refits counting the earlier refits.
std::optional<uint32_t> zoomRefitForResize(uint32_t left, uint32_t right, uint32_t zoom, uint32_t total, int oldWidth,
                                           int newWidth, int refits);

// What one rendering covers.
struct ViewPlan {
    bool fromPeaks = false;   // from the peak cache (zoom >= 32), else from the file's samples
    uint32_t zoom = 1;        // B: frames per pixel of the view, at most the maximum zoom
    uint32_t renderZoom = 1;  // R: frames per rendered column
    uint32_t left = 0;        // the first visible frame, kept inside the file
    uint32_t right = 0;       // the frame after the last visible one
    int columns = 0;          // rendered columns: width x B div R, stretched to the width
    int width = 0;
};

// The plan for DrawView(zoom, left) on a file of total frames (> 0) in a view of width pixels
// (> 0). A zoom of 0 counts as 1.
ViewPlan planView(uint32_t zoom, uint32_t left, uint32_t total, int width);

// The pixel column at which rendered column i is drawn, once the columns are stretched to width.
inline int stretchedColumn(int64_t column, int columns, int width)
{
    return columns <= 0 ? 0 : int(column * width / columns);
}

// A channel's horizontal band: its zero line and half its height.
struct ChannelBand {
    int centre = 0;
    int half = 0;
};

// Band of channel (0-based) of channels in a view of height pixels: height div channels tall, the
// zero line in its middle.
ChannelBand channelBand(int channel, int channels, int height);

// Pixels above the zero line of a value: round(half x v / F), halves to even, with F = 128 for
// 8-bit data (raw bytes, 128 subtracted first) and 32,767 for 16-bit data; -32,768 stays inside
// the band.
int valueOffset(int value, int half, int bits);

// ScaleVertical: when both offsets of a column are non-zero, the minimum's is lowered and the
// maximum's raised by scale; a negative scale pulls them toward the axis but never across it.
void scaleColumn(int& minOffset, int& maxOffset, int scale);

// The columns of the selection's part inside the view, from x1 to x2, or nothing when there is no
// selection (start = end) or it lies outside the view.
struct SelectionColumns {
    int x1 = 0;
    int x2 = 0;

    friend bool operator==(const SelectionColumns&, const SelectionColumns&) = default;
};
std::optional<SelectionColumns> selectionColumns(uint32_t start, uint32_t end, uint32_t left, uint32_t right,
                                                 uint32_t zoom, int width);

// The caret keys. Left and Right step by the zoom level (ten times that with Ctrl).
enum class CaretKey { Home, End, Left, Right };
uint32_t caretKeyTarget(CaretKey key, uint32_t reference, uint32_t zoom, bool ctrl, uint32_t total);

// One step of a mouse drag at x: left of the view it scrolls left by a tenth of the view and
// selects to the new left edge, right of it scrolls right and selects to the right edge, inside it
// selects to the frame under the pointer.
struct DragStep {
    std::optional<uint32_t> scrollTo; // the new left position, when the view scrolls
    uint32_t position = 0;            // the selection's moving end, before the scroll's rendering
    bool outside = false;             // the pointer is left or right of the view
};
DragStep dragStep(int x, int width, uint32_t zoom, uint32_t left, uint32_t right, uint32_t total);
// The frames one auto-scroll step moves: a tenth of the view, at least one.
uint32_t dragScrollStep(int width, uint32_t zoom);

} // namespace controls
