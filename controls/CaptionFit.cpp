#include "controls/CaptionFit.h"

namespace controls {

namespace {

// Removes the last character, keeping a surrogate pair whole.
void chopCharacter(QString& text)
{
    if (text.isEmpty())
        return;
    const int cut = text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate() ? 2 : 1;
    text.chop(cut);
}

} // namespace

QString fitCaption(const QString& text, int available, const std::function<int(const QString&)>& width)
{
    if (available <= 0)
        return {};
    if (width(text) < available)
        return text;
    QString kept = text;
    while (!kept.isEmpty() && width(kept) >= available)
        chopCharacter(kept);
    chopCharacter(kept);
    chopCharacter(kept);
    const QString ellipsis = QStringLiteral("...");
    while (width(kept + ellipsis) >= available) {
        if (kept.isEmpty())
            return {};
        chopCharacter(kept);
    }
    return kept + ellipsis;
}

} // namespace controls
