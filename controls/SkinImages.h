#pragma once
// The skin's pictures: every named picture the controls draw (the button slices, the form's frame
// pieces, the slider parts, the meter's two pictures, the fader knobs) is a PNG in the Qt
// resources under :/skin, named <name>.png. Names are matched without regard to case, as the
// controls spell them differently ("botLeft", "Btnleft"). A missing picture gives a null image,
// which the controls leave out while drawing; the first miss of each name reaches the log.
//
// Pictures are loaded on first use and kept for the life of the process. GUI thread only.

#include <QImage>
#include <QString>
#include <QStringList>

namespace controls {

// The picture of that name (ARGB, premultiplied), or a null image when there is none.
QImage skinImage(const QString& name);

// Every picture name the current folder holds, as the files spell them.
QStringList skinImageNames();

// Looks the pictures up in another folder from now on (an empty name: the resources again) and
// forgets what was loaded. Tests use it to take pictures away.
void setSkinFolder(const QString& folder);

} // namespace controls
