#pragma once
// TCoolSliderH, the skinned horizontal slider (volume, fader and position controls): Min at the
// left, Max at the right, and a highlighted range (SelStart to SelEnd) drawn over the channel.
// See CoolSliderBase for its events in each program.

#include "controls/CoolSliderBase.h"

namespace controls {

class TCoolSliderH : public CoolSliderBase {
    Q_OBJECT
    Q_PROPERTY(int SelStart READ SelStart WRITE setSelStart)
    Q_PROPERTY(int SelEnd READ SelEnd WRITE setSelEnd)
    Q_PROPERTY(bool IsButtonDown READ IsButtonDown)

public:
    explicit TCoolSliderH(ControlVariant variant, QWidget* parent = nullptr);

    int SelStart() const { return m_range.SelStart(); }
    // At least Min and at most SelEnd.
    void setSelStart(int value);
    int SelEnd() const { return m_range.SelEnd(); }
    // At most Max and at least SelStart.
    void setSelEnd(int value);
    // Both ends at once, in either order, each within Min..Max: the way to move a range.
    void setSelection(int start, int end);

    // True while the left button or a slider key is held (the editor's slider; always false in the
    // recorder's).
    bool IsButtonDown() const { return m_isButtonDown; }
};

} // namespace controls
