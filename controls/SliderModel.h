#pragma once
// The value side of the sliders and faders (the skinned sliders and the recorder's EQ fader): the
// range rules of the setters and the arithmetic between a value and the thumb's offset along the
// control. No widget; every function accepts a range with Max <= Min and a control no longer than
// its thumb, and then keeps the thumb at the start instead of dividing by zero.

#include <cstdint>
#include <optional>

namespace controls {

// The scroll codes that the sliders' OnScroll event carries.
namespace ScrollCode {
inline constexpr int LineUp = 0;
inline constexpr int LineDown = 1;
inline constexpr int Position = 4;
} // namespace ScrollCode

// The position a slider key gives: Page Up and Page Down step by the page size, the arrows by the
// line size (Left and Up toward Min), Home and End go to Min and Max. Nothing for other keys;
// the result is not yet clamped.
enum class SliderKey { PageUp, PageDown, End, Home, Left, Up, Right, Down };
int positionAfterKey(SliderKey key, int position, int min, int max, int lineSize, int pageSize);
// The slider key of a Qt key code, or none.
std::optional<SliderKey> sliderKeyOf(int qtKey);

class SliderRange {
public:
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }

    // The first assignment does not touch Max, so that a stored Min may arrive before Max; later
    // ones raise Max to at least the new Min. Position is kept inside the range either way.
    // Returns whether Position changed.
    bool setMin(int value);
    // Lowers Min and Position to at most the new Max. Returns whether Position changed.
    bool setMax(int value);
    // Both ends at once, in either order; Position is kept inside. Returns whether Position changed.
    bool setRange(int min, int max);
    // The range setters log a range left with Max equal to Min (the first Min, which Max may
    // still follow, is not checked).
    // Clamped to Min..Max. Returns whether it changed.
    bool setPosition(int value);
    // Position as the control's owner sets it: a value outside the range is the owner's fault, so
    // it reaches the log before it is clamped (keys and drags clamp through setPosition silently).
    bool assignPosition(int value);
    // The highlighted range one end at a time: SelStart within Min..SelEnd, SelEnd within
    // SelStart..Max. Return whether the value changed.
    bool setSelStart(int value);
    bool setSelEnd(int value);
    // Both ends at once, in either order, each within Min..Max. Returns whether either changed.
    bool setSelection(int start, int end);

    // Max > Min: the arithmetic between values and offsets is defined.
    bool hasSpan() const { return m_max > m_min; }
    int clamped(int value) const;

private:
    void reportEmptyRange() const;

    int m_min = 0;
    int m_max = 99;
    int m_position = 50;
    int m_selStart = 0;
    int m_selEnd = 0;
    bool m_minSet = false;
};

// The thumb's offset along a control of `length` pixels for a thumb `thumbLength` long:
// round((length - thumbLength) x (value - min) / (max - min)); 0 when max <= min or the control
// is not longer than the thumb.
int thumbOffset(int value, int min, int max, int length, int thumbLength);

// The value under a thumb dragged to offset `offset` (pointer position minus drag offset):
// round(offset x (max - min) / (length - thumbLength) + min), not yet clamped; nothing to compute
// (returns min) when max <= min or the control is not longer than the thumb.
int valueAtOffset(int offset, int min, int max, int length, int thumbLength);

// The value a press at `pointer` (pixels along the axis) steps the thumb to, one value at a time
// from `value`: beyond the thumb's far end up until the far end reaches the pointer, before its
// near end down until the near end reaches it, never past min or max. A press on the thumb keeps
// the value.
int stepTowardPointer(int pointer, int value, int min, int max, int length, int thumbLength);

// Where a value lies on the whole length (not less the thumb): round((value - min) x length /
// (max - min)); 0 when max <= min.
int valueToPixel(int value, int min, int max, int length);

} // namespace controls
