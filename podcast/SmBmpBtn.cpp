#include "podcast/SmBmpBtn.h"

#include <QPainter>

namespace podcast {

TSimpleBmpButton::TSimpleBmpButton(QWidget* parent) : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("SimpleBmpButton"));
    resize(20, 20);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &TSimpleBmpButton::OnClick);
    connect(this, &QAbstractButton::toggled, this, [this] { update(); });
}

void TSimpleBmpButton::setPauseButton(bool toggle)
{
    if (toggle == isCheckable())
        return;
    setChecked(false);
    setCheckable(toggle);
    update();
}

void TSimpleBmpButton::setPaused(bool paused)
{
    // A button that is not a toggle ignores this and stays unpaused.
    setChecked(paused);
}

void TSimpleBmpButton::setPictureEnabled(bool enabled)
{
    m_enabled = enabled;
    update();
}

void TSimpleBmpButton::setUpImage(const QImage& image)
{
    m_upImage = image;
    update();
}

void TSimpleBmpButton::setDownImage(const QImage& image)
{
    m_downImage = image;
    update();
}

void TSimpleBmpButton::setDisImage(const QImage& image)
{
    m_disImage = image;
    update();
}

TSimpleBmpButton::Picture TSimpleBmpButton::shownPicture() const
{
    if (!m_enabled)
        return Picture::Disabled;
    return isDown() || isChecked() ? Picture::Down : Picture::Up;
}

void TSimpleBmpButton::paintEvent(QPaintEvent*)
{
    const QImage* image = &m_upImage;
    switch (shownPicture()) {
    case Picture::Disabled:
        image = &m_disImage;
        break;
    case Picture::Down:
        image = &m_downImage;
        break;
    case Picture::Up:
        break;
    }
    if (image->isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), *image);
}

} // namespace podcast
