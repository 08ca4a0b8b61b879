#include "platform/ui/UrlOpener.h"

#include "platform/base/Log.h"

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
