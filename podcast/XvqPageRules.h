#pragma once
// The fixed lists and small conversions of the builder's content pages, without widgets: the
// language lines of the feed page, the category menu, the folder the feed is written to and the
// form in which the episode date is stored.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace podcast {

// The language box's lines, "name: code", in the box's order; the first is the default. Some lines
// carry blanks that belong to them ("Albanian: sq ", "Estonian:  et").
const QStringList& LanguageLines();
inline constexpr char kDefaultLanguageLine[] = "English (United States): en-us";
// The index of the line that a stored language names: the line equal to it once both are trimmed
// (stored values lose their outer blanks), else the line whose code it is ("en-us" as a feed
// carries it); -1 when none. An empty text names the default line.
int LanguageLineIndex(const QString& stored);

// One top-level entry of the category menu and its sub-entries, as the lines they add (a "&" is a
// plain "&" here; trailing blanks belong to the text).
struct CategoryMenuEntry {
    QString category;
    QStringList subCategories;
};
const std::vector<CategoryMenuEntry>& CategoryMenu();
// The chosen-categories line that a menu click adds: "category:sub" or the category alone.
QString CategoryLine(const QString& category, const QString& subCategory);

// The folder the feed and its page are written to: the project's folder when the project is saved
// (a path that is not a temporary project), else the audio file's folder; empty when neither is
// known. Ends without a separator.
QString FeedFolder(const QString& projectPath, const QString& audioPath);

// The episode date as it is stored: UTC, "MM/dd/yyyy HH:mm:ss".
inline constexpr char kStoredDateFormat[] = "MM/dd/yyyy HH:mm:ss";
QString StoredDateTime(const QDateTime& moment);
// A stored date back as a UTC moment. Older projects hold one-digit months and days, no seconds
// or a 12-hour clock with AM/PM; all of those are read. Invalid for anything else.
QDateTime ParseStoredDateTime(const QString& text);

} // namespace podcast
