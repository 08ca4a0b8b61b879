#pragma once
// The builder's rules for names, paths and links, without widgets: what the pages derive from the
// audio file, the feed name and the host's web link, and the small texts the pages show.
#include "podcast/PodcastRecord.h"

#include <QString>
#include <QStringList>

namespace podcast {

// The characters that some podcast aggregators stumble over in a file name.
inline constexpr char kAggregatorUnsafeCharacters[] = "$ ,%&?*:/][}{)(^#@!\\+|=><;";
bool HasAggregatorUnsafeCharacters(const QString& fileName);

// Trimmed; ".xml" appended unless the name already ends with ".xml" in any case ("show" gives
// "show.xml", "show.XML" stays, "feed.xml.bak" gets ".xml"). Empty stays empty.
QString NormaliseFeedName(const QString& feedName);

// The web address of a file uploaded under a host's web link: the link followed by the name, the
// name percent-encoded where a URL cannot hold it (blanks, non-ASCII letters); empty when either is
// empty.
QString WebLinkOfFile(const QString& webLink, const QString& fileName);

// A path with its last three characters replaced ("show.xml" -> "show.html" with "html").
QString ReplaceLastThree(const QString& path, const QString& replacement);

// The feed's and the page's paths and links from the folder they are written to (the project's
// folder when the project has a path, else the audio file's), the feed name and the web link.
struct FeedPaths {
    QString FeedFilePath;
    QString HTMLFilePath;
    QString HTMLFileName;
    QString FeedURL;
    QString HTMLFileLink;
};
// An empty feed name gives empty paths and links.
FeedPaths FeedPathsFor(const QString& folder, const QString& feedName, const QString& webLink);

// A project path of the temporary kind (".tmp" in any case).
bool IsTemporaryProject(const QString& projectPath);
// Creates the temporary project file for a new podcast in folder ("xvq" prefix, ".tmp"); empty
// when it cannot be created (logged).
QString CreateTemporaryProjectPath(const QString& folder);

// The name proposed when a temporary project is saved: the audio file's folder + FeedName with its
// last three characters replaced by "pdi"; empty unless both are set.
QString ProposedProjectPath(const QString& audioPath, const QString& feedName);

// The recent projects after path was opened: path first, then the stored ones that differ from it
// (case-sensitive) and are not empty, ten at most.
QStringList UpdatedRecentProjects(const QStringList& stored, const QString& path);
inline constexpr int kRecentProjectCount = 10;

// An episode grid cell: the text cut to its first 25 characters.
QString EpisodeGridText(const QString& text);
inline constexpr int kEpisodeGridTextLength = 25;

// The chosen-categories lines "category:sub-category" (or the category alone) of the record, and
// the record's category lists from such lines. The sub-category is the text right after the first
// ":", so a line read back gives the same line again.
QStringList CategoryLines(const PodcastRecord& record);
void SetCategoriesFromLines(const QStringList& lines, PodcastRecord& record);

// The length split into hours, minutes and seconds, and its text "hh:mm:ss" (two digits each).
void SetDuration(PodcastRecord& record, qint64 durationMs);
QString DurationText(const PodcastRecord& record);

// "Yes" or "No" for a check box, and whether a stored text checks it (exactly "Yes").
QString YesNo(bool checked);
bool IsYes(const QString& text);

} // namespace podcast
