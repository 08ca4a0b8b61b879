#pragma once
// TQzv32Scale, the time ruler under or above a waveform display: it takes the display's zoom level
// and left position from its owner and labels the visible range in time (mm:ss:mmm) or in sample
// numbers, with short ticks between the labels. It has no input. The layout is ScaleLayout's.

#include "controls/ScaleLayout.h"

#include <QColor>
#include <QWidget>

namespace controls {

class TQzv32Scale : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int GapInPixels READ GapInPixels WRITE setGapInPixels)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(quint32 ZoomLevel READ ZoomLevel WRITE setZoomLevel)
    Q_PROPERTY(quint32 LeftSamplePos READ LeftSamplePos WRITE setLeftSamplePos)
    Q_PROPERTY(bool ShowSmallDivisons READ ShowSmallDivisons WRITE setShowSmallDivisons)
    Q_PROPERTY(int NumSmallDivisons READ NumSmallDivisons WRITE setNumSmallDivisons)
    Q_PROPERTY(bool IsDataAvailable READ IsDataAvailable WRITE setIsDataAvailable)

public:
    explicit TQzv32Scale(QWidget* parent = nullptr);

    int GapInPixels() const { return m_settings.GapInPixels; }
    void setGapInPixels(int pixels);
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    uint32_t ZoomLevel() const { return m_settings.ZoomLevel; }
    void setZoomLevel(uint32_t zoom);
    uint32_t LeftSamplePos() const { return m_settings.LeftSamplePos; }
    void setLeftSamplePos(uint32_t sample);
    TFormat Format() const { return m_settings.Format; }
    void setFormat(TFormat format);
    bool ShowSmallDivisons() const { return m_settings.ShowSmallDivisons; }
    void setShowSmallDivisons(bool show);
    int NumSmallDivisons() const { return m_settings.NumSmallDivisons; }
    void setNumSmallDivisons(int count);
    bool IsDataAvailable() const { return m_settings.IsDataAvailable; }
    void setIsDataAvailable(bool available);

    // The format that frames are turned into milliseconds with (PCM 44,100 Hz 16-bit stereo at
    // first). Always repaints.
    void SetWaveFormat(const WaveFormatEx& format);
    const WaveFormatEx& waveFormat() const { return m_settings.waveFormat; }

    // What the ruler draws at its current width and font.
    ScaleLayout currentLayout() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T>
    void change(T& field, const T& value);

    ScaleSettings m_settings;
    QColor m_color = Qt::black;
};

} // namespace controls
