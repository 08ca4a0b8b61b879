#include "controls/EQGroupBox.h"

#include <QEvent>
#include <QPainter>

namespace controls {

namespace {

const QColor kLightEdge(0xF0, 0xF0, 0xF0);

} // namespace

TEQGroupBox::TEQGroupBox(QWidget* parent)
    : QWidget(parent)
{
    resize(185, 105);
    updateClientArea();
}

QSize TEQGroupBox::sizeHint() const
{
    return QSize(185, 105);
}

void TEQGroupBox::setBackPicture(const QImage& picture)
{
    m_backPicture = picture;
    update();
}

void TEQGroupBox::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_mnemonic.setCaption(caption);
    updateClientArea();
    update();
}

void TEQGroupBox::setCtl3D(bool ctl3D)
{
    if (ctl3D == m_ctl3D)
        return;
    m_ctl3D = ctl3D;
    updateClientArea();
    update();
}

void TEQGroupBox::updateClientArea()
{
    // Below the caption's line: the height of a line of text in the box's font.
    const int inset = m_ctl3D ? 2 : 1;
    const int captionHeight = QFontMetrics(font()).height();
    setContentsMargins(inset, captionHeight + inset, inset, inset);
}

void TEQGroupBox::focusFirstChild()
{
    if (!isEnabled() || !isVisible())
        return;
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->isVisible() && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
            child->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void TEQGroupBox::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateClientArea();
}

void TEQGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    if (box.isEmpty())
        return;
    if (!m_backPicture.isNull())
        painter.drawImage(box, m_backPicture);
    if (!m_caption.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(2, 2, box.width() - 2, box.height() - 2), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic,
                         m_caption);
    }
    painter.fillRect(QRect(0, 0, 2, box.height()), kLightEdge);
    painter.fillRect(QRect(0, 0, box.width(), 2), kLightEdge);
    // The dark edge lies just outside the picture, in the column and row it leaves free.
    const QColor dark = palette().color(QPalette::Shadow);
    painter.fillRect(QRect(width() - 1, 0, 1, height()), dark);
    painter.fillRect(QRect(0, height() - 1, width(), 1), dark);
}

} // namespace controls
