#pragma once
// TEQMeter, the bar-graph level meter of both programs: bars lit from the bottom, drawn from the
// skin's "BG" picture (unlit, stretched over the inside) and "FG" picture (lit, stretched to a bar),
// each with an optional peak-hold mark that falls one row per decay step. The windows use one bar
// per channel, feed it from a timer and call Decay on a timer. The arithmetic is MeterModel's.

#include "controls/MeterModel.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace platform {
class Interaction;
}

namespace controls {

class TEQMeter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BarCount READ BarCount WRITE setBarCount)
    Q_PROPERTY(int BarWidth READ BarWidth WRITE setBarWidth)
    Q_PROPERTY(int Separation READ Separation WRITE setSeparation)
    Q_PROPERTY(bool ShowBackground READ ShowBackground WRITE setShowBackground)
    Q_PROPERTY(QColor BgColor READ BgColor WRITE setBgColor)
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(bool ShowHistory READ ShowHistory WRITE setShowHistory)

public:
    explicit TEQMeter(QWidget* parent = nullptr);

    // Where "Invalid property" is shown when code sets a bar count below 1 (it is always logged).
    void setInteraction(platform::Interaction* interaction) { m_interaction = interaction; }

    int BarCount() const { return m_model.BarCount(); }
    void setBarCount(int count);
    int BarWidth() const { return m_model.BarWidth(); }
    void setBarWidth(int width);
    int Separation() const { return m_model.Separation(); }
    void setSeparation(int separation);
    bool ShowBackground() const { return m_showBackground; }
    void setShowBackground(bool show);
    QColor BgColor() const { return m_bgColor; }
    void setBgColor(const QColor& color);
    int Min() const { return m_model.Min(); }
    void setMin(int min);
    int Max() const { return m_model.Max(); }
    void setMax(int max);
    bool ShowHistory() const { return m_showHistory; }
    void setShowHistory(bool show) { m_showHistory = show; }

    // Index 0 is the first bar; an index outside the bars is ignored (logged). Levels fed to a
    // meter whose Max is not above Min light nothing; that is logged once until the range is set.
    void setBarValue(int index, int value);
    // The stored value, or -1 for an index outside the bars.
    int barValue(int index) const { return m_model.barValue(index); }
    int peakMark(int index) const { return m_model.peakMark(index); }
    // One decay step for every bar, then a repaint.
    void Decay();

    const MeterModel& model() const { return m_model; }

    QSize sizeHint() const override;

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void relayout();
    void takePictures();

    MeterModel m_model;
    bool m_showBackground = false;
    QColor m_bgColor = Qt::black;
    bool m_showHistory = false;
    // The pictures for the screen's pixel ratio, taken again with every layout and when the ratio
    // changes.
    QImage m_background; // "BG"
    QImage m_barImage;   // "FG" stretched to one bar
    qreal m_pictureRatio = 0;
    platform::Interaction* m_interaction = nullptr;
    bool m_reportedEmptyRange = false;
};

} // namespace controls
