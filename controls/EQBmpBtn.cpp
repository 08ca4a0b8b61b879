#include "controls/EQBmpBtn.h"

#include "controls/SkinGeometry.h"
#include "controls/SkinImages.h"
#include "platform/base/Rounding.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace controls {

namespace {

constexpr int kDisabledPercent = 50;

bool isActivationKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

TEQBmpButton::TEQBmpButton(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    resize(20, 20);
}

QSize TEQBmpButton::sizeHint() const
{
    return QSize(20, 20);
}

// --- Properties ---

void TEQBmpButton::setPressed(bool pressed)
{
    if (!isEnabled())
        return;
    m_pressed = pressed;
    update();
}

void TEQBmpButton::setToggleButton(bool toggle)
{
    m_toggleButton = toggle;
    update();
}

void TEQBmpButton::setUpImage(const QImage& image)
{
    m_upImage = image;
    update();
}

void TEQBmpButton::setDownImage(const QImage& image)
{
    m_downImage = image;
    update();
}

void TEQBmpButton::setDisImage(const QImage& image)
{
    m_disImage = image;
    update();
}

void TEQBmpButton::setGlyph(const QImage& image)
{
    m_glyph = image;
    update();
}

void TEQBmpButton::setGlyphDown(const QImage& image)
{
    m_glyphDown = image;
    update();
}

void TEQBmpButton::setGlyphLeft(int left)
{
    m_glyphLeft = left;
    update();
}

void TEQBmpButton::setGlyphTop(int top)
{
    m_glyphTop = top;
    update();
}

void TEQBmpButton::setGlyphAlign(Qt::AlignmentFlag align)
{
    m_glyphAlign = align == Qt::AlignRight ? Qt::AlignRight : Qt::AlignLeft;
    update();
}

void TEQBmpButton::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_mnemonic.setCaption(m_caption);
    update();
}

void TEQBmpButton::setCaptionDown(const QString& caption)
{
    if (caption == m_captionDown)
        return;
    m_captionDown = caption;
    update();
}

void TEQBmpButton::setUseTransparency(bool use)
{
    m_useTransparency = use;
    update();
}

void TEQBmpButton::setTransparentColor(const QColor& color)
{
    m_transparentColor = color;
    update();
}

void TEQBmpButton::setBgColor(const QColor& color)
{
    m_bgColor = color;
    update();
}

void TEQBmpButton::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void TEQBmpButton::setDraw3dBorder(bool draw)
{
    m_draw3dBorder = draw;
    update();
}

void TEQBmpButton::repaintUnlessOff()
{
    if (!m_invalidateOff)
        repaint();
}

// --- Painting ---

QRect TEQBmpButton::insideRect() const
{
    if (!m_draw3dBorder)
        return rect();
    return m_pressed ? rect().adjusted(2, 2, -1, -1) : rect().adjusted(1, 1, -2, -2);
}

void TEQBmpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = insideRect();
    if (m_draw3dBorder)
        qDrawWinButton(&painter, rect(), palette(), m_pressed);

    QImage face = !isEnabled() ? m_disImage : m_pressed ? m_downImage : m_upImage;
    if (m_useTransparency) {
        painter.fillRect(inside, m_bgColor);
        face = withTransparentColor(face, m_transparentColor);
    }
    if (!face.isNull()) {
        if (m_stretch)
            painter.drawImage(inside, face);
        else
            painter.drawImage(inside.topLeft(), face);
    }

    QImage glyph = m_pressed ? m_glyphDown : m_glyph;
    if (!glyph.isNull()) {
        glyph = transparentImage(glyph);
        if (!isEnabled())
            glyph = shadedImage(glyph, kDisabledPercent);
        const int shift = m_pressed ? 1 : 0;
        const int x = m_glyphAlign == Qt::AlignRight ? width() - logicalSize(glyph).width() - m_glyphLeft : m_glyphLeft;
        painter.drawImage(x + shift, m_glyphTop + shift, glyph);
    }

    if (!m_caption.isEmpty())
        paintCaption(painter, inside, logicalSize(glyph).width());

    if (hasFocus() && m_showFocus && isEnabled())
        drawFocusRectangle(painter, inside);
}

void TEQBmpButton::paintCaption(QPainter& painter, const QRect& inside, int glyphWidth) const
{
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    const bool right = m_glyphAlign == Qt::AlignRight;
    const int x0 = right ? 0 : glyphWidth + m_glyphLeft;
    const int x1 = right ? width() - glyphWidth - m_glyphLeft : width();
    if (x1 <= x0)
        return;
    const int top = int(platform::divRoundHalfEven(height() - textHeight, 2)) - (m_draw3dBorder ? 2 : 0);
    const int shift = m_pressed ? 1 : 0;
    const QRect area(x0 + inside.left() + shift, top + inside.top() + shift, x1 - x0, textHeight);
    const int flags = (right ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextShowMnemonic;
    painter.setFont(font());
    if (isEnabled()) {
        const QString& text = m_pressed && !m_captionDown.isEmpty() ? m_captionDown : m_caption;
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(area, flags, metrics.elidedText(text, Qt::ElideRight, area.width(), Qt::TextShowMnemonic));
        return;
    }
    const QString text = metrics.elidedText(m_caption, Qt::ElideRight, area.width(), Qt::TextShowMnemonic);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, text);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(area, flags, text);
}

// --- Input ---

void TEQBmpButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_pressed = m_toggleButton ? !m_pressed : true;
        setFocus(Qt::MouseFocusReason);
        m_captured = true;
        repaintUnlessOff();
        emit OnDown();
    }
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TEQBmpButton::mouseMoveEvent(QMouseEvent* event)
{
    // While the press is held, leaving the button counts as soon as the pointer is outside.
    if (m_captured && !rect().contains(event->position().toPoint()))
        pointerLeft();
    QWidget::mouseMoveEvent(event);
}

void TEQBmpButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_captured && isEnabled()) {
        if (!m_toggleButton)
            m_pressed = false;
        emit OnClick();
        m_captured = false;
        repaintUnlessOff();
    }
    if (event->button() == Qt::LeftButton)
        m_captured = false;
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

void TEQBmpButton::contextMenuEvent(QContextMenuEvent* event)
{
    m_popupMenu.contextMenu(this, event);
}

void TEQBmpButton::dragEnterEvent(QDragEnterEvent* event)
{
    offerDrag(event);
}

void TEQBmpButton::dragMoveEvent(QDragMoveEvent* event)
{
    offerDrag(event);
}

void TEQBmpButton::offerDrag(QDragMoveEvent* event)
{
    bool accept = false;
    const QPoint at = event->position().toPoint();
    emit OnDragOver(event->source(), at.x(), at.y(), accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TEQBmpButton::dropEvent(QDropEvent* event)
{
    const QPoint at = event->position().toPoint();
    event->acceptProposedAction();
    emit OnDragDrop(event->source(), at.x(), at.y());
}

void TEQBmpButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    pointerLeft();
}

void TEQBmpButton::pointerLeft()
{
    if (!isEnabled() || m_toggleButton || !m_pressed)
        return;
    m_pressed = false;
    repaintUnlessOff();
}

void TEQBmpButton::keyPressEvent(QKeyEvent* event)
{
    if (!isEnabled() || !isActivationKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    activateByKey();
}

void TEQBmpButton::activateByKey()
{
    if (m_toggleButton) {
        setFocus(Qt::ShortcutFocusReason);
        m_pressed = !m_pressed;
        repaintUnlessOff();
    }
    emit OnClick();
}

void TEQBmpButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (isEnabled())
        repaint();
}

void TEQBmpButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (isEnabled())
        repaint();
}

void TEQBmpButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        update();
}

} // namespace controls
