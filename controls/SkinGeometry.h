#pragma once
// How the skinned controls compose their pictures, apart from any widget: the three slices of a
// button, the three bands a slice is stretched in, the tiles of a skinned form's background, the
// grey of disabled text and glyphs, and pictures with a transparent colour. Every function accepts
// any size (0, negative, a missing picture) and then places nothing.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

class QPainter;

namespace controls {

// Horizontal spans [x, x + width) of a button's left, centre and right slices in a client area of
// the given width. Each end takes at most half the width (rounded) and at most its picture's width;
// the centre takes what lies between (nothing when the ends meet).
struct SliceSpans {
    int leftEnd = 0;    // the left slice covers [0, leftEnd)
    int rightStart = 0; // the right slice covers [rightStart, width)
    int width = 0;
    int centreWidth() const { return rightStart > leftEnd ? rightStart - leftEnd : 0; }
};
SliceSpans buttonSliceSpans(int clientWidth, int leftSliceWidth, int rightSliceWidth);

// One horizontal band of a picture stretched into a target: source rows [sourceTop, sourceTop +
// sourceRows) drawn over target rows [targetTop, targetTop + targetRows).
struct Band {
    int sourceTop = 0;
    int sourceRows = 0;
    int targetTop = 0;
    int targetRows = 0;
    bool operator==(const Band&) const = default;
};
// A slice picture of imageHeight rows drawn into areaHeight rows: its top (h div 2 - 1 rows) and
// its bottom keep their height, its middle 2 rows (3 for an odd height) stretch over the rest.
// A picture too short for that (fewer than 4 rows) or an area shorter than top and bottom together
// is stretched whole. Empty for an empty picture or area.
std::vector<Band> threeBands(int imageHeight, int areaHeight);
// Draws a picture into an area band by band, each band stretched to the area's width. The bands
// are taken from the picture's logical height, so a picture for a higher pixel ratio is cut in the
// same places.
void drawThreeBands(QPainter& painter, const QRect& area, const QImage& image);

// How many tiles of length `tile` cover `length`: ceil(length / tile); 0 when either is not positive.
int tileCount(int length, int tile);

// The nine pieces of a skinned form's background, in the order they are drawn.
enum class FormPiece { Center, Top, Bot, Left, Right, TopLeft, BotLeft, TopRight, BotRight, Count };
struct FormPieceSizes {
    QSize sizes[int(FormPiece::Count)];
    QSize& operator[](FormPiece piece) { return sizes[int(piece)]; }
    const QSize& operator[](FormPiece piece) const { return sizes[int(piece)]; }
};
struct FormPlacement {
    FormPiece piece;
    QPoint at;
};
// Where the pieces go for a client area: the centre tiled over everything, the edges tiled along
// their sides, the corners last. A piece with an empty size is left out.
std::vector<FormPlacement> formSkinLayout(QSize client, const FormPieceSizes& sizes);

// The grey level that the shade rule gives a colour at percent (0 to 100):
// k = percent x (765 - r - g - b) div 300, then 255 - k when k > 14, else 240.
int shadeGrey(int red, int green, int blue, int percent);
// Every pixel turned to its shade-rule grey, keeping its alpha.
QImage shadedImage(const QImage& image, int percent);

// The picture with every pixel of colour `key` made transparent.
QImage withTransparentColor(const QImage& image, const QColor& key);
// A picture to draw transparently: one with an alpha channel as it is, otherwise with the colour of
// its bottom-left pixel made transparent, the way bitmaps without alpha mark their background.
QImage transparentImage(const QImage& image);

} // namespace controls

namespace controls {

// The focus rectangle of the skinned controls: a dotted one-pixel line just inside the rectangle.
void drawFocusRectangle(QPainter& painter, const QRect& rect);

} // namespace controls
