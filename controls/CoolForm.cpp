#include "controls/CoolForm.h"

#include "controls/SkinGeometry.h"
#include "controls/SkinImages.h"

#include <QPainter>
#include <QResizeEvent>

namespace controls {

namespace {

// The skin's picture names, in the order of FormPiece.
constexpr const char* kPieceNames[int(FormPiece::Count)] = {
    "center", "top", "bot", "left", "right", "topleft", "botLeft", "topright", "botRight",
};

} // namespace

TCoolForm::TCoolForm(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_background = composeBackground(size(), palette().color(QPalette::Window), devicePixelRatioF());
}

QImage TCoolForm::composeBackground(QSize size, const QColor& base, qreal devicePixelRatio)
{
    if (size.isEmpty())
        return {};
    QImage pieces[int(FormPiece::Count)];
    FormPieceSizes sizes;
    for (int i = 0; i < int(FormPiece::Count); ++i) {
        pieces[i] = skinImage(QString::fromLatin1(kPieceNames[i]), devicePixelRatio);
        sizes.sizes[i] = logicalSize(pieces[i]);
    }
    QImage background = deviceCanvas(size, devicePixelRatio);
    background.fill(base);
    QPainter painter(&background);
    for (const FormPlacement& placement : formSkinLayout(size, sizes))
        painter.drawImage(placement.at, pieces[int(placement.piece)]);
    return background;
}

void TCoolForm::resizeEvent(QResizeEvent* event)
{
    m_background = composeBackground(event->size(), palette().color(QPalette::Window), devicePixelRatioF());
    QWidget::resizeEvent(event);
    update();
}

void TCoolForm::paintEvent(QPaintEvent* event)
{
    // Moved to a screen of another pixel ratio: composed again for that one.
    if (!m_background.isNull() && m_background.devicePixelRatio() != devicePixelRatioF())
        m_background = composeBackground(size(), palette().color(QPalette::Window), devicePixelRatioF());
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        return;
    }
    // The source is in the background's device pixels.
    const QRect area = event->rect();
    const qreal ratio = m_background.devicePixelRatio();
    painter.drawImage(area, m_background, QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
}

} // namespace controls
