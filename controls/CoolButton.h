#pragma once
// TCoolButton, the skinned push or toggle button: drawn from three skin slices (left end, centre,
// right end) of the up, down or disabled set, each stretched to its part of the button, with a
// caption or a glyph on top; or, with NewStyleButton off, from three whole pictures.
//
// Both programs use it. The editor's version also answers Enter, Space and the caption's
// accelerator (Alt and the underlined letter) and shows a focus rectangle; the recorder's does
// neither.
//
// A push button raises OnChange when pressed and OnClick when the press that it captured ends,
// wherever the pointer then is; a toggle button flips Down at each press.

#include "controls/ControlVariant.h"
#include "controls/Mnemonic.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace controls {

class TCoolButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE setGlyph)
    Q_PROPERTY(bool Down READ Down WRITE setDown)
    Q_PROPERTY(bool IsToggleButton READ IsToggleButton WRITE setIsToggleButton)
    Q_PROPERTY(bool State READ State WRITE setState)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool NewStyleButton READ NewStyleButton WRITE setNewStyleButton)
    Q_PROPERTY(QImage UpImage READ UpImage WRITE setUpImage)
    Q_PROPERTY(QImage DownImage READ DownImage WRITE setDownImage)
    Q_PROPERTY(QImage DisImage READ DisImage WRITE setDisImage)

public:
    explicit TCoolButton(ControlVariant variant, QWidget* parent = nullptr);

    ControlVariant variant() const { return m_variant; }

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QImage Glyph() const { return m_glyph; }
    void setGlyph(const QImage& glyph);
    bool Down() const { return m_down; }
    void setDown(bool down);
    bool IsToggleButton() const { return m_isToggleButton; }
    void setIsToggleButton(bool toggle);
    bool State() const { return m_state; }
    void setState(bool state);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    bool NewStyleButton() const { return m_newStyleButton; }
    void setNewStyleButton(bool newStyle);
    QImage UpImage() const { return m_upImage; }
    void setUpImage(const QImage& image);
    QImage DownImage() const { return m_downImage; }
    void setDownImage(const QImage& image);
    QImage DisImage() const { return m_disImage; }
    void setDisImage(const QImage& image);

    bool isMouseOver() const { return m_mouseOver; }

    QSize sizeHint() const override;

signals:
    void OnClick();
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void activateByKey();
    void composeSkinned(QPainter& painter) const;
    void drawCaptionOrGlyph(QPainter& painter) const;

    ControlVariant m_variant;
    QString m_caption;
    QImage m_glyph;
    bool m_down = false;
    bool m_isToggleButton = false;
    bool m_state = false;
    bool m_transparent = false;
    bool m_newStyleButton = true;
    QImage m_upImage;
    QImage m_downImage;
    QImage m_disImage;
    bool m_mouseOver = false;
    bool m_captured = false;
    Mnemonic m_mnemonic{this, [this] { activateByKey(); }};
};

// Repaints every TCoolButton inside a form, from the last to the first.
void repaintCoolButtons(QWidget* form);

} // namespace controls
