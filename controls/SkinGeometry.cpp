#include "controls/SkinGeometry.h"

#include "platform/base/Rounding.h"

#include <QPainter>

#include <algorithm>

namespace controls {

SliceSpans buttonSliceSpans(int clientWidth, int leftSliceWidth, int rightSliceWidth)
{
    SliceSpans spans;
    const int width = std::max(clientWidth, 0);
    const int half = int(platform::divRoundHalfEven(width, 2));
    spans.width = width;
    spans.leftEnd = std::min(half, std::max(leftSliceWidth, 0));
    spans.rightStart = std::max(width - half, width - std::max(rightSliceWidth, 0));
    return spans;
}

std::vector<Band> threeBands(int imageHeight, int areaHeight)
{
    if (imageHeight <= 0 || areaHeight <= 0)
        return {};
    const int top = imageHeight / 2 - 1;
    const int middle = imageHeight % 2 == 0 ? 2 : 3;
    const int bottom = imageHeight - top - middle;
    if (top < 1 || bottom < 0 || areaHeight < top + bottom)
        return {Band{0, imageHeight, 0, areaHeight}};
    std::vector<Band> bands{Band{0, top, 0, top}};
    if (areaHeight > top + bottom)
        bands.push_back(Band{top, middle, top, areaHeight - top - bottom});
    if (bottom > 0)
        bands.push_back(Band{top + middle, bottom, areaHeight - bottom, bottom});
    return bands;
}

void drawThreeBands(QPainter& painter, const QRect& area, const QImage& image)
{
    if (image.isNull() || area.width() <= 0)
        return;
    // The bands are in logical rows; a picture drawn for a higher pixel ratio has that many more
    // pixel rows in each.
    const qreal ratio = image.devicePixelRatio();
    const int logicalHeight = int(image.deviceIndependentSize().height());
    for (const Band& band : threeBands(logicalHeight, area.height())) {
        const QRect target(area.left(), area.top() + band.targetTop, area.width(), band.targetRows);
        const QRectF source(0, band.sourceTop * ratio, image.width(), band.sourceRows * ratio);
        painter.drawImage(target, image, source);
    }
}

int tileCount(int length, int tile)
{
    if (length <= 0 || tile <= 0)
        return 0;
    return (length + tile - 1) / tile;
}

std::vector<FormPlacement> formSkinLayout(QSize client, const FormPieceSizes& sizes)
{
    std::vector<FormPlacement> placements;
    const int width = client.width();
    const int height = client.height();
    if (width <= 0 || height <= 0)
        return placements;
    auto usable = [&](FormPiece piece) { return !sizes[piece].isEmpty(); };

    if (usable(FormPiece::Center)) {
        const QSize tile = sizes[FormPiece::Center];
        for (int row = 0; row < tileCount(height, tile.height()); ++row) {
            for (int column = 0; column < tileCount(width, tile.width()); ++column)
                placements.push_back({FormPiece::Center, QPoint(column * tile.width(), row * tile.height())});
        }
    }
    for (const FormPiece piece : {FormPiece::Top, FormPiece::Bot}) {
        if (!usable(piece))
            continue;
        const QSize tile = sizes[piece];
        const int y = piece == FormPiece::Top ? 0 : height - tile.height();
        for (int i = 0; i < tileCount(width, tile.width()); ++i)
            placements.push_back({piece, QPoint(i * tile.width(), y)});
    }
    for (const FormPiece piece : {FormPiece::Left, FormPiece::Right}) {
        if (!usable(piece))
            continue;
        const QSize tile = sizes[piece];
        const int x = piece == FormPiece::Left ? 0 : width - tile.width();
        for (int i = 0; i < tileCount(height, tile.height()); ++i)
            placements.push_back({piece, QPoint(x, i * tile.height())});
    }
    if (usable(FormPiece::TopLeft))
        placements.push_back({FormPiece::TopLeft, QPoint(0, 0)});
    if (usable(FormPiece::BotLeft))
        placements.push_back({FormPiece::BotLeft, QPoint(0, height - sizes[FormPiece::BotLeft].height())});
    if (usable(FormPiece::TopRight))
        placements.push_back({FormPiece::TopRight, QPoint(width - sizes[FormPiece::TopRight].width(), 0)});
    if (usable(FormPiece::BotRight)) {
        const QSize size = sizes[FormPiece::BotRight];
        placements.push_back({FormPiece::BotRight, QPoint(width - size.width(), height - size.height())});
    }
    return placements;
}

int shadeGrey(int red, int green, int blue, int percent)
{
    const int p = std::clamp(percent, 0, 100);
    const int k = p * (765 - red - green - blue) / 300;
    return k > 14 ? 255 - k : 240;
}

QImage shadedImage(const QImage& image, int percent)
{
    if (image.isNull())
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = shadeGrey(qRed(pixel), qGreen(pixel), qBlue(pixel), percent);
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel));
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage withTransparentColor(const QImage& image, const QColor& key)
{
    if (image.isNull())
        return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb match = key.rgb() & RGB_MASK;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & RGB_MASK) == match && qAlpha(line[x]) == 255)
                line[x] = 0;
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage transparentImage(const QImage& image)
{
    if (image.isNull() || image.hasAlphaChannel())
        return image;
    return withTransparentColor(image, image.pixelColor(0, image.height() - 1));
}

} // namespace controls

namespace controls {

void drawFocusRectangle(QPainter& painter, const QRect& rect)
{
    if (rect.width() < 2 || rect.height() < 2)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x3B, 0x4A, 0x5C), 1, Qt::DotLine, Qt::SquareCap, Qt::MiterJoin));
    // Through the middles of the edge pixels, so that at any pixel ratio the line covers the
    // rectangle's outer pixels exactly (a line along integer coordinates straddles two device
    // pixels at 200% and leaves the last column and row bare).
    painter.drawRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

} // namespace controls
