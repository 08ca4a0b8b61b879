#include "controls/Scale.h"

#include <QFontMetrics>
#include <QPainter>

namespace controls {

TQzv32Scale::TQzv32Scale(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
}

QSize TQzv32Scale::sizeHint() const
{
    return QSize(500, 20);
}

template <typename T>
void TQzv32Scale::change(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    update();
}

void TQzv32Scale::setGapInPixels(int pixels)
{
    change(m_settings.GapInPixels, pixels);
}

void TQzv32Scale::setColor(const QColor& color)
{
    change(m_color, color);
}

void TQzv32Scale::setZoomLevel(uint32_t zoom)
{
    change(m_settings.ZoomLevel, zoom);
}

void TQzv32Scale::setLeftSamplePos(uint32_t sample)
{
    change(m_settings.LeftSamplePos, sample);
}

void TQzv32Scale::setFormat(TFormat format)
{
    change(m_settings.Format, format);
}

void TQzv32Scale::setShowSmallDivisons(bool show)
{
    change(m_settings.ShowSmallDivisons, show);
}

void TQzv32Scale::setNumSmallDivisons(int count)
{
    change(m_settings.NumSmallDivisons, count);
}

void TQzv32Scale::setIsDataAvailable(bool available)
{
    change(m_settings.IsDataAvailable, available);
}

void TQzv32Scale::SetWaveFormat(const WaveFormatEx& format)
{
    m_settings.waveFormat = format;
    update();
}

ScaleLayout TQzv32Scale::currentLayout() const
{
    ScaleSettings settings = m_settings;
    settings.width = width();
    const QFontMetrics metrics(font());
    return layoutScale(settings, [&](const QString& text) { return metrics.horizontalAdvance(text); });
}

void TQzv32Scale::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(m_color, 0));
    painter.drawLine(0, kScaleBaseLine, width(), kScaleBaseLine);
    const ScaleLayout layout = currentLayout();
    for (const ScaleTick& tick : layout.ticks)
        painter.drawLine(tick.x, kScaleBaseLine, tick.x, tick.bottom);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    for (const ScaleLabel& label : layout.labels)
        painter.drawText(label.x, kScaleLabelTop + metrics.ascent(), label.text);
}

} // namespace controls
