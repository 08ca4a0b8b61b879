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
    m_background = composeBackground(size(), palette().color(QPalette::Window));
}

QImage TCoolForm::composeBackground(QSize size, const QColor& base)
{
    if (size.isEmpty())
        return {};
    QImage pieces[int(FormPiece::Count)];
    FormPieceSizes sizes;
    for (int i = 0; i < int(FormPiece::Count); ++i) {
        pieces[i] = skinImage(QString::fromLatin1(kPieceNames[i]));
        sizes.sizes[i] = pieces[i].size();
    }
    QImage background(size, QImage::Format_ARGB32_Premultiplied);
    background.fill(base);
    QPainter painter(&background);
    for (const FormPlacement& placement : formSkinLayout(size, sizes))
        painter.drawImage(placement.at, pieces[int(placement.piece)]);
    return background;
}

void TCoolForm::resizeEvent(QResizeEvent* event)
{
    m_background = composeBackground(event->size(), palette().color(QPalette::Window));
    QWidget::resizeEvent(event);
    update();
}

void TCoolForm::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        return;
    }
    painter.drawImage(event->rect().topLeft(), m_background, event->rect());
}

} // namespace controls
