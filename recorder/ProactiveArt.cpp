#include "recorder/ProactiveArt.h"

#include "controls/SkinImages.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace recorder {

namespace {

struct Tint {
    QColor top;
    QColor bottom;
    QColor symbol;
};

// Each road has its own hue; at rest the tile is pale, when highlighted it is lit.
int hueOf(WelcomeRoad road)
{
    return road == WelcomeRoad::RecordNew ? 4 : road == WelcomeRoad::OpenExisting ? 212 : 152;
}

Tint tintOf(WelcomeRoad road, bool up)
{
    const int hue = hueOf(road);
    if (up)
        return {QColor::fromHsv(hue, 150, 250), QColor::fromHsv(hue, 230, 170), Qt::white};
    return {QColor::fromHsv(hue, 18, 250), QColor::fromHsv(hue, 45, 222), QColor::fromHsv(hue, 120, 95)};
}

void drawTile(QPainter& p, const QRectF& box, const Tint& tint, bool up)
{
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, tint.top);
    fill.setColorAt(1, tint.bottom);
    const QRectF tile = box.adjusted(3, 3, -3, -3);
    p.setPen(QPen(up ? tint.bottom.darker(130) : tint.bottom.darker(115), 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(tile, 18, 18);
    // A soft sheen over the upper half.
    QLinearGradient sheen(tile.topLeft(), QPointF(tile.left(), tile.center().y()));
    sheen.setColorAt(0, QColor(255, 255, 255, up ? 90 : 140));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(tile.adjusted(2, 2, -2, -tile.height() / 2), 16, 16);
}

void drawMicrophone(QPainter& p, const QRectF& box, const Tint& tint)
{
    const QPointF c = box.center();
    const qreal s = box.width() / 88.0;
    QPen pen(tint.symbol, 5 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(Qt::NoPen);
    p.setBrush(tint.symbol);
    const QRectF capsule(c.x() - 11 * s, c.y() - 30 * s, 22 * s, 38 * s);
    p.drawRoundedRect(capsule, 11 * s, 11 * s);
    // Grille lines.
    p.setPen(QPen(tint.top, 2 * s, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = capsule.top() + (9 + 7 * i) * s;
        p.drawLine(QPointF(capsule.left() + 5 * s, y), QPointF(capsule.right() - 5 * s, y));
    }
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 19 * s, c.y() - 16 * s, 38 * s, 34 * s), 200 * 16, 140 * 16);
    p.drawLine(QPointF(c.x(), c.y() + 18 * s), QPointF(c.x(), c.y() + 27 * s));
    p.drawLine(QPointF(c.x() - 12 * s, c.y() + 28 * s), QPointF(c.x() + 12 * s, c.y() + 28 * s));
    // The record lamp.
    p.setPen(QPen(Qt::white, 2 * s));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(c.x() + 22 * s, c.y() - 22 * s), 8 * s, 8 * s);
}

void drawFolderWithFeed(QPainter& p, const QRectF& box, const Tint& tint)
{
    const QPointF c = box.center();
    const qreal s = box.width() / 88.0;
    QPainterPath folder;
    folder.moveTo(c.x() - 28 * s, c.y() - 16 * s);
    folder.lineTo(c.x() - 10 * s, c.y() - 16 * s);
    folder.lineTo(c.x() - 5 * s, c.y() - 10 * s);
    folder.lineTo(c.x() + 28 * s, c.y() - 10 * s);
    folder.lineTo(c.x() + 28 * s, c.y() + 22 * s);
    folder.lineTo(c.x() - 28 * s, c.y() + 22 * s);
    folder.closeSubpath();
    p.setPen(QPen(tint.symbol, 4 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(folder);
    // A feed's broadcast sign inside the folder.
    const QPointF origin(c.x() - 12 * s, c.y() + 14 * s);
    p.setBrush(tint.symbol);
    p.setPen(Qt::NoPen);
    p.drawEllipse(origin, 3.5 * s, 3.5 * s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(tint.symbol, 4 * s, Qt::SolidLine, Qt::RoundCap));
    for (const qreal r : {12.0, 22.0})
        p.drawArc(QRectF(origin.x() - r * s, origin.y() - r * s, 2 * r * s, 2 * r * s), 0, 90 * 16);
}

void drawWaveToPodcast(QPainter& p, const QRectF& box, const Tint& tint)
{
    const QPointF c = box.center();
    const qreal s = box.width() / 88.0;
    // The audio file's waveform on the left.
    p.setPen(QPen(tint.symbol, 4 * s, Qt::SolidLine, Qt::RoundCap));
    const qreal heights[] = {8, 18, 28, 14, 22, 10};
    for (int i = 0; i < 6; ++i) {
        const qreal x = c.x() - 31 * s + i * 7 * s;
        p.drawLine(QPointF(x, c.y() - heights[i] / 2 * s), QPointF(x, c.y() + heights[i] / 2 * s));
    }
    // An arrow to the podcast's broadcast waves on the right.
    p.setPen(QPen(tint.symbol, 3.5 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(c.x() + 6 * s, c.y()), QPointF(c.x() + 14 * s, c.y()));
    p.drawPolyline(QPolygonF({QPointF(c.x() + 10 * s, c.y() - 4 * s), QPointF(c.x() + 14 * s, c.y()),
                              QPointF(c.x() + 10 * s, c.y() + 4 * s)}));
    const QPointF dot(c.x() + 21 * s, c.y());
    p.setPen(Qt::NoPen);
    p.setBrush(tint.symbol);
    p.drawEllipse(dot, 3.5 * s, 3.5 * s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(tint.symbol, 3 * s, Qt::SolidLine, Qt::RoundCap));
    for (const qreal r : {8.0, 14.0})
        p.drawArc(QRectF(dot.x() - r * s, dot.y() - r * s, 2 * r * s, 2 * r * s), -50 * 16, 100 * 16);
}

} // namespace

QColor welcomeAccent(WelcomeRoad road)
{
    return QColor::fromHsv(hueOf(road), 220, 175);
}

QPixmap welcomeImage(WelcomeRoad road, bool up, qreal devicePixelRatio)
{
    const QSize size(kWelcomeImageSize, kWelcomeImageSize);
    QImage canvas = controls::deviceCanvas(size, devicePixelRatio);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(QPointF(0, 0), QSizeF(size));
    const Tint tint = tintOf(road, up);
    drawTile(p, box, tint, up);
    switch (road) {
    case WelcomeRoad::RecordNew:
        drawMicrophone(p, box, tint);
        break;
    case WelcomeRoad::OpenExisting:
        drawFolderWithFeed(p, box, tint);
        break;
    case WelcomeRoad::FromAudioFile:
        drawWaveToPodcast(p, box, tint);
        break;
    case WelcomeRoad::None:
        break;
    }
    p.end();
    return QPixmap::fromImage(canvas);
}

} // namespace recorder
