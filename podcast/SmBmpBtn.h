#pragma once
// TSimpleBmpButton: a small picture button of the builder window (its own minimise and close
// buttons). It shows its up picture, its down picture while pressed (or while paused, as a toggle)
// and its disabled picture when Enabled is off. Enabled only chooses the picture: such a button
// still answers clicks, as the builder's title buttons always did.
#include <QAbstractButton>
#include <QImage>

namespace podcast {

class TSimpleBmpButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool PauseButton READ PauseButton WRITE setPauseButton)
    Q_PROPERTY(bool Paused READ Paused WRITE setPaused)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setPictureEnabled)
    Q_PROPERTY(QImage UpImage READ UpImage WRITE setUpImage)
    Q_PROPERTY(QImage DownImage READ DownImage WRITE setDownImage)
    Q_PROPERTY(QImage DisImage READ DisImage WRITE setDisImage)

public:
    enum class Picture { Up, Down, Disabled };

    explicit TSimpleBmpButton(QWidget* parent = nullptr);

    // Toggle mode: each click flips Paused. Changing the mode clears Paused.
    bool PauseButton() const { return isCheckable(); }
    void setPauseButton(bool toggle);
    // Always false outside toggle mode.
    bool Paused() const { return isChecked(); }
    void setPaused(bool paused);
    // False at creation.
    bool Enabled() const { return m_enabled; }
    void setPictureEnabled(bool enabled);
    QImage UpImage() const { return m_upImage; }
    void setUpImage(const QImage& image);
    QImage DownImage() const { return m_downImage; }
    void setDownImage(const QImage& image);
    QImage DisImage() const { return m_disImage; }
    void setDisImage(const QImage& image);

    // The picture drawn now.
    Picture shownPicture() const;
    QSize sizeHint() const override { return QSize(20, 20); }

signals:
    // After a press is released over the button (a toggle has flipped by then).
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_enabled = false;
    QImage m_upImage;
    QImage m_downImage;
    QImage m_disImage;
};

} // namespace podcast
