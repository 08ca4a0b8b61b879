#include "common/HostFiles.h"

#include "platform/base/ProgramFolder.h"
#include "platform/settings/IniFile.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace common {

namespace {

QString programFileIfPresent(const QString& name)
{
    const QString path = platform::programFile(name);
    return QFileInfo(path).isFile() ? path : QString();
}

QString folderWithSeparator(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/vexal-audio/");
}

QString appDataFile(const QString& name)
{
    const QString folder = GetAppDataFolder();
    return folder.isEmpty() ? QString() : folder + name;
}

void appendSections(const QString& path, QStringList& names)
{
    if (path.isEmpty())
        return;
    const platform::IniFile file(path);
    names += file.sectionNames();
}

} // namespace

QString GetAppDataFolder()
{
    return folderWithSeparator(QStandardPaths::GenericConfigLocation);
}

QString GetLocalAppDataFolder()
{
    return folderWithSeparator(QStandardPaths::GenericDataLocation);
}

QString GetHostSettingsIniPath()
{
    return programFileIfPresent(QStringLiteral("HostSettings.ini"));
}

QString GetQuestionHelpIniPath()
{
    return programFileIfPresent(QStringLiteral("QuestionHelp.ini"));
}

QString GetCustomHostIniPath()
{
    return appDataFile(QStringLiteral("CustomHost.ini"));
}

QString GetHostInfoIniPath()
{
    return appDataFile(QStringLiteral("HostInfo.ini"));
}

void GetPredefinedHostNames(QStringList& names)
{
    appendSections(GetHostSettingsIniPath(), names);
}

void GetCustomHostNames(QStringList& names)
{
    appendSections(GetCustomHostIniPath(), names);
}

void GetAllHostNames(QStringList& names)
{
    GetPredefinedHostNames(names);
    GetCustomHostNames(names);
}

} // namespace common
