#include "podcast/XvqRules.h"

#include "platform/files/TempName.h"
#include "podcast/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <QUrl>

#include <algorithm>

namespace podcast {

namespace {

const QString kXmlSuffix = QStringLiteral(".xml");

} // namespace

bool HasAggregatorUnsafeCharacters(const QString& fileName)
{
    const QLatin1String unsafe(kAggregatorUnsafeCharacters);
    return std::any_of(fileName.cbegin(), fileName.cend(), [&](QChar c) { return unsafe.contains(c); });
}

QString NormaliseFeedName(const QString& feedName)
{
    const QString name = feedName.trimmed();
    if (name.isEmpty() || name.endsWith(kXmlSuffix, Qt::CaseInsensitive))
        return name;
    return name + kXmlSuffix;
}

QString WebLinkOfFile(const QString& webLink, const QString& fileName)
{
    if (webLink.isEmpty() || fileName.isEmpty())
        return {};
    // Only the unreserved characters stay as they are: a blank, a "?" or a "#" in a name would
    // otherwise end the path, and a "/" would name another folder on the host.
    return webLink + QString::fromLatin1(QUrl::toPercentEncoding(fileName));
}

QString ReplaceLastThree(const QString& path, const QString& replacement)
{
    return path.left(std::max<qsizetype>(0, path.size() - 3)) + replacement;
}

FeedPaths FeedPathsFor(const QString& folder, const QString& feedName, const QString& webLink)
{
    const QString name = NormaliseFeedName(feedName);
    if (name.isEmpty())
        return {};
    FeedPaths paths;
    paths.HTMLFileName = ReplaceLastThree(name, QStringLiteral("html"));
    // Without a folder there is nowhere to write the files: a bare name would land in whatever
    // folder the program happens to run in.
    if (!folder.isEmpty()) {
        paths.FeedFilePath = QDir(folder).filePath(name);
        paths.HTMLFilePath = ReplaceLastThree(paths.FeedFilePath, QStringLiteral("html"));
    }
    paths.FeedURL = WebLinkOfFile(webLink, name);
    paths.HTMLFileLink = WebLinkOfFile(webLink, paths.HTMLFileName);
    return paths;
}

bool IsTemporaryProject(const QString& projectPath)
{
    return projectPath.endsWith(QStringLiteral(".tmp"), Qt::CaseInsensitive);
}

QString CreateTemporaryProjectPath(const QString& folder)
{
    QString error;
    const QString path = platform::createTempFile(folder, QStringLiteral("xvq"), &error);
    if (path.isEmpty())
        qCWarning(lcPodcast).noquote() << "no temporary project for the new podcast:" << error;
    return path;
}

QString ProposedProjectPath(const QString& audioPath, const QString& feedName)
{
    const QString name = NormaliseFeedName(feedName);
    if (audioPath.trimmed().isEmpty() || name.isEmpty())
        return {};
    return QDir(QFileInfo(audioPath).path()).filePath(ReplaceLastThree(name, QStringLiteral("pdi")));
}

QStringList UpdatedRecentProjects(const QStringList& stored, const QString& path)
{
    QStringList recent;
    if (!path.isEmpty())
        recent << path;
    for (const QString& entry : stored) {
        if (recent.size() == kRecentProjectCount)
            break;
        if (!entry.isEmpty() && !recent.contains(entry))
            recent << entry;
    }
    return recent;
}

QString EpisodeGridText(const QString& text)
{
    // Counted in characters as the user sees them, so that an accented letter or an emoji made of
    // several code points is never cut in half.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (int count = 0; count < kEpisodeGridTextLength; ++count) {
        if (finder.toNextBoundary() < 0)
            return text;
    }
    return text.left(finder.position());
}

QStringList CategoryLines(const PodcastRecord& record)
{
    const QStringList categories = record.Categories.value_or(QStringList());
    const QStringList subCategories = record.SubCategories.value_or(QStringList());
    QStringList lines;
    for (qsizetype i = 0; i < categories.size(); ++i) {
        const QString sub = subCategories.value(i);
        lines << (sub.isEmpty() ? categories[i] : categories[i] + QLatin1Char(':') + sub);
    }
    return lines;
}

void SetCategoriesFromLines(const QStringList& lines, PodcastRecord& record)
{
    QStringList categories;
    QStringList subCategories;
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        categories << (colon < 0 ? line : line.left(colon));
        subCategories << (colon < 0 ? QString() : line.mid(colon + 1));
    }
    record.Categories = categories;
    record.SubCategories = subCategories;
}

void SetDuration(PodcastRecord& record, qint64 durationMs)
{
    record.DurationMs = std::max<qint64>(0, durationMs);
    const qint64 seconds = record.DurationMs / 1000;
    // The hours field holds at most 255: a longer file shows the largest length it can.
    if (seconds / 3600 > 255) {
        record.Hours = 255;
        record.Minutes = 59;
        record.Seconds = 59;
        return;
    }
    record.Hours = quint8(seconds / 3600);
    record.Minutes = quint8(seconds / 60 % 60);
    record.Seconds = quint8(seconds % 60);
}

QString DurationText(const PodcastRecord& record)
{
    const auto twoDigits = [](quint8 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    return twoDigits(record.Hours) + QLatin1Char(':') + twoDigits(record.Minutes) + QLatin1Char(':')
           + twoDigits(record.Seconds);
}

QString YesNo(bool checked)
{
    return checked ? QStringLiteral("Yes") : QStringLiteral("No");
}

bool IsYes(const QString& text)
{
    return text == QLatin1String("Yes");
}

} // namespace podcast
