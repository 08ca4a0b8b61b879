#include "controls/EQMeter.h"

#include "controls/Log.h"
#include "controls/SkinImages.h"
#include "platform/ui/Interaction.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

namespace {

const QColor kPeakColor(255, 255, 0);

} // namespace

TEQMeter::TEQMeter(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
    relayout();
}

QSize TEQMeter::sizeHint() const
{
    return QSize(14, 100);
}

void TEQMeter::relayout()
{
    m_model.layout(width(), height());
    takePictures();
}

void TEQMeter::takePictures()
{
    m_pictureRatio = devicePixelRatioF();
    m_background = skinImage(QStringLiteral("BG"), m_pictureRatio);
    const QImage foreground = skinImage(QStringLiteral("FG"), m_pictureRatio);
    const QSize bar(m_model.BarWidth(), height() - 1);
    if (foreground.isNull() || bar.isEmpty()) {
        m_barImage = QImage();
        return;
    }
    // Stretched in the picture's own pixels (twice the bar's for the @2x one), so it stays sharp.
    const qreal ratio = foreground.devicePixelRatio();
    m_barImage = foreground.scaled(bar * ratio);
    m_barImage.setDevicePixelRatio(ratio);
}

void TEQMeter::setBarCount(int count)
{
    if (!m_model.setBarCount(count)) {
        qCWarning(lcControls) << "level meter: bar count" << count << "refused; it stays" << m_model.BarCount();
        if (m_interaction)
            m_interaction->messageBox(QStringLiteral("Invalid property"), QGuiApplication::applicationDisplayName(),
                                      platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    relayout();
    update();
}

void TEQMeter::setBarWidth(int width)
{
    if (!m_model.setBarWidth(width))
        return;
    relayout();
    update();
}

void TEQMeter::setSeparation(int separation)
{
    if (!m_model.setSeparation(separation))
        return;
    relayout();
    update();
}

void TEQMeter::setShowBackground(bool show)
{
    m_showBackground = show;
    relayout();
    update();
}

void TEQMeter::setBgColor(const QColor& color)
{
    m_bgColor = color;
    relayout();
    update();
}

void TEQMeter::setMin(int min)
{
    m_model.setMin(min);
    relayout();
}

void TEQMeter::setMax(int max)
{
    m_model.setMax(max);
    relayout();
}

void TEQMeter::setBarValue(int index, int value)
{
    if (index < 0 || index >= m_model.BarCount()) {
        qCWarning(lcControls) << "level meter: no bar" << index << "of" << m_model.BarCount();
        return;
    }
    if (m_model.Max() <= m_model.Min()) {
        if (!m_reportedEmptyRange)
            qCWarning(lcControls) << "level meter: range" << m_model.Min() << ".." << m_model.Max()
                                  << "holds no levels; its bars stay unlit";
        m_reportedEmptyRange = true;
    } else {
        m_reportedEmptyRange = false;
    }
    if (m_model.setBarValue(index, value))
        update();
}

void TEQMeter::Decay()
{
    m_model.decay();
    update();
}

void TEQMeter::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void TEQMeter::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
}

void TEQMeter::paintEvent(QPaintEvent*)
{
    if (m_pictureRatio != devicePixelRatioF())
        takePictures();
    QPainter painter(this);
    const int w = width();
    const int h = height();
    if (m_model.BarCount() < 1 || w < 1 || h < 1) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
        return;
    }
    painter.fillRect(rect(), Qt::black);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    if (m_showBackground && !m_background.isNull())
        painter.drawImage(inside, m_background);
    else
        painter.fillRect(inside, m_bgColor);
    if (m_barImage.isNull())
        return;

    const int litWidth = m_model.litWidth();
    const qreal ratio = m_barImage.devicePixelRatio();
    painter.setClipRect(inside);
    for (int i = 0; i < m_model.BarCount(); ++i) {
        const int left = m_model.barLeft(i);
        const int rows = m_model.litRows(i);
        if (rows > 0 && litWidth > 0) {
            // The lit part shows the lower part of the bar picture, row for row.
            const int top = h - rows - 1;
            painter.drawImage(QPointF(left, top), m_barImage, QRectF(0, top * ratio, litWidth * ratio, rows * ratio));
        }
        if (m_showHistory) {
            if (const std::optional<int> row = m_model.markRow(i); row && litWidth > 0)
                painter.fillRect(QRect(left, *row, litWidth, 1), kPeakColor);
        }
    }
}

} // namespace controls
