#pragma once
// TQzv32OViewFrame, the frame over the overview strip that marks the part of the file the main view
// shows. It is taller than the strip (its top and bottom borders lie outside it), so only its two
// side borders show, with the waveform visible through its inside. Dragging the inside moves it
// sideways; dragging a side border resizes it. It never leaves the strip, never changes its top,
// and after every change of position or size raises OnPosSizeChange. Programs place it with
// setFrameLeftAndWidth (which raises the event as well).

#include <QRect>
#include <QWidget>

namespace controls {

class TQzv32OViewFrame : public QWidget {
    Q_OBJECT

public:
    // The width of each side border, which the pointer takes to resize.
    static constexpr int kBorder = 4;
    // The least width the pointer can resize the frame to.
    static constexpr int kMinUserWidth = 3 * kBorder;

    explicit TQzv32OViewFrame(QWidget* parent = nullptr);

    // Moves and sizes the frame sideways; the result is kept inside the parent (see
    // OverviewFrameGeometry), its top and height stay.
    void setFrameLeftAndWidth(int left, int width);

signals:
    void OnPosSizeChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Grip { None, Move, LeftBorder, RightBorder };
    Grip gripAt(int x) const;
    int stripWidth() const;
    void place(const QRect& geometry);

    Grip m_grip = Grip::None;
    int m_pressX = 0;        // the pointer's global x at the press
    QRect m_pressGeometry;   // the frame's geometry at the press
};

} // namespace controls
