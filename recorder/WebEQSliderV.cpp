#include "recorder/WebEQSliderV.h"

#include "controls/Log.h"
#include "controls/SkinGeometry.h"
#include "controls/SkinImages.h"
#include "platform/base/Rounding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

constexpr int kScrollPosition = controls::ScrollCode::Position;

// The knob pictures of each image type: normal, focused, disabled.
constexpr const char* kKnobs[3][3] = {
    {"THUMB", "THUMBHIGH", "THUMBDIS"},
    {"THUMBBLUE", "THUMBHIGHBLUE", "THUMBDISBLUE"},
    {"THUMB2", "THUMB2H", "THUMB2DIS"},
};

constexpr int kDefaultWidth = 30;
constexpr int kDefaultHeight = 150;

// ScaleType and ImageType: 0, 1 or 2; another value is the owner's fault and reaches the log.
int typeInRange(const char* property, int type)
{
    const int clamped = std::clamp(type, 0, 2);
    if (clamped != type)
        qCWarning(lcControls) << "EQ slider:" << property << type << "is not 0, 1 or 2; taken as" << clamped;
    return clamped;
}

} // namespace

int webEqHintValue(int position, int min, int max, int hintMin, int hintMax)
{
    if (max <= min)
        return hintMin;
    // Measured from Min, so that a range that does not start at 0 maps its ends onto the hint's.
    const double share = (double(position) - min) / (double(max) - min);
    const double value = double(platform::roundHalfEven(share * (double(hintMax) - hintMin))) + hintMin;
    return int(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
}

std::vector<ScaleTick> webEqScaleTicks(int width, int height)
{
    std::vector<ScaleTick> ticks;
    if (width <= 0 || height <= 0)
        return ticks;
    int step = height / 20;
    if (step == 0)
        step = 4;
    const int longTick = width / 6;
    const int shortTick = longTick / 2;
    const int last = (height - 1) / step * step;
    // The tick nearest the middle, the earlier one on a tie.
    const int middle = (height / 2 + step / 2) / step * step;
    for (int y = 0; y < height; y += step)
        ticks.push_back({y, y == 0 || y == last || y == middle ? longTick : shortTick});
    return ticks;
}

TWebEQSliderV::TWebEQSliderV(QWidget* parent)
    : QWidget(parent)
    , m_bgColor(palette().color(QPalette::Window))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    loadPictures();
    resize(kDefaultWidth, kDefaultHeight);
}

QSize TWebEQSliderV::sizeHint() const
{
    return QSize(std::max(kDefaultWidth, knobSize().width()), kDefaultHeight);
}

void TWebEQSliderV::loadPictures()
{
    const auto& names = kKnobs[m_imageType];
    // For the screen's pixel ratio (the @2x pictures at 200%); placed by their logical size.
    m_pictureRatio = devicePixelRatioF();
    m_knobNormal = controls::transparentImage(controls::skinImage(QString::fromLatin1(names[0]), m_pictureRatio));
    m_knobFocused = controls::transparentImage(controls::skinImage(QString::fromLatin1(names[1]), m_pictureRatio));
    m_knobDisabled = controls::transparentImage(controls::skinImage(QString::fromLatin1(names[2]), m_pictureRatio));
    m_picturesLoaded = !m_knobNormal.isNull() && !m_knobFocused.isNull() && !m_knobDisabled.isNull();
}

int TWebEQSliderV::knobTop() const
{
    return controls::thumbOffset(Position(), Min(), Max(), height(), knobSize().height());
}

// --- Values ---

void TWebEQSliderV::positionChanged(bool changed)
{
    if (changed)
        update();
}

void TWebEQSliderV::setMin(int min)
{
    positionChanged(m_range.setMin(min));
    update();
}

void TWebEQSliderV::setMax(int max)
{
    positionChanged(m_range.setMax(max));
    update();
}

void TWebEQSliderV::setRange(int min, int max)
{
    positionChanged(m_range.setRange(min, max));
    update();
}

void TWebEQSliderV::setPosition(int position)
{
    positionChanged(m_range.assignPosition(position));
}

void TWebEQSliderV::setScaleType(int type)
{
    m_scaleType = typeInRange("ScaleType", type);
    update();
}

void TWebEQSliderV::setImageType(int type)
{
    const int clamped = typeInRange("ImageType", type);
    if (clamped == m_imageType)
        return;
    m_imageType = clamped;
    loadPictures();
    update();
}

void TWebEQSliderV::setBgColor(const QColor& color)
{
    m_bgColor = color;
    update();
}

void TWebEQSliderV::setScaleColor(const QColor& color)
{
    m_scaleColor = color;
    update();
}

void TWebEQSliderV::setHintMin(int value)
{
    m_hintMin = value;
    update();
}

void TWebEQSliderV::setHintMax(int value)
{
    m_hintMax = value;
    update();
}

void TWebEQSliderV::setShowPosHints(bool show)
{
    m_showPosHints = show;
    update();
}

// --- Painting ---

void TWebEQSliderV::paintEvent(QPaintEvent*)
{
    if (m_pictureRatio != devicePixelRatioF())
        loadPictures();
    QPainter painter(this);
    if (!m_picturesLoaded) {
        painter.fillRect(rect(), Qt::black);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(2, 2 + painter.fontMetrics().ascent()), QStringLiteral("Missing resource!"));
        return;
    }
    painter.fillRect(rect(), m_bgColor);
    if (hasFocus())
        controls::drawFocusRectangle(painter, rect());
    paintScale(painter);

    const QImage& knob = !isEnabled() ? m_knobDisabled : hasFocus() ? m_knobFocused : m_knobNormal;
    painter.drawImage((width() - knobSize().width()) / 2, knobTop(), knob);

    if (m_showPosHints && hasFocus())
        paintHint(painter);
}

void TWebEQSliderV::paintScale(QPainter& painter) const
{
    const int w = width();
    const int h = height();
    const int middle = w / 2;
    if (m_scaleType == 0) {
        painter.fillRect(QRect(middle, 1, 1, std::max(h - 2, 0)), m_scaleColor);
        bool wide = true;
        for (int y = 1; y < h - 1; y += 2) {
            const int tick = wide ? 9 : 5;
            painter.fillRect(QRect(middle - tick / 2, y, tick, 1), m_scaleColor);
            wide = !wide;
        }
        return;
    }
    // A sunken groove: dark on the left and along the top, light on the right and along the bottom.
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light3d = palette().color(QPalette::Midlight);
    const QColor highlight = palette().color(QPalette::Light);
    const int top = 1;
    const int bottom = h - 2;
    if (bottom > top) {
        painter.fillRect(QRect(middle - 1, top, 1, bottom - top + 1), shadow);
        painter.fillRect(QRect(middle, top + 1, 1, bottom - top - 1), light3d);
        painter.fillRect(QRect(middle + 1, top, 1, bottom - top + 1), highlight);
        painter.fillRect(QRect(middle - 1, top, 3, 1), shadow);
        painter.fillRect(QRect(middle, bottom, 2, 1), highlight);
    }
    if (m_scaleType == 2) {
        for (const ScaleTick& tick : webEqScaleTicks(w, h))
            painter.fillRect(QRect(w - tick.length, tick.y, tick.length, 1), m_scaleColor);
    }
}

void TWebEQSliderV::paintHint(QPainter& painter) const
{
    const QString text = QString::number(webEqHintValue(Position(), Min(), Max(), m_hintMin, m_hintMax));
    const QFontMetrics metrics(font());
    const int boxHeight = metrics.height() + 2;
    // Past the middle the knob is in the lower half, so the value goes to the top.
    const bool pastMiddle = int64_t(Position()) - Min() > (int64_t(Max()) - Min()) / 2;
    const QRect box(1, pastMiddle ? 1 : height() - boxHeight - 1, width() - 2, boxHeight);
    painter.fillRect(box, palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(box, Qt::AlignCenter, text);
}

// --- Mouse ---

void TWebEQSliderV::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int y = int(std::floor(event->position().y()));
    const int knob = knobSize().height();
    const int top = knobTop();
    if (y >= top && y <= top + knob) {
        m_dragging = true;
        m_dragOffset = y - top;
    } else {
        positionChanged(m_range.setPosition(controls::stepTowardPointer(y, Position(), Min(), Max(), height(), knob)));
    }
    setFocus(Qt::MouseFocusReason);
    emit OnChange();
    emit OnScroll(kScrollPosition, Position());
}

void TWebEQSliderV::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !m_range.hasSpan() || height() <= knobSize().height())
        return;
    const int y = int(std::floor(event->position().y()));
    const int value = controls::valueAtOffset(y - m_dragOffset, Min(), Max(), height(), knobSize().height());
    positionChanged(m_range.setPosition(value));
    emit OnScroll(kScrollPosition, Position());
}

void TWebEQSliderV::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    emit OnChange();
    emit OnMouseReleased();
}

// --- Keys ---

bool TWebEQSliderV::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && controls::sliderKeyOf(static_cast<QKeyEvent*>(event)->key())) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void TWebEQSliderV::keyPressEvent(QKeyEvent* event)
{
    if (const std::optional<controls::SliderKey> key = controls::sliderKeyOf(event->key())) {
        event->accept();
        positionChanged(
            m_range.setPosition(controls::positionAfterKey(*key, Position(), Min(), Max(), m_lineSize, m_pageSize)));
    } else {
        QWidget::keyPressEvent(event);
    }
    update();
    emit OnChange();
    emit OnScroll(kScrollPosition, Position());
}

void TWebEQSliderV::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TWebEQSliderV::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TWebEQSliderV::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        update();
}

} // namespace recorder
