#include "platform/messaging/Messaging.h"

namespace platform {

bool isValidWindowClassName(const QString& className)
{
    const QByteArray utf8 = className.toUtf8();
    return !utf8.isEmpty() && utf8.size() <= kMaxClassNameBytes && !utf8.contains('\0');
}

bool captionMatches(const QString& caption, const QString& text, CaptionMatch match)
{
    switch (match) {
    case CaptionMatch::Equals:
        return caption == text;
    case CaptionMatch::Contains:
        return caption.contains(text, Qt::CaseSensitive);
    case CaptionMatch::BeginsWith:
        return caption.startsWith(text, Qt::CaseSensitive);
    }
    return false;
}

std::optional<FoundWindow> Messaging::findWindow(const QString& className, const QString& caption, CaptionMatch match)
{
    for (const WindowHandle& handle : windowsOfClass(className)) {
        std::optional<WindowInfo> info = queryWindow(handle);
        if (!info || info->className.compare(className, Qt::CaseInsensitive) != 0)
            continue;
        if (captionMatches(info->caption, caption, match))
            return FoundWindow{handle, *info};
    }
    return std::nullopt;
}

} // namespace platform
