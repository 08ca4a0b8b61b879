#include "controls/CoolSliderBase.h"

#include "controls/SkinGeometry.h"
#include "controls/SkinImages.h"
#include "platform/base/Rounding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace controls {

namespace {

// The thickness a slider takes when its thumb picture is missing.
constexpr int kFallbackThickness = 20;
constexpr int kDefaultLength = 150;

int half(int value)
{
    return int(platform::divRoundHalfEven(value, 2));
}

} // namespace

CoolSliderBase::CoolSliderBase(Qt::Orientation orientation, ControlVariant variant, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_variant(variant)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // The recorder's vertical slider reports every pointer move over it.
    setMouseTracking(recorderVertical());
    resize(sizeHint());
}

QSize CoolSliderBase::sizeHint() const
{
    const QSize thumb = thumbSize();
    if (horizontal())
        return QSize(kDefaultLength, thumb.height() > 0 ? thumb.height() : kFallbackThickness);
    return QSize(thumb.width() > 0 ? thumb.width() : kFallbackThickness, kDefaultLength);
}

QSize CoolSliderBase::thumbSize() const
{
    return skinImage(horizontal() ? QStringLiteral("thumbhorz") : QStringLiteral("thumbvert")).size();
}

int CoolSliderBase::length() const
{
    return horizontal() ? width() : height();
}

int CoolSliderBase::thumbLength() const
{
    const QSize thumb = thumbSize();
    return horizontal() ? thumb.width() : thumb.height();
}

int CoolSliderBase::thumbPosition() const
{
    return thumbOffset(Position(), Min(), Max(), length(), thumbLength());
}

bool CoolSliderBase::canDrag() const
{
    return m_range.hasSpan() && length() > thumbLength();
}

int CoolSliderBase::pointerAlong(const QMouseEvent* event) const
{
    const QPointF at = event->position();
    return int(std::floor(horizontal() ? at.x() : at.y()));
}

// --- Values ---

void CoolSliderBase::positionChanged(bool changed)
{
    if (!changed)
        return;
    update();
    if (recorderVertical())
        emit OnChange();
}

void CoolSliderBase::setMin(int min)
{
    positionChanged(m_range.setMin(min));
    update();
}

void CoolSliderBase::setMax(int max)
{
    const int before = Max();
    positionChanged(m_range.setMax(max));
    if (Max() != before)
        update();
}

void CoolSliderBase::setRange(int min, int max)
{
    positionChanged(m_range.setRange(min, max));
    update();
}

void CoolSliderBase::setPosition(int position)
{
    positionChanged(m_range.assignPosition(position));
}

// --- Painting ---

void CoolSliderBase::paintBackground(QPainter& painter, const char* name) const
{
    const QImage tile = skinImage(QString::fromLatin1(name), devicePixelRatioF());
    if (tile.isNull()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    const QSize size = logicalSize(tile);
    // One column and one row more than the rounded count, so that the tiles always cover.
    const int columns = int(platform::roundHalfEven(double(width()) / size.width())) + 1;
    const int rows = int(platform::roundHalfEven(double(height()) / size.height())) + 1;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            painter.drawImage(column * size.width(), row * size.height(), tile);
    }
}

// Pictures are placed by their logical sizes: at a pixel ratio of 2 they are the @2x ones.
void CoolSliderBase::paintHorizontal(QPainter& painter) const
{
    paintBackground(painter, "backgroundhorz");
    const int w = width();
    const int h = height();
    const qreal ratio = devicePixelRatioF();

    const QImage channel = skinImage(QStringLiteral("channelhorz"), ratio);
    if (!channel.isNull()) {
        const QSize size = logicalSize(channel);
        const int y = half(h - size.height());
        for (int i = 0; i < tileCount(w, size.width()); ++i)
            painter.drawImage(i * size.width(), y, channel);
    }
    const QImage channelLeft = skinImage(QStringLiteral("channelhorzLeft"), ratio);
    if (!channelLeft.isNull())
        painter.drawImage(0, half(h - logicalSize(channelLeft).height()), channelLeft);
    const QImage channelRight = skinImage(QStringLiteral("channelhorzRight"), ratio);
    if (!channelRight.isNull()) {
        const QSize size = logicalSize(channelRight);
        painter.drawImage(w - size.width(), half(h - size.height()), channelRight);
    }

    const QImage selection = skinImage(QStringLiteral("channelsel"), ratio);
    if (m_range.SelStart() != m_range.SelEnd() && m_range.hasSpan() && !selection.isNull()) {
        const QSize size = logicalSize(selection);
        const int x0 = valueToPixel(m_range.SelStart(), Min(), Max(), w);
        const int span = valueToPixel(m_range.SelEnd(), Min(), Max(), w) - x0;
        const int y = half(h - size.height());
        painter.save();
        painter.setClipRect(QRect(x0, 0, span, h).intersected(rect()));
        for (int i = 0; i < tileCount(span, size.width()); ++i)
            painter.drawImage(x0 + i * size.width(), y, selection);
        painter.restore();
    }

    const QImage thumb = transparentImage(skinImage(QStringLiteral("thumbhorz"), ratio));
    if (!thumb.isNull())
        painter.drawImage(thumbPosition(), half(h - logicalSize(thumb).height()), thumb);
}

void CoolSliderBase::paintVertical(QPainter& painter) const
{
    paintBackground(painter, "backgroundvert");
    const int w = width();
    const int h = height();
    const qreal ratio = devicePixelRatioF();

    const QImage channel = skinImage(QStringLiteral("channelvert"), ratio);
    if (!channel.isNull()) {
        const QSize size = logicalSize(channel);
        const int x = half(w - size.width());
        const int count = int(platform::roundHalfEven(double(h) / size.height())) + 1;
        for (int i = 0; i < count; ++i)
            painter.drawImage(x, i * size.height(), channel);
    }
    const QImage channelTop = skinImage(QStringLiteral("channelverttop"), ratio);
    if (!channelTop.isNull())
        painter.drawImage(half(w - logicalSize(channelTop).width()), 0, channelTop);
    const QImage channelBottom = skinImage(QStringLiteral("channelvertBottom"), ratio);
    if (!channelBottom.isNull()) {
        const QSize size = logicalSize(channelBottom);
        painter.drawImage(half(w - size.width()), h - size.height(), channelBottom);
    }

    const QImage thumb = transparentImage(skinImage(QStringLiteral("thumbvert"), ratio));
    if (!thumb.isNull())
        painter.drawImage(half(w - logicalSize(thumb).width()), thumbPosition(), thumb);
}

void CoolSliderBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (horizontal())
        paintHorizontal(painter);
    else
        paintVertical(painter);
    if (hasFocus())
        drawFocusRectangle(painter, rect());
}

// --- Mouse ---

void CoolSliderBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int pointer = pointerAlong(event);
    if (horizontal()) {
        // The horizontal slider follows the pointer after any press.
        if (tracksButton())
            m_isButtonDown = true;
        m_dragging = true;
    }
    const int nearEnd = thumbPosition();
    const int farEnd = nearEnd + thumbLength();
    if (pointer > farEnd || pointer < nearEnd) {
        positionChanged(m_range.setPosition(stepTowardPointer(pointer, Position(), Min(), Max(), length(), thumbLength())));
        // Dragging on from here keeps the thumb where the step put it.
        m_dragOffset = pointer - thumbPosition();
    } else {
        m_dragging = true;
        m_dragOffset = pointer - nearEnd;
    }
    setFocus(Qt::MouseFocusReason);
    if (!horizontal() && m_variant == ControlVariant::Editor)
        emit OnChange();
    emit OnScroll(ScrollCode::Position, Position());
}

void CoolSliderBase::mouseMoveEvent(QMouseEvent* event)
{
    const int before = Position();
    const bool dragged = m_dragging && canDrag();
    if (dragged) {
        const int value = valueAtOffset(pointerAlong(event) - m_dragOffset, Min(), Max(), length(), thumbLength());
        positionChanged(m_range.setPosition(value));
    }
    if (recorderVertical()) {
        const int now = Position();
        const int code = now == before ? ScrollCode::Position : now > before ? ScrollCode::LineUp : ScrollCode::LineDown;
        emit OnScroll(code, now);
    } else if (dragged) {
        emit OnScroll(ScrollCode::Position, Position());
    }
}

void CoolSliderBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    if (tracksButton()) {
        m_isButtonDown = false;
        emit OnChange();
    }
}

// --- Keys ---

bool CoolSliderBase::event(QEvent* event)
{
    // The slider keys are the slider's, not the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && sliderKeyOf(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CoolSliderBase::keyPressEvent(QKeyEvent* event)
{
    const std::optional<SliderKey> key = sliderKeyOf(event->key());
    if (horizontal() && !key) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (tracksButton() && !m_isButtonDown) {
        m_isButtonDown = true;
        m_keySetButtonDown = true;
    }
    setFocus(Qt::OtherFocusReason);
    if (key) {
        event->accept();
        positionChanged(m_range.setPosition(positionAfterKey(*key, Position(), Min(), Max(), m_lineSize, m_pageSize)));
        update();
    } else {
        QWidget::keyPressEvent(event);
    }
    if (!horizontal() && m_variant == ControlVariant::Editor)
        emit OnChange();
    emit OnScroll(ScrollCode::Position, Position());
}

void CoolSliderBase::keyReleaseEvent(QKeyEvent* event)
{
    if (!tracksButton() || !sliderKeyOf(event->key()) || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    setFocus(Qt::OtherFocusReason);
    update();
    emit OnChange();
    emit OnScroll(ScrollCode::Position, Position());
    if (m_keySetButtonDown) {
        m_keySetButtonDown = false;
        m_isButtonDown = false;
    }
}

void CoolSliderBase::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void CoolSliderBase::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace controls
