#pragma once
// What the two skinned sliders (TCoolSliderH, TCoolSliderV) share: the value rules of SliderRange,
// the thumb placed by thumbOffset, painting from the skin pictures, and the mouse and key handling
// with each slider's and each program's events:
//
//   horizontal, editor:   press: OnScroll(4); every drag step: OnScroll(4); release: OnChange;
//                         slider key down: OnScroll(4); its release: OnChange, OnScroll(4).
//                         IsButtonDown is true while the left button or a slider key is held.
//   horizontal, recorder: as the editor's without OnChange, IsButtonDown and key releases.
//   vertical, editor:     press: OnChange, OnScroll(4); drag steps: OnScroll(4); every key
//                         down: OnChange, OnScroll(4).
//   vertical, recorder:   OnChange at every change of Position, also from code; press and keys:
//                         OnScroll(4); every mouse move over it: OnScroll with 4 when the position
//                         stayed, LineUp when it rose and LineDown when it fell.
//
// The horizontal slider follows the pointer after any press while the button is held; the vertical
// one only after a press on the thumb. A press beside the thumb steps the value toward the pointer.
// With Max equal to Min, or a control no longer than its thumb, the thumb stays at the start and
// drags change nothing.

#include "controls/ControlVariant.h"
#include "controls/SliderModel.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace controls {

class CoolSliderBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(int LineSize READ LineSize WRITE setLineSize)
    Q_PROPERTY(int PageSize READ PageSize WRITE setPageSize)

public:
    ControlVariant variant() const { return m_variant; }
    Qt::Orientation orientation() const { return m_orientation; }

    int Min() const { return m_range.Min(); }
    void setMin(int min);
    int Max() const { return m_range.Max(); }
    void setMax(int max);
    // Both ends at once, in either order: for code that sets a range rather than loading a form.
    void setRange(int min, int max);
    int Position() const { return m_range.Position(); }
    void setPosition(int position);
    int LineSize() const { return m_lineSize; }
    void setLineSize(int size) { m_lineSize = size; }
    int PageSize() const { return m_pageSize; }
    void setPageSize(int size) { m_pageSize = size; }

    // The thumb's offset along the axis, and its size (from the skin picture).
    int thumbPosition() const;
    QSize thumbSize() const;

    QSize sizeHint() const override;

signals:
    void OnScroll(int scrollCode, int position);
    void OnChange();

protected:
    CoolSliderBase(Qt::Orientation orientation, ControlVariant variant, QWidget* parent);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    bool horizontal() const { return m_orientation == Qt::Horizontal; }
    bool recorderVertical() const { return !horizontal() && m_variant == ControlVariant::Recorder; }
    bool tracksButton() const { return horizontal() && m_variant == ControlVariant::Editor; }

    SliderRange m_range;
    bool m_isButtonDown = false;

private:
    int length() const;
    int thumbLength() const;
    int pointerAlong(const QMouseEvent* event) const;
    bool canDrag() const;
    void positionChanged(bool changed);
    void paintHorizontal(QPainter& painter) const;
    void paintVertical(QPainter& painter) const;
    void paintBackground(QPainter& painter, const char* name) const;

    Qt::Orientation m_orientation;
    ControlVariant m_variant;
    int m_lineSize = 1;
    int m_pageSize = 2;
    bool m_dragging = false;
    int m_dragOffset = 0;
    bool m_keySetButtonDown = false;
};

} // namespace controls
