#include "platform/ui/HelpOpener.h"

#include "platform/ui/Interaction.h"
#include "platform/base/Log.h"
#include "platform/base/ProgramFolder.h"
#include "platform/ui/UrlOpener.h"

#include <QFileInfo>
#include <QUrl>

namespace platform {

QString helpPagePath(const QString& helpFile, int context)
{
    const QString book = QFileInfo(helpFile).completeBaseName();
    const QString page = context == 0 ? QStringLiteral("index.html") : QString::number(context) + QStringLiteral(".html");
    return programFile(QStringLiteral("help/") + book + QLatin1Char('/') + page);
}

HelpOpener::HelpOpener(UrlOpener& urls, Interaction& ui, QString caption)
    : m_urls(urls)
    , m_ui(ui)
    , m_caption(std::move(caption))
{
}

bool HelpOpener::showContext(const QString& helpFile, int context)
{
    const QString page = helpPagePath(helpFile, context);
    if (!QFileInfo(page).isFile()) {
        qCWarning(lcPlatform) << "help page missing:" << page;
        m_ui.messageBox(QStringLiteral("The help page \"%1\" could not be found. The help files may not be installed.").arg(page),
                        m_caption, MB_OK | MB_ICONERROR);
        return false;
    }
    return m_urls.openUrl(QUrl::fromLocalFile(page));
}

} // namespace platform
