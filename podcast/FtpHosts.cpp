#include "podcast/FtpHosts.h"

#include "common/HostFiles.h"
#include "common/WebLink.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "podcast/Log.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace podcast {

namespace {

// Keys of the host files, spelled as the files have always spelled them.
const QString kFTPAddress = QStringLiteral("FTPAddress");
const QString kWebsiteLink = QStringLiteral("WebsiteLink");
const QString kLoginName = QStringLiteral("loginname");
const QString kUserName = QStringLiteral("username");
const QString kPassword = QStringLiteral("Password");
const QString kPortNo = QStringLiteral("PortNo");
const QString kHasUserName = QStringLiteral("HasUserName");
const QString kHasLoginName = QStringLiteral("HasLoginName");
const QString kHostWebsiteTemplate = QStringLiteral("HostWebsiteTemplate");
const QString kLoginNameTemplate = QStringLiteral("LoginNameTemplate");
const QString kAddNewHost = QStringLiteral("AddNewHost");

QString enterYourHost()
{
    return QString::fromLatin1(kEnterYourHost);
}

QString passwordKey()
{
    return QString::fromLatin1(common::kHostPasswordKey);
}

bool containsName(const QStringList& names, const QString& name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

// The sections a host list may show: each name once, none that the files cannot hold.
QStringList soundSections(const QString& path, const QStringList& taken = {})
{
    QStringList names;
    if (path.isEmpty())
        return names;
    const platform::IniFile file(path);
    for (const QString& section : file.sectionNames()) {
        if (!FtpHosts::hostNameProblem(section).isEmpty() || section.compare(enterYourHost(), Qt::CaseInsensitive) == 0
            || containsName(names, section) || containsName(taken, section)) {
            qCInfo(lcPodcast) << "host file" << path << ": section" << section << "is not listed";
            continue;
        }
        names.append(section);
    }
    return names;
}

// The user's host files hold passwords: readable by the user alone, also when an older file was
// made with wider permissions. The file exists afterwards, so the atomic replacement keeps its mode.
bool makeOwnerOnly(const QString& path, QString* errorText)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (errorText)
            *errorText = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EEXIST && ::chmod(name.constData(), 0600) == 0)
        return true;
    if (errorText)
        *errorText =
            QStringLiteral("cannot make %1 private: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool fail(const QString& text, QString* errorText)
{
    qCWarning(lcPodcast) << text;
    if (errorText)
        *errorText = text;
    return false;
}

void clearTemplates(PodcastRecord& record)
{
    record.HasUserName = 0;
    record.HasLoginName = 0;
    record.HostWebsiteTemplate.clear();
    record.LoginNameTemplate.clear();
}

} // namespace

quint16 portOrDefault(qint64 value)
{
    return value >= 1 && value <= 65535 ? quint16(value) : kDefaultFtpPort;
}

FtpHostFiles FtpHostFiles::standard()
{
    return {common::GetHostSettingsIniPath(), common::GetCustomHostIniPath(), common::GetHostInfoIniPath()};
}

FtpHosts::FtpHosts(FtpHostFiles files) : m_files(std::move(files)) {}

QStringList FtpHosts::predefinedNames() const
{
    return soundSections(m_files.predefined);
}

QStringList FtpHosts::customNames() const
{
    return soundSections(m_files.custom, predefinedNames());
}

QStringList FtpHosts::hostRows() const
{
    const QStringList predefined = predefinedNames();
    QStringList rows = predefined + soundSections(m_files.custom, predefined);
    // Without predefined hosts the user could otherwise never enter one.
    bool addNewHost = predefined.isEmpty();
    if (!addNewHost) {
        const platform::IniFile file(m_files.predefined);
        addNewHost = file.readBool(predefined.front(), kAddNewHost, false);
    }
    if (addNewHost)
        rows.append(enterYourHost());
    return rows;
}

FtpHostType FtpHosts::UpdateHostType(const QString& name) const
{
    if (name.isEmpty() || name == enterYourHost())
        return FtpHostType::None;
    if (containsName(predefinedNames(), name))
        return FtpHostType::Predefined;
    if (containsName(customNames(), name))
        return FtpHostType::Custom;
    return FtpHostType::None;
}

void FtpHosts::UpdateHostInformation(PodcastRecord& record, const QString& name) const
{
    record.HostType = UpdateHostType(name);
    if (name == enterYourHost()) {
        record.HostName.clear();
        record.HostType = FtpHostType::None;
        record.FTPAddress.clear();
        record.WebsiteLink.clear();
        record.LoginName.clear();
        record.Password.clear();
        record.UploadPath.clear();
        record.PortNo = kDefaultFtpPort;
        clearTemplates(record);
        return;
    }
    record.HostName = name;
    GetHostInfo(record);
}

void FtpHosts::GetHostInfo(PodcastRecord& record) const
{
    const QString& name = record.HostName;
    switch (record.HostType) {
    case FtpHostType::Custom: {
        const platform::IniFile file(m_files.custom);
        record.FTPAddress = file.readString(name, kFTPAddress);
        record.WebsiteLink = file.readString(name, kWebsiteLink);
        record.LoginName = file.readString(name, kLoginName);
        record.Password = common::HexXorDecode(file.readString(name, kPassword), passwordKey());
        record.PortNo = portOrDefault(file.readInteger(name, kPortNo, kDefaultFtpPort));
        record.UserName.clear();
        clearTemplates(record);
        return;
    }
    case FtpHostType::Predefined: {
        if (m_files.predefined.isEmpty()) {
            record.FTPAddress.clear();
            clearTemplates(record);
        } else {
            const platform::IniFile host(m_files.predefined);
            record.FTPAddress = host.readString(name, kFTPAddress);
            record.HasUserName = host.readInteger(name, kHasUserName, 0) != 0 ? 1 : 0;
            record.HasLoginName = host.readInteger(name, kHasLoginName, 0) != 0 ? 1 : 0;
            record.HostWebsiteTemplate = host.readString(name, kHostWebsiteTemplate);
            record.LoginNameTemplate = host.readString(name, kLoginNameTemplate);
        }
        const platform::IniFile account(m_files.accounts);
        record.UserName = account.readString(name, kUserName);
        record.LoginName = account.readString(name, kLoginName);
        record.Password = common::HexXorDecode(account.readString(name, kPassword), passwordKey());
        record.PortNo = portOrDefault(account.readInteger(name, kPortNo, kDefaultFtpPort));
        applyUserName(record);
        return;
    }
    case FtpHostType::None:
        return;
    }
}

void FtpHosts::applyUserName(PodcastRecord& record)
{
    const QString marker = QString::fromLatin1(kUserNameMarker);
    const bool derivedLogin = record.HasLoginName == 0;
    if (record.HasUserName == 0) {
        record.WebsiteLink = record.HostWebsiteTemplate;
        if (derivedLogin)
            record.LoginName = record.LoginNameTemplate;
        return;
    }
    const QString user = record.UserName.trimmed();
    if (user.isEmpty()) {
        record.WebsiteLink.clear();
        if (derivedLogin)
            record.LoginName.clear();
        return;
    }
    record.WebsiteLink = QString(record.HostWebsiteTemplate).replace(marker, user, Qt::CaseInsensitive);
    if (derivedLogin)
        record.LoginName = QString(record.LoginNameTemplate).replace(marker, user, Qt::CaseInsensitive);
}

QString FtpHosts::hostNameProblem(const QString& name)
{
    if (name.trimmed() != name)
        return QStringLiteral("blanks at either end");
    return platform::IniDocument::entryProblem(name, kFTPAddress, QString());
}

bool FtpHosts::SaveHostInformation(const PodcastRecord& record, QString* errorText) const
{
    const QString& name = record.HostName;
    if (name.isEmpty() || name == enterYourHost())
        return fail(QStringLiteral("a host without a name is not saved"), errorText);
    if (const QString problem = hostNameProblem(name); !problem.isEmpty())
        return fail(QStringLiteral("host name \"%1\" cannot be stored: %2").arg(name, problem), errorText);
    const bool predefined = record.HostType == FtpHostType::Predefined;
    const QString path = predefined ? m_files.accounts : m_files.custom;
    if (path.isEmpty())
        return fail(QStringLiteral("no folder for the user's host files"), errorText);
    QString why;
    if (!makeOwnerOnly(path, &why))
        return fail(why, errorText);
    const QString password = common::HexXorEncode(record.Password, passwordKey());
    const QString port = QString::number(record.PortNo == 0 ? kDefaultFtpPort : record.PortNo);
    QList<std::pair<QString, QString>> values;
    if (predefined)
        values = {{kUserName, record.UserName}, {kLoginName, record.LoginName}, {kPassword, password}, {kPortNo, port}};
    else
        values = {{kFTPAddress, record.FTPAddress},
                  {kWebsiteLink, record.WebsiteLink},
                  {kLoginName, record.LoginName},
                  {kPassword, password},
                  {kPortNo, port}};
    platform::IniFile file(path);
    if (!file.writeStrings(name, values))
        return fail(QStringLiteral("cannot write host \"%1\" into %2").arg(name, path), errorText);
    return true;
}

bool FtpHosts::removeCustomHost(const QString& name, QString* errorText) const
{
    if (m_files.custom.isEmpty())
        return fail(QStringLiteral("no folder for the user's host files"), errorText);
    platform::IniFile file(m_files.custom);
    if (!file.sectionExists(name))
        return true;
    QString why;
    if (!makeOwnerOnly(m_files.custom, &why))
        return fail(why, errorText);
    // A hand-edited file may list the host twice; the second entry would come back otherwise.
    while (file.sectionExists(name)) {
        if (!file.eraseSection(name))
            return fail(QStringLiteral("cannot remove host \"%1\" from %2").arg(name, m_files.custom), errorText);
    }
    return true;
}

} // namespace podcast
