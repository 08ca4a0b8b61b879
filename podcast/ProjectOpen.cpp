#include "podcast/ProjectOpen.h"

#include "platform/settings/TextDecoding.h"
#include "podcast/FeedProject.h"
#include "podcast/FeedReader.h"
#include "podcast/Log.h"
#include "podcast/ProjectFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>

namespace podcast {

namespace {

// A link file is a few bytes; anything larger is not one.
constexpr qint64 kMaxLinkFileSize = 64 * 1024;

QString withLastThreeReplaced(const QString& path, const QString& replacement)
{
    return path.chopped(qMin<qsizetype>(3, path.size())) + replacement;
}

// Builds a new version of target under its ".Tmp" sibling and renames it over target only when
// the build succeeded; a failure removes the half-built file and leaves target as it was.
int replaceWhole(const QString& target, const std::function<int(const QString& newPath)>& build)
{
    const QString newPath = withLastThreeReplaced(target, QStringLiteral("Tmp"));
    // A file left by an earlier attempt would be merged into, not replaced.
    if (QFileInfo::exists(newPath) && !QFile::remove(newPath)) {
        qCWarning(lcPodcast) << "cannot remove the stale" << newPath;
        return PdiCannotCreate;
    }
    const int result = build(newPath);
    if (result != PdiOk) {
        QFile::remove(newPath);
        return result;
    }
    if (std::rename(QFile::encodeName(newPath).constData(), QFile::encodeName(target).constData()) != 0) {
        qCWarning(lcPodcast) << "cannot put" << newPath << "in place of" << target;
        QFile::remove(newPath);
        return PdiCannotCreate;
    }
    return PdiOk;
}

// The feed named by a link file's "[Feed File]=path" line; empty when there is none.
QString linkedFeedPath(const QString& linkPath)
{
    QFile file(linkPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLinkFileSize)
        return {};
    const QString text = platform::decodeUtf8OrWindows1252(file.readAll());
    static const QString name = QStringLiteral("[Feed File]");
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (!line.startsWith(name, Qt::CaseInsensitive))
            continue;
        const QString rest = line.mid(name.size()).trimmed();
        if (rest.startsWith(QLatin1Char('=')))
            return rest.mid(1).trimmed();
    }
    return {};
}

int openLinkFile(const QString& linkPath)
{
    const QString feedPath = linkedFeedPath(linkPath);
    if (feedPath.isEmpty() || !QFileInfo(feedPath).isFile()) {
        qCWarning(lcPodcast) << "link file" << linkPath << "names no existing feed:" << feedPath;
        return PdiCannotOpen;
    }
    return replaceWhole(linkPath, [&feedPath](const QString& newPath) { return ImportFeedToPDI(feedPath, newPath); });
}

int openProjectFile(const QString& projectPath)
{
    int version = 2;
    if (const int result = GetPDIVersion(projectPath, version); result != PdiOk)
        return PdiCannotOpen;
    if (version == 1)
        return openLinkFile(projectPath);
    if (version == 2)
        return ConvertVersion2Project(projectPath);
    return PdiOk;
}

int writeConverted(const QString& oldPath, const QString& newPath)
{
    PodcastRecord record;
    if (const int result = ReadPDISettings(oldPath, record); result != PdiOk)
        return result;
    QString feedPath;
    if (const int result = ReadPDIFeedPath(oldPath, feedPath); result != PdiOk)
        return result;
    Feed feed;
    if (!feedPath.isEmpty() && QFileInfo(feedPath).isFile() && readFeedFile(feedPath, feed) != FeedReadResult::Ok) {
        qCWarning(lcPodcast) << "feed" << feedPath << "of" << oldPath << "cannot be read; its episode is taken from the project";
        feed = {};
    }
    const int count = int(feed.items.size());
    if (count <= 1) {
        if (const int result = ReadPDIItem(oldPath, 0, record); result != PdiOk)
            return result;
        record.TotalItems = 1;
        return WritePDIProject(newPath, record, 1);
    }
    record.TotalItems = count;
    if (const int result = WritePDISettings(newPath, record); result != PdiOk)
        return result;
    for (int episode = 1; episode <= count; ++episode) {
        ReadFeedItem(feed, feedPath, count - episode, record);
        if (const int result = WritePDIItem(newPath, record, episode); result != PdiOk)
            return result;
    }
    return PdiOk;
}

} // namespace

int ConvertVersion2Project(const QString& path)
{
    return replaceWhole(path, [&path](const QString& newPath) { return writeConverted(path, newPath); });
}

OpenedProject OpenProjectOrFeed(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        qCWarning(lcPodcast) << "project or feed" << path << "does not exist";
        return {PdiCannotOpen, {}};
    }
    if (QFileInfo(path).suffix().compare(QLatin1String("xml"), Qt::CaseInsensitive) != 0)
        return {openProjectFile(path), path};

    const QString projectPath = withLastThreeReplaced(path, QStringLiteral("pdi"));
    if (QFileInfo(projectPath).isFile())
        return {openProjectFile(projectPath), projectPath};
    const int result =
        replaceWhole(projectPath, [&path](const QString& newPath) { return ImportFeedToPDI(path, newPath); });
    return {result, projectPath};
}

} // namespace podcast
