#pragma once
// Shortening a caption to the width it may take (the file tab buttons): the text is kept when it is
// narrower than the width; otherwise characters go from its end, two more after it fits, and "..."
// is appended. Characters keep being removed while the shortened text with "..." is still not
// narrower, so the result always fits; nothing fits in a width of 0 or less.

#include <QString>

#include <functional>

namespace controls {

// width(text) gives the pixel width of a text in the caption's font.
QString fitCaption(const QString& text, int available, const std::function<int(const QString&)>& width);

} // namespace controls
