#include "platform/UrlOpener.h"

#include "platform/Log.h"

#include <QDesktopServices>

namespace platform {

bool DesktopUrlOpener::openUrl(const QUrl& url)
{
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        qCWarning(lcPlatform) << "no program opened" << url.toString();
    return opened;
}

} // namespace platform
