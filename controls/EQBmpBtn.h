#pragma once
// TEQBmpButton, the picture button of most of both programs' windows (transport, pads, page
// navigation): up, down and disabled face pictures, an optional glyph and captions, push or toggle
// behaviour, optionally a transparent colour in the faces over a fill, a stretched face or a 3-D
// frame. Identical in the two programs.
//
// A push button is pressed while the left button is held on it and raises OnDown at the press and
// OnClick when the captured press ends, wherever the pointer then is (moving off it only draws it
// up). A toggle button flips Pressed at every press, a double click included. Enter and Space
// raise OnClick (a toggle button flips first); so does Alt with the caption's underlined letter.
// A disabled button takes no input.
//
// Drags over the button are offered to OnDragOver, whose handler sets accept to take them (connect
// it directly: accept is read back at once); a drag it does not take goes on to the parent, so a
// window that takes dropped files still gets them over its buttons. A drop of a taken drag raises
// OnDragDrop. PopupMenu opens on a context-menu request.

#include "controls/Mnemonic.h"
#include "controls/PopupMenu.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QString>
#include <QWidget>

namespace controls {

class TEQBmpButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Pressed READ Pressed WRITE setPressed)
    Q_PROPERTY(bool ToggleButton READ ToggleButton WRITE setToggleButton)
    Q_PROPERTY(QImage UpImage READ UpImage WRITE setUpImage)
    Q_PROPERTY(QImage DownImage READ DownImage WRITE setDownImage)
    Q_PROPERTY(QImage DisImage READ DisImage WRITE setDisImage)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE setGlyph)
    Q_PROPERTY(QImage GlyphDown READ GlyphDown WRITE setGlyphDown)
    Q_PROPERTY(int GlyphLeft READ GlyphLeft WRITE setGlyphLeft)
    Q_PROPERTY(int GlyphTop READ GlyphTop WRITE setGlyphTop)
    Q_PROPERTY(Qt::AlignmentFlag GlyphAlign READ GlyphAlign WRITE setGlyphAlign)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString CaptionDown READ CaptionDown WRITE setCaptionDown)
    Q_PROPERTY(bool UseTransparency READ UseTransparency WRITE setUseTransparency)
    Q_PROPERTY(QColor TransparentColor READ TransparentColor WRITE setTransparentColor)
    Q_PROPERTY(QColor BgColor READ BgColor WRITE setBgColor)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Draw3dBorder READ Draw3dBorder WRITE setDraw3dBorder)
    Q_PROPERTY(bool ShowFocus READ ShowFocus WRITE setShowFocus)
    Q_PROPERTY(bool InvalidateOFF READ InvalidateOFF WRITE setInvalidateOFF)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE setPopupMenu)

public:
    explicit TEQBmpButton(QWidget* parent = nullptr);

    bool Pressed() const { return m_pressed; }
    // Ignored while the button is disabled.
    void setPressed(bool pressed);
    bool ToggleButton() const { return m_toggleButton; }
    void setToggleButton(bool toggle);
    QImage UpImage() const { return m_upImage; }
    void setUpImage(const QImage& image);
    QImage DownImage() const { return m_downImage; }
    void setDownImage(const QImage& image);
    QImage DisImage() const { return m_disImage; }
    void setDisImage(const QImage& image);
    QImage Glyph() const { return m_glyph; }
    void setGlyph(const QImage& image);
    QImage GlyphDown() const { return m_glyphDown; }
    void setGlyphDown(const QImage& image);
    int GlyphLeft() const { return m_glyphLeft; }
    void setGlyphLeft(int left);
    int GlyphTop() const { return m_glyphTop; }
    void setGlyphTop(int top);
    // Qt::AlignLeft or Qt::AlignRight.
    Qt::AlignmentFlag GlyphAlign() const { return m_glyphAlign; }
    void setGlyphAlign(Qt::AlignmentFlag align);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString CaptionDown() const { return m_captionDown; }
    void setCaptionDown(const QString& caption);
    bool UseTransparency() const { return m_useTransparency; }
    void setUseTransparency(bool use);
    QColor TransparentColor() const { return m_transparentColor; }
    void setTransparentColor(const QColor& color);
    QColor BgColor() const { return m_bgColor; }
    void setBgColor(const QColor& color);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);
    bool Draw3dBorder() const { return m_draw3dBorder; }
    void setDraw3dBorder(bool draw);
    bool ShowFocus() const { return m_showFocus; }
    void setShowFocus(bool show) { m_showFocus = show; }
    bool InvalidateOFF() const { return m_invalidateOff; }
    void setInvalidateOFF(bool off) { m_invalidateOff = off; }
    QMenu* PopupMenu() const { return m_popupMenu.menu(); }
    void setPopupMenu(QMenu* menu) { m_popupMenu.setMenu(menu); }

    // The face's inside for the current state: the whole button, or inside the 3-D frame.
    QRect insideRect() const;

    QSize sizeHint() const override;

signals:
    void OnClick();
    void OnDown();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // source: the widget the drag started from, null for a drag from another program.
    void OnDragOver(QObject* source, int x, int y, bool& accept);
    void OnDragDrop(QObject* source, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void offerDrag(QDragMoveEvent* event);
    void pointerLeft();
    void activateByKey();
    void repaintUnlessOff();
    void paintCaption(QPainter& painter, const QRect& inside, int glyphWidth) const;

    bool m_pressed = false;
    bool m_toggleButton = false;
    QImage m_upImage;
    QImage m_downImage;
    QImage m_disImage;
    QImage m_glyph;
    QImage m_glyphDown;
    int m_glyphLeft = 4;
    int m_glyphTop = 4;
    Qt::AlignmentFlag m_glyphAlign = Qt::AlignLeft;
    QString m_caption;
    QString m_captionDown;
    bool m_useTransparency = false;
    QColor m_transparentColor = QColor(0, 255, 0);
    QColor m_bgColor = Qt::black;
    bool m_stretch = false;
    bool m_draw3dBorder = false;
    bool m_showFocus = true;
    bool m_invalidateOff = false;
    bool m_captured = false;
    Mnemonic m_mnemonic{this, [this] { activateByKey(); }};
    PopupMenuSlot m_popupMenu;
};

} // namespace controls
