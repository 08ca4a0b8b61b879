#pragma once
// TCoolForm, a form whose background is composed from the nine frame pictures of the skin ("center"
// tiled over the whole client area, "top", "bot", "left" and "right" along the edges, the four
// corners on top). The background is rebuilt whenever the form's size changes, before it is
// painted. The editor's main window is built on it.

#include <QImage>
#include <QWidget>

namespace controls {

class TCoolForm : public QWidget {
    Q_OBJECT

public:
    explicit TCoolForm(QWidget* parent = nullptr);

    // The composed background of the current client size.
    const QImage& background() const { return m_background; }

    // The background of a client area of the given size, from the skin's current pictures, over
    // a fill of `base` where pictures are missing.
    static QImage composeBackground(QSize size, const QColor& base);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage m_background;
};

} // namespace controls
