#include "platform/base/ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace platform {

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

QString programFile(const QString& name)
{
    return programFolder() + QLatin1Char('/') + name;
}

ProgramFolderOverride::ProgramFolderOverride(const QString& folder)
    : m_previous(overrideFolder())
{
    overrideFolder() = folder;
}

ProgramFolderOverride::~ProgramFolderOverride()
{
    overrideFolder() = m_previous;
}

} // namespace platform
