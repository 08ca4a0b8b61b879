#include "controls/WaveViewGeometry.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <limits>

namespace controls {

namespace {

constexpr uint32_t kMaxU32 = std::numeric_limits<uint32_t>::max();

uint32_t clampToU32(int64_t value)
{
    return uint32_t(std::clamp<int64_t>(value, 0, kMaxU32));
}

uint32_t atLeastOne(uint32_t zoom)
{
    return zoom == 0 ? 1 : zoom;
}

// width x zoom frames, the span of a full view; 64-bit, as it can pass 2^32.
int64_t viewSpan(int width, uint32_t zoom)
{
    return int64_t(std::max(width, 0)) * int64_t(zoom);
}

} // namespace

uint32_t maxZoomFor(uint32_t total, int width)
{
    return clampToU32(int64_t(total) / std::max(width, 1) + 1);
}

uint32_t renderZoomFor(uint32_t zoom)
{
    if (zoom <= kPeakZoomThreshold)
        return zoom;
    const uint32_t rest = zoom % kFramesPerPeak;
    const int64_t nearest = rest < kFramesPerPeak / 2 ? int64_t(zoom) - rest : int64_t(zoom) + kFramesPerPeak - rest;
    // The largest zooms would round past 2^32; the multiple below serves as well.
    return nearest > kMaxU32 ? zoom - rest : uint32_t(nearest);
}

int64_t pixelToSample(int64_t x, uint32_t zoom, uint32_t left)
{
    return x * int64_t(atLeastOne(zoom)) + int64_t(left);
}

int64_t sampleToPixel(int64_t sample, uint32_t zoom, uint32_t left)
{
    const int64_t z = atLeastOne(zoom);
    const int64_t l = left;
    return sample >= l ? (sample - l) / z : -((l - sample) / z);
}

uint32_t clickedSample(int x, uint32_t zoom, uint32_t left, uint32_t total)
{
    return uint32_t(std::clamp<int64_t>(pixelToSample(std::max(x, 0), zoom, left), 0, total));
}

uint32_t rightSampleFor(uint32_t left, int width, uint32_t zoom, uint32_t total)
{
    return uint32_t(std::min<int64_t>(int64_t(left) + viewSpan(width, zoom), total));
}

uint32_t maxPositionFor(uint32_t total, int width, uint32_t zoom)
{
    return uint32_t(int64_t(total) - std::min<int64_t>(total, viewSpan(width, zoom)));
}

uint32_t leftForCaret(uint32_t caret, int width, uint32_t zoom, uint32_t total)
{
    const int64_t span = viewSpan(width, zoom);
    if (caret < span)
        return 0;
    if (int64_t(caret) + span > int64_t(total))
        return clampToU32(int64_t(total) - span);
    return caret;
}

uint32_t zoomForSpan(int64_t span, int width)
{
    return clampToU32(std::max<int64_t>(span, 0) / std::max(width, 1) + 1);
}

uint32_t zoomAfterResize(uint32_t left, uint32_t right, int width, int refits)
{
    const int64_t quotient = std::max<int64_t>(int64_t(right) - int64_t(left), 0) / std::max(width, 1);
    const int64_t zoom = refits % 2 == 0 ? quotient + 1 : quotient - 1;
    return clampToU32(std::max<int64_t>(zoom, 1));
}

std::optional<uint32_t> zoomRefitForResize(uint32_t left, uint32_t right, uint32_t zoom, uint32_t total, int oldWidth,
                                           int newWidth, int refits)
{
    if (newWidth == oldWidth || int64_t(left) + viewSpan(newWidth, atLeastOne(zoom)) <= int64_t(total))
        return std::nullopt;
    return zoomAfterResize(left, right, newWidth, refits);
}

ViewPlan planView(uint32_t zoom, uint32_t left, uint32_t total, int width)
{
    ViewPlan plan;
    plan.width = std::max(width, 0);
    plan.zoom = std::min(atLeastOne(zoom), maxZoomFor(total, width));
    const int64_t span = std::min<int64_t>(viewSpan(plan.width, plan.zoom), total);
    plan.left = left;
    if (left > total || int64_t(left) + span > int64_t(total))
        plan.left = uint32_t(int64_t(total) - span);
    plan.fromPeaks = plan.zoom >= kPeakZoomThreshold;
    plan.renderZoom = plan.fromPeaks ? std::max(renderZoomFor(plan.zoom), kPeakZoomThreshold) : plan.zoom;
    plan.columns = int(viewSpan(plan.width, plan.zoom) / plan.renderZoom);
    plan.right = rightSampleFor(plan.left, plan.width, plan.zoom, total);
    return plan;
}

ChannelBand channelBand(int channel, int channels, int height)
{
    const int bandHeight = std::max(height, 0) / std::max(channels, 1);
    return ChannelBand{channel * bandHeight + bandHeight / 2, bandHeight / 2};
}

int valueOffset(int value, int half, int bits)
{
    const int fullScale = bits == 8 ? 128 : 32767;
    const int v = bits == 8 ? value - 128 : value;
    const int64_t offset = platform::divRoundHalfEven(int64_t(half) * v, fullScale);
    return int(std::clamp<int64_t>(offset, -half, half));
}

void scaleColumn(int& minOffset, int& maxOffset, int scale)
{
    if (minOffset == 0 || maxOffset == 0)
        return;
    // Far beyond any screen, and far from overflowing once added to a pixel position.
    constexpr int kMaxScale = 1 << 20;
    scale = std::clamp(scale, -kMaxScale, kMaxScale);
    minOffset -= scale;
    maxOffset += scale;
    if (scale < 0) {
        minOffset = std::min(minOffset, 0);
        maxOffset = std::max(maxOffset, 0);
    }
}

std::optional<SelectionColumns> selectionColumns(uint32_t start, uint32_t end, uint32_t left, uint32_t right,
                                                 uint32_t zoom, int width)
{
    const uint32_t s = std::min(start, end);
    const uint32_t e = std::max(start, end);
    if (s == e || right < s || e < left)
        return std::nullopt;
    const int64_t x1 = std::max<int64_t>(sampleToPixel(std::max(s, left), zoom, left), 0);
    const int64_t x2 = std::min<int64_t>(sampleToPixel(std::min(e, right), zoom, left), std::max(width, 0));
    return SelectionColumns{int(std::min<int64_t>(x1, x2)), int(x2)};
}

uint32_t caretKeyTarget(CaretKey key, uint32_t reference, uint32_t zoom, bool ctrl, uint32_t total)
{
    const int64_t step = int64_t(zoom) * (ctrl ? 10 : 1);
    switch (key) {
    case CaretKey::Home:
        return 0;
    case CaretKey::End:
        return total;
    case CaretKey::Left:
        return step > reference ? 0 : uint32_t(reference - step);
    case CaretKey::Right:
        return uint32_t(std::min<int64_t>(int64_t(reference) + step, total));
    }
    return reference;
}

uint32_t dragScrollStep(int width, uint32_t zoom)
{
    return clampToU32(std::max<int64_t>(viewSpan(width, zoom) / 10, 1));
}

DragStep dragStep(int x, int width, uint32_t zoom, uint32_t left, uint32_t right, uint32_t total)
{
    DragStep step;
    const int64_t span = viewSpan(width, zoom);
    if (x < 0) {
        step.outside = true;
        if (left > 0)
            step.scrollTo = uint32_t(std::max<int64_t>(int64_t(left) - dragScrollStep(width, zoom), 0));
        step.position = step.scrollTo.value_or(left);
    } else if (x > width) {
        step.outside = true;
        if (right < total) {
            const int64_t wanted = int64_t(left) + dragScrollStep(width, zoom);
            step.scrollTo = uint32_t(wanted + span > int64_t(total) ? std::max<int64_t>(int64_t(total) - span, 0) : wanted);
            step.position = rightSampleFor(*step.scrollTo, width, zoom, total);
        } else {
            step.position = right;
        }
    } else {
        step.position = clampToU32(pixelToSample(x, zoom, left));
    }
    step.position = std::min(step.position, total);
    return step;
}

} // namespace controls
