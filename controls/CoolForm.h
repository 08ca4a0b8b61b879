#pragma once
// TCoolForm, a form whose background is composed from the nine frame pictures of the skin ("center"
// tiled over the whole client area, "top", "bot", "left" and "right" along the edges, the four
// corners on top). The background is rebuilt whenever the form's size or its screen's pixel ratio
// changes, before it is painted, at that pixel ratio. The editor's main window is built on it.

#include <QImage>
#include <QWidget>

namespace controls {

class TCoolForm : public QWidget {
    Q_OBJECT

public:
    explicit TCoolForm(QWidget* parent = nullptr);

    // The composed background of the current client size, in device pixels.
    const QImage& background() const { return m_background; }

    // The background of a client area of the given logical size for a device of that pixel ratio,
    // from the skin's current pictures, over a fill of `base` where pictures are missing.
    static QImage composeBackground(QSize size, const QColor& base, qreal devicePixelRatio = 1);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_background;
};

} // namespace controls
