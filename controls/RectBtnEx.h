#pragma once
// TQzv32RectBtnEx, the editor's file tab: a rectangular push or toggle button drawn from up, down
// and disabled pictures over a fill, with the file name as its caption, shortened with "..." to the
// width it has. Down is the logical state; the button is also drawn down while a press is held. A
// press released outside the button raises no OnClick and undoes a toggle. PopupMenu opens on a
// context-menu request.

#include "controls/PopupMenu.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QString>
#include <QWidget>

#include <optional>

namespace controls {

class TQzv32RectBtnEx : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int CaptionLeftPos READ CaptionLeftPos WRITE setCaptionLeftPos)
    Q_PROPERTY(int CaptionTopPos READ CaptionTopPos WRITE setCaptionTopPos)
    Q_PROPERTY(bool OptimalCaption READ OptimalCaption WRITE setOptimalCaption)
    Q_PROPERTY(QColor ButtonUpCaptionColor READ ButtonUpCaptionColor WRITE setButtonUpCaptionColor)
    Q_PROPERTY(QColor ButtonDownCaptionColor READ ButtonDownCaptionColor WRITE setButtonDownCaptionColor)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QColor DownColor READ DownColor WRITE setDownColor)
    Q_PROPERTY(QImage UpImage READ UpImage WRITE setUpImage)
    Q_PROPERTY(QImage DownImage READ DownImage WRITE setDownImage)
    Q_PROPERTY(QImage DisabledImage READ DisabledImage WRITE setDisabledImage)
    Q_PROPERTY(int ImageLeftPos READ ImageLeftPos WRITE setImageLeftPos)
    Q_PROPERTY(bool DrawBorder READ DrawBorder WRITE setDrawBorder)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(bool Down READ Down WRITE setDown)
    Q_PROPERTY(bool ToggleButton READ ToggleButton WRITE setToggleButton)
    Q_PROPERTY(bool CanChangeState READ CanChangeState WRITE setCanChangeState)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE setPopupMenu)

public:
    explicit TQzv32RectBtnEx(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    int CaptionLeftPos() const { return m_captionLeftPos; }
    void setCaptionLeftPos(int left);
    int CaptionTopPos() const { return m_captionTopPos; }
    void setCaptionTopPos(int top);
    bool OptimalCaption() const { return m_optimalCaption; }
    void setOptimalCaption(bool optimal);
    // The caption colours: the owner's once set; until then white up and blue down, each moved
    // toward black or white as far as the fill under it needs for the caption to stay readable.
    QColor ButtonUpCaptionColor() const;
    void setButtonUpCaptionColor(const QColor& color);
    QColor ButtonDownCaptionColor() const;
    void setButtonDownCaptionColor(const QColor& color);
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    QColor DownColor() const { return m_downColor; }
    void setDownColor(const QColor& color);
    QImage UpImage() const { return m_upImage; }
    void setUpImage(const QImage& image);
    QImage DownImage() const { return m_downImage; }
    void setDownImage(const QImage& image);
    QImage DisabledImage() const { return m_disabledImage; }
    void setDisabledImage(const QImage& image);
    int ImageLeftPos() const { return m_imageLeftPos; }
    void setImageLeftPos(int left);
    bool DrawBorder() const { return m_drawBorder; }
    void setDrawBorder(bool draw);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width) { m_borderWidth = width; }
    bool Down() const { return m_down; }
    // Brings the drawn state in step with v (a repaint only when it differed).
    void setDown(bool down);
    bool ToggleButton() const { return m_toggleButton; }
    void setToggleButton(bool toggle);
    bool CanChangeState() const { return m_canChangeState; }
    void setCanChangeState(bool can);
    QMenu* PopupMenu() const { return m_popupMenu.menu(); }
    void setPopupMenu(QMenu* menu) { m_popupMenu.setMenu(menu); }

    // The button is drawn up (not pressed and not Down).
    bool drawnUp() const { return m_drawnUp; }
    // The caption as it is drawn: shortened to the width it has when OptimalCaption is on.
    QString shownCaption() const;

    QSize sizeHint() const override;

signals:
    void OnClick();
    void OnMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_caption;
    int m_captionLeftPos = 2;
    int m_captionTopPos = 2;
    bool m_optimalCaption = true;
    std::optional<QColor> m_upCaptionColor;
    std::optional<QColor> m_downCaptionColor;
    QColor m_color;
    QColor m_downColor;
    QImage m_upImage;
    QImage m_downImage;
    QImage m_disabledImage;
    int m_imageLeftPos = 0;
    bool m_drawBorder = false;
    int m_borderWidth = 2;
    bool m_down = false;
    bool m_toggleButton = false;
    bool m_canChangeState = true;
    bool m_drawnUp = true;
    PopupMenuSlot m_popupMenu;
};

} // namespace controls
