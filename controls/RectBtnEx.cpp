#include "controls/RectBtnEx.h"

#include "controls/CaptionFit.h"
#include "controls/SkinImages.h"
#include "platform/base/Colors.h"
#include "platform/base/Rounding.h"

#include <QMouseEvent>
#include <QPainter>

namespace controls {

TQzv32RectBtnEx::TQzv32RectBtnEx(QWidget* parent)
    : QWidget(parent)
    , m_color(palette().color(QPalette::Button))
    , m_downColor(m_color)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(90, 30);
}

QSize TQzv32RectBtnEx::sizeHint() const
{
    return QSize(90, 30);
}

// --- Properties ---

namespace {

// The caption colours before the owner sets them (white and blue, 0x00BBGGRR).
constexpr uint32_t kDefaultUpCaptionColor = 0xFFFFFF;
constexpr uint32_t kDefaultDownCaptionColor = 0xFF0000;

template <typename T>
bool store(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void TQzv32RectBtnEx::setCaption(const QString& caption)
{
    if (store(m_caption, caption))
        update();
}

void TQzv32RectBtnEx::setCaptionLeftPos(int left)
{
    if (store(m_captionLeftPos, left))
        update();
}

void TQzv32RectBtnEx::setCaptionTopPos(int top)
{
    if (store(m_captionTopPos, top))
        update();
}

void TQzv32RectBtnEx::setOptimalCaption(bool optimal)
{
    if (store(m_optimalCaption, optimal))
        update();
}

QColor TQzv32RectBtnEx::ButtonUpCaptionColor() const
{
    return m_upCaptionColor.value_or(
        platform::legibleColor(platform::colorFromRef(kDefaultUpCaptionColor), m_color, platform::kTextContrast));
}

void TQzv32RectBtnEx::setButtonUpCaptionColor(const QColor& color)
{
    if (store(m_upCaptionColor, std::optional(color)))
        update();
}

QColor TQzv32RectBtnEx::ButtonDownCaptionColor() const
{
    return m_downCaptionColor.value_or(
        platform::legibleColor(platform::colorFromRef(kDefaultDownCaptionColor), m_downColor, platform::kTextContrast));
}

void TQzv32RectBtnEx::setButtonDownCaptionColor(const QColor& color)
{
    if (store(m_downCaptionColor, std::optional(color)))
        update();
}

void TQzv32RectBtnEx::setColor(const QColor& color)
{
    if (store(m_color, color))
        update();
}

void TQzv32RectBtnEx::setDownColor(const QColor& color)
{
    if (store(m_downColor, color))
        update();
}

void TQzv32RectBtnEx::setUpImage(const QImage& image)
{
    m_upImage = image;
    update();
}

void TQzv32RectBtnEx::setDownImage(const QImage& image)
{
    m_downImage = image;
    update();
}

void TQzv32RectBtnEx::setDisabledImage(const QImage& image)
{
    m_disabledImage = image;
    update();
}

void TQzv32RectBtnEx::setImageLeftPos(int left)
{
    if (store(m_imageLeftPos, left))
        update();
}

void TQzv32RectBtnEx::setDrawBorder(bool draw)
{
    if (store(m_drawBorder, draw))
        update();
}

void TQzv32RectBtnEx::setToggleButton(bool toggle)
{
    if (store(m_toggleButton, toggle))
        update();
}

void TQzv32RectBtnEx::setCanChangeState(bool can)
{
    if (store(m_canChangeState, can))
        update();
}

void TQzv32RectBtnEx::setDown(bool down)
{
    m_down = down;
    if (m_drawnUp == !down)
        return;
    m_drawnUp = !down;
    update();
}

void TQzv32RectBtnEx::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_drawnUp = true;
        update();
    }
}

// --- Painting ---

QString TQzv32RectBtnEx::shownCaption() const
{
    if (!m_optimalCaption)
        return m_caption;
    const QFontMetrics metrics(font());
    return fitCaption(m_caption, width() - m_imageLeftPos - m_captionLeftPos,
                      [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
}

void TQzv32RectBtnEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage& picture = !isEnabled() ? m_disabledImage : m_drawnUp ? m_upImage : m_downImage;
    painter.fillRect(rect(), m_drawnUp ? m_color : m_downColor);

    if (m_drawBorder && width() > 1 && height() > 1) {
        const int right = width() - 1;
        const int bottom = height() - 1;
        const QColor light = m_drawnUp ? QColor(255, 255, 255) : QColor(0, 0, 0);
        const QColor dark = m_drawnUp ? QColor(0, 0, 0) : QColor(255, 255, 255);
        const QColor inner = m_drawnUp ? QColor(128, 128, 128) : palette().color(QPalette::Button);
        // Filled one-pixel rows and columns rather than lines, which at 200% would straddle two
        // device pixels and leave the outermost ones bare.
        painter.fillRect(QRect(0, 0, right, 1), light);
        painter.fillRect(QRect(0, 0, 1, bottom), light);
        painter.fillRect(QRect(0, bottom, right + 1, 1), dark);
        painter.fillRect(QRect(right, 0, 1, bottom + 1), dark);
        if (width() > 3 && height() > 3) {
            painter.fillRect(QRect(1, bottom - 1, right - 1, 1), inner);
            painter.fillRect(QRect(right - 1, 1, 1, bottom - 1), inner);
        }
    }

    if (!picture.isNull())
        painter.drawImage(m_imageLeftPos, int(platform::divRoundHalfEven(height() - logicalSize(picture).height(), 2)), picture);

    if (m_caption.isEmpty())
        return;
    const int shift = m_drawnUp ? 0 : 1;
    painter.setFont(font());
    painter.setPen(m_drawnUp ? ButtonUpCaptionColor() : ButtonDownCaptionColor());
    const QFontMetrics metrics(font());
    painter.drawText(m_captionLeftPos + shift, m_captionTopPos + shift + metrics.ascent(), shownCaption());
}

// --- Mouse ---

void TQzv32RectBtnEx::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_canChangeState) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_toggleButton)
        m_down = !m_down;
    m_drawnUp = false;
    update();
}

void TQzv32RectBtnEx::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void TQzv32RectBtnEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_canChangeState || (m_drawnUp && !m_down)) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (m_toggleButton && !inside) {
        m_down = !m_down;
        m_drawnUp = !m_down;
        update();
        return;
    }
    m_drawnUp = m_toggleButton ? !m_down : true;
    update();
    if (inside)
        emit OnClick();
}

void TQzv32RectBtnEx::contextMenuEvent(QContextMenuEvent* event)
{
    m_popupMenu.contextMenu(this, event);
}

} // namespace controls
