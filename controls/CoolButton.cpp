#include "controls/CoolButton.h"

#include "controls/SkinGeometry.h"
#include "controls/SkinImages.h"
#include "platform/base/Rounding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

namespace {

struct SliceSet {
    const char* left;
    const char* centre;
    const char* right;
};

constexpr SliceSet kUpSlices{"Btnleft", "Btncenter", "Btnright"};
constexpr SliceSet kDownSlices{"BtnleftDown", "BtncenterDown", "BtnrightDown"};
constexpr SliceSet kDisabledSlices{"BtnleftDisabled", "BtncenterDisabled", "BtnrightDisabled"};

// Disabled captions and glyphs: the shade rule at 50 percent.
constexpr int kDisabledPercent = 50;

bool isActivationKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

TCoolButton::TCoolButton(ControlVariant variant, QWidget* parent)
    : QWidget(parent)
    , m_variant(variant)
{
    setFocusPolicy(Qt::StrongFocus);
    resize(50, 25);
}

QSize TCoolButton::sizeHint() const
{
    return QSize(50, 25);
}

void TCoolButton::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    if (m_variant == ControlVariant::Editor)
        m_mnemonic.setCaption(m_caption);
    update();
}

void TCoolButton::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    update();
}

void TCoolButton::setDown(bool down)
{
    if (down == m_down)
        return;
    m_down = down;
    update();
}

void TCoolButton::setIsToggleButton(bool toggle)
{
    if (toggle == m_isToggleButton)
        return;
    m_isToggleButton = toggle;
    update();
}

void TCoolButton::setState(bool state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
}

void TCoolButton::setTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    update();
}

void TCoolButton::setNewStyleButton(bool newStyle)
{
    if (newStyle == m_newStyleButton)
        return;
    m_newStyleButton = newStyle;
    update();
}

void TCoolButton::setUpImage(const QImage& image)
{
    m_upImage = image;
    update();
}

void TCoolButton::setDownImage(const QImage& image)
{
    m_downImage = image;
    update();
}

void TCoolButton::setDisImage(const QImage& image)
{
    m_disImage = image;
    update();
}

// --- Painting ---

void TCoolButton::paintEvent(QPaintEvent*)
{
    // Composed at the screen's pixel ratio, so that the art and the caption stay sharp there.
    QImage composed = deviceCanvas(size(), devicePixelRatioF());
    if (composed.isNull())
        return;
    composed.fill(m_transparent ? QColor(Qt::transparent) : palette().color(QPalette::Button));
    QPainter painter(&composed);
    if (m_newStyleButton) {
        composeSkinned(painter);
        drawCaptionOrGlyph(painter);
    } else {
        const QImage& picture = !isEnabled() ? m_disImage : m_down ? m_downImage : m_upImage;
        if (!picture.isNull())
            painter.drawImage(0, 0, picture);
    }
    if (m_variant == ControlVariant::Editor && hasFocus())
        drawFocusRectangle(painter, rect().adjusted(2, 2, -2, -2));
    painter.end();
    QPainter(this).drawImage(0, 0, composed);
}

void TCoolButton::composeSkinned(QPainter& painter) const
{
    const SliceSet& set = m_down ? kDownSlices : isEnabled() ? kUpSlices : kDisabledSlices;
    const qreal ratio = devicePixelRatioF();
    const QImage left = skinImage(set.left, ratio);
    const QImage centre = skinImage(set.centre, ratio);
    const QImage right = skinImage(set.right, ratio);
    const SliceSpans spans = buttonSliceSpans(width(), logicalSize(left).width(), logicalSize(right).width());
    drawThreeBands(painter, QRect(0, 0, spans.leftEnd, height()), left);
    drawThreeBands(painter, QRect(spans.leftEnd, 0, spans.centreWidth(), height()), centre);
    drawThreeBands(painter, QRect(spans.rightStart, 0, width() - spans.rightStart, height()), right);
}

void TCoolButton::drawCaptionOrGlyph(QPainter& painter) const
{
    const int shift = m_down ? 1 : 0;
    if (!m_caption.isEmpty()) {
        painter.setFont(font());
        const int grey = shadeGrey(0, 0, 0, kDisabledPercent);
        painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : QColor(grey, grey, grey));
        const int textHeight = QFontMetrics(font()).height();
        const int top = int(platform::divRoundHalfEven(height() - textHeight, 2));
        painter.drawText(QRect(shift, top + shift, width(), textHeight), Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                         m_caption);
        return;
    }
    if (m_glyph.isNull())
        return;
    QImage glyph = transparentImage(m_glyph);
    if (!isEnabled())
        glyph = shadedImage(glyph, kDisabledPercent);
    const QSize glyphSize = logicalSize(glyph);
    const int x = (width() - glyphSize.width()) / 2 + shift;
    const int y = (height() - glyphSize.height()) / 2 + 1 + shift;
    painter.drawImage(x, y, glyph);
}

// --- Input ---

void TCoolButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_down = m_isToggleButton ? !m_down : true;
    m_captured = true;
    setFocus(Qt::MouseFocusReason);
    update();
    emit OnChange();
}

void TCoolButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (!m_isToggleButton)
        m_down = false;
    const bool captured = m_captured;
    m_captured = false;
    update();
    if (captured)
        emit OnClick();
}

void TCoolButton::keyPressEvent(QKeyEvent* event)
{
    if (m_variant != ControlVariant::Editor || !isActivationKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    activateByKey();
}

void TCoolButton::activateByKey()
{
    if (m_isToggleButton) {
        setFocus(Qt::ShortcutFocusReason);
        m_down = !m_down;
        m_state = !m_state;
        update();
    }
    emit OnClick();
}

void TCoolButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (isEnabled() && !QWidget::mouseGrabber()) {
        m_mouseOver = true;
        update();
    }
}

void TCoolButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_mouseOver = false;
    update();
}

void TCoolButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}

void TCoolButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TCoolButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void repaintCoolButtons(QWidget* form)
{
    if (!form)
        return;
    const QList<TCoolButton*> buttons = form->findChildren<TCoolButton*>();
    for (auto it = buttons.crbegin(); it != buttons.crend(); ++it)
        (*it)->repaint();
}

} // namespace controls
