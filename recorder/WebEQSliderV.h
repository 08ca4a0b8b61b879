#pragma once
// TWebEQSliderV, the vertical fader of the recording window (record and playback volumes, the
// voice and music trims): a scale and a knob picture, moved by mouse, keys or code. The smallest
// value is at the top; callers that want "up = more" invert the value themselves.
//
// Every press (a double click too) and every key raises OnChange and OnScroll(4); dragging the knob
// raises OnScroll(4) at each step; the release raises OnChange and OnMouseReleased. With Max equal
// to Min the knob stays at the top and drags change nothing. When a knob picture is missing the
// control shows "Missing resource!" on black.

#include "controls/SkinImages.h"
#include "controls/SliderModel.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

namespace recorder {

// The value the position hint shows: the position's place in Min..Max carried over to
// HintMin..HintMax, rounded. HintMin when Max <= Min.
int webEqHintValue(int position, int min, int max, int hintMin, int hintMax);

// The ticks of scale type 2 at the right edge: one every height div 20 pixels (4 when that is 0),
// a sixth of the width long at the top, nearest the middle and at the bottom, half that elsewhere.
struct ScaleTick {
    int y;
    int length;
    bool operator==(const ScaleTick&) const = default;
};
std::vector<ScaleTick> webEqScaleTicks(int width, int height);

class TWebEQSliderV : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(int LineSize READ LineSize WRITE setLineSize)
    Q_PROPERTY(int PageSize READ PageSize WRITE setPageSize)
    Q_PROPERTY(int ScaleType READ ScaleType WRITE setScaleType)
    Q_PROPERTY(int ImageType READ ImageType WRITE setImageType)
    Q_PROPERTY(QColor BgColor READ BgColor WRITE setBgColor)
    Q_PROPERTY(QColor ScaleColor READ ScaleColor WRITE setScaleColor)
    Q_PROPERTY(int HintMin READ HintMin WRITE setHintMin)
    Q_PROPERTY(int HintMax READ HintMax WRITE setHintMax)
    Q_PROPERTY(bool ShowPosHints READ ShowPosHints WRITE setShowPosHints)

public:
    explicit TWebEQSliderV(QWidget* parent = nullptr);

    int Min() const { return m_range.Min(); }
    void setMin(int min);
    int Max() const { return m_range.Max(); }
    void setMax(int max);
    // Both ends at once, in either order: for code that sets a range rather than loading a form.
    void setRange(int min, int max);
    int Position() const { return m_range.Position(); }
    void setPosition(int position);
    int LineSize() const { return m_lineSize; }
    void setLineSize(int size) { m_lineSize = size; }
    int PageSize() const { return m_pageSize; }
    void setPageSize(int size) { m_pageSize = size; }
    // 0, 1 or 2 (other values are clamped): a ticked line, a groove, a groove with a side scale.
    int ScaleType() const { return m_scaleType; }
    void setScaleType(int type);
    // 0, 1 or 2 (other values are clamped): the grey, blue or round knob pictures.
    int ImageType() const { return m_imageType; }
    void setImageType(int type);
    QColor BgColor() const { return m_bgColor; }
    void setBgColor(const QColor& color);
    QColor ScaleColor() const { return m_scaleColor; }
    void setScaleColor(const QColor& color);
    int HintMin() const { return m_hintMin; }
    void setHintMin(int value);
    int HintMax() const { return m_hintMax; }
    void setHintMax(int value);
    bool ShowPosHints() const { return m_showPosHints; }
    void setShowPosHints(bool show);

    // The knob's top edge, and its size (from the pictures; empty when one is missing).
    int knobTop() const;
    // In logical pixels, whatever the screen's pixel ratio.
    QSize knobSize() const { return controls::logicalSize(m_knobNormal); }
    bool picturesLoaded() const { return m_picturesLoaded; }

    QSize sizeHint() const override;

signals:
    void OnChange();
    void OnScroll(int scrollCode, int position);
    void OnMouseReleased();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void loadPictures();
    void positionChanged(bool changed);
    void paintScale(QPainter& painter) const;
    void paintHint(QPainter& painter) const;

    controls::SliderRange m_range;
    int m_lineSize = 1;
    int m_pageSize = 2;
    int m_scaleType = 0;
    int m_imageType = 0;
    QColor m_bgColor;
    QColor m_scaleColor = Qt::black;
    int m_hintMin = 0;
    int m_hintMax = 0;
    bool m_showPosHints = false;

    QImage m_knobNormal;
    QImage m_knobFocused;
    QImage m_knobDisabled;
    bool m_picturesLoaded = false;
    qreal m_pictureRatio = 0; // the pixel ratio the knobs were taken for

    bool m_dragging = false;
    int m_dragOffset = 0;
};

} // namespace recorder
