#include "controls/OViewFrame.h"

#include "controls/OverviewFrameGeometry.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace controls {

namespace {

// A light band between two dark lines shows on dark and on light waveforms alike; a faint wash
// marks the inside without hiding the waveform under it.
const QColor kEdge(0x12, 0x16, 0x1C);
const QColor kBand(0xF4, 0xF7, 0xFA);
const QColor kWash(255, 255, 255, 28);

} // namespace

TQzv32OViewFrame::TQzv32OViewFrame(QWidget* parent)
    : QWidget(parent)
{
    // Not opaque and no background: the parent paints under the inside.
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

int TQzv32OViewFrame::stripWidth() const
{
    return parentWidget() ? parentWidget()->width() : width();
}

void TQzv32OViewFrame::place(const QRect& geometry)
{
    if (geometry == this->geometry())
        return;
    setGeometry(geometry);
    emit OnPosSizeChange();
}

void TQzv32OViewFrame::setFrameLeftAndWidth(int left, int width)
{
    const QRect constrained = constrainFrame(QRect(left, y(), width, height()), y(), stripWidth());
    if (constrained == geometry())
        return;
    setGeometry(constrained);
    emit OnPosSizeChange();
}

TQzv32OViewFrame::Grip TQzv32OViewFrame::gripAt(int x) const
{
    if (x < 0 || x >= width())
        return Grip::None;
    // A frame too narrow for two borders and an inside is moved, not resized.
    if (width() < kMinUserWidth)
        return Grip::Move;
    if (x < kBorder)
        return Grip::LeftBorder;
    if (x >= width() - kBorder)
        return Grip::RightBorder;
    return Grip::Move;
}

void TQzv32OViewFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder), kWash);
    for (const int left : {0, w - kBorder}) {
        painter.fillRect(QRect(left, 0, kBorder, h), kEdge);
        painter.fillRect(QRect(left + 1, 0, kBorder - 2, h), kBand);
    }
    for (const int top : {0, h - kBorder}) {
        painter.fillRect(QRect(0, top, w, kBorder), kEdge);
        painter.fillRect(QRect(1, top + 1, w - 2, kBorder - 2), kBand);
    }
}

void TQzv32OViewFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_grip = gripAt(int(std::floor(event->position().x())));
    m_pressX = int(std::floor(event->globalPosition().x()));
    m_pressGeometry = geometry();
}

void TQzv32OViewFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (m_grip == Grip::None) {
        const Grip hover = gripAt(int(std::floor(event->position().x())));
        setCursor(hover == Grip::LeftBorder || hover == Grip::RightBorder ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    // Only the sideways part of a drag counts; the top stays.
    const int dx = int(std::floor(event->globalPosition().x())) - m_pressX;
    QRect next = geometry();
    switch (m_grip) {
    case Grip::Move:
        next.moveLeft(frameLeftForMove(m_pressGeometry.left() + dx, width(), stripWidth()));
        break;
    case Grip::LeftBorder: {
        const FrameSpan span = frameForLeftBorder(m_pressGeometry.left() + dx, m_pressGeometry.right(), kMinUserWidth);
        next.setLeft(span.left);
        next.setRight(span.right);
        break;
    }
    case Grip::RightBorder: {
        const FrameSpan span =
            frameForRightBorder(m_pressGeometry.right() + dx, m_pressGeometry.left(), stripWidth(), kMinUserWidth);
        next.setLeft(span.left);
        next.setRight(span.right);
        break;
    }
    case Grip::None:
        break;
    }
    place(next);
}

void TQzv32OViewFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_grip = Grip::None;
    else
        QWidget::mouseReleaseEvent(event);
}

} // namespace controls
