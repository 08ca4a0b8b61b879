#pragma once
// The skin's pictures: every named picture the controls draw (the button slices, the form's frame
// pieces, the slider parts, the meter's two pictures, the fader knobs) is a PNG in the Qt
// resources under :/skin, named <name>.png. Names are matched without regard to case, as the
// controls spell them differently ("botLeft", "Btnleft"). A missing picture gives a null image,
// which the controls leave out while drawing; the first miss of each name reaches the log.
//
// Each picture also comes drawn at twice the size, <name>@2x.png, for screens at 200%: asked for
// a device pixel ratio above 1, skinImage gives that one with a device pixel ratio of 2, so it
// covers the same logical size as the plain picture and a painter draws it sharp. Code that places
// or slices a picture works in logical units: logicalSize() for its extent, and source rectangles
// multiplied by its devicePixelRatio().
//
// Pictures are loaded on first use and kept for the life of the process. GUI thread only.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace controls {

// The picture of that name (ARGB, premultiplied) for a device of that pixel ratio, or a null image
// when there is none. Above 1 it is the @2x picture, or the plain one when that is missing (logged
// once).
QImage skinImage(const QString& name, qreal devicePixelRatio = 1);

// The size a picture covers when drawn, in logical pixels: its pixel size over its pixel ratio.
QSize logicalSize(const QImage& image);

// A transparent picture to compose on for a device of that pixel ratio: `size` logical pixels, as
// many device pixels as the ratio asks, so that a painter on it draws in logical units.
QImage deviceCanvas(QSize size, qreal devicePixelRatio);

// Every picture name the current folder holds, as the files spell them (the @2x pictures are
// the same names drawn larger and are not listed).
QStringList skinImageNames();

// Looks the pictures up in another folder from now on (an empty name: the resources again) and
// forgets what was loaded. Tests use it to take pictures away.
void setSkinFolder(const QString& folder);

} // namespace controls
