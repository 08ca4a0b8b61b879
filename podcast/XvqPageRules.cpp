#include "podcast/XvqPageRules.h"

#include "podcast/XvqRules.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>

namespace podcast {

const QStringList& LanguageLines()
{
    static const QStringList lines{
        QStringLiteral("English (United States): en-us"),
        QStringLiteral("Afrikaans: af"),
        QStringLiteral("Albanian: sq "),
        QStringLiteral("Basque: eu"),
        QStringLiteral("Belarusian: be"),
        QStringLiteral("Bulgarian: bg"),
        QStringLiteral("Catalan: ca"),
        QStringLiteral("Chinese (Simplified): zh-cn"),
        QStringLiteral("Chinese (Traditional): zh-tw"),
        QStringLiteral("Croatian: hr"),
        QStringLiteral("Czech: cs"),
        QStringLiteral("Danish: da"),
        QStringLiteral("Dutch: nl"),
        QStringLiteral("Dutch (Belgium): nl-be"),
        QStringLiteral("Dutch (Netherlands): nl-nl"),
        QStringLiteral("English: en"),
        QStringLiteral("English (Australia): en-au"),
        QStringLiteral("English (Belize): en-bz"),
        QStringLiteral("English (Canada): en-ca"),
        QStringLiteral("English (Ireland): en-ie"),
        QStringLiteral("English (Jamaica): en-jm"),
        QStringLiteral("English (New Zealand): en-nz"),
        QStringLiteral("English (Phillipines): en-ph"),
        QStringLiteral("English (South Africa): en-za"),
        QStringLiteral("English (Trinidad): en-tt"),
        QStringLiteral("English (United Kingdom): en-gb"),
        QStringLiteral("English (Zimbabwe): en-zw"),
        QStringLiteral("Estonian:  et"),
        QStringLiteral("Faeroese: fo"),
        QStringLiteral("Finnish: fi"),
        QStringLiteral("French: fr"),
        QStringLiteral("French (Belgium): fr-be"),
        QStringLiteral("French (Canada): fr-ca"),
        QStringLiteral("French (France): fr-fr"),
        QStringLiteral("French (Luxembourg): fr-lu"),
        QStringLiteral("French (Monaco): fr-mc"),
        QStringLiteral("French (Switzerland): fr-ch"),
        QStringLiteral("Galician: gl"),
        QStringLiteral("Gaelic: gd"),
        QStringLiteral("German: de"),
        QStringLiteral("German (Austria): de-at"),
        QStringLiteral("German (Germany): de-de"),
        QStringLiteral("German (Liechtenstein): de-li"),
        QStringLiteral("German (Luxembourg): de-lu"),
        QStringLiteral("German (Switzerland): de-ch"),
        QStringLiteral("Greek: el"),
        QStringLiteral("Hawaiian: haw"),
        QStringLiteral("Hungarian: hu"),
        QStringLiteral("Icelandic: is"),
        QStringLiteral("Indonesian: in"),
        QStringLiteral("Irish: ga"),
        QStringLiteral("Italian: it"),
        QStringLiteral("Italian (Italy): it-it"),
        QStringLiteral("Italian (Switzerland): it-ch"),
        QStringLiteral("Japanese: ja"),
        QStringLiteral("Korean: ko"),
        QStringLiteral("Macedonian: mk"),
        QStringLiteral("Norwegian: no"),
        QStringLiteral("Polish: pl"),
        QStringLiteral("Portuguese: pt"),
        QStringLiteral("Portuguese (Brazil): pt-br"),
        QStringLiteral("Portuguese (Portugal): pt-pt"),
        QStringLiteral("Romanian: ro"),
        QStringLiteral("Romanian (Moldova): ro-mo"),
        QStringLiteral("Romanian (Romania): ro-ro"),
        QStringLiteral("Russian: ru"),
        QStringLiteral("Russian (Moldova): ru-mo"),
        QStringLiteral("Russian (Russia): ru-ru"),
        QStringLiteral("Serbian: sr"),
        QStringLiteral("Slovak: sk"),
        QStringLiteral("Slovenian: sl"),
        QStringLiteral("Spanish: es"),
        QStringLiteral("Spanish (Argentina): es-ar"),
        QStringLiteral("Spanish (Bolivia): es-bo"),
        QStringLiteral("Spanish (Chile): es-cl"),
        QStringLiteral("Spanish (Colombia): es-co"),
        QStringLiteral("Spanish (Costa Rica): es-cr"),
        QStringLiteral("Spanish (Dominican Republic): es-do"),
        QStringLiteral("Spanish (Ecuador): es-ec"),
        QStringLiteral("Spanish (El Salvador): es-sv"),
        QStringLiteral("Spanish (Guatemala): es-gt"),
        QStringLiteral("Spanish (Honduras): es-hn"),
        QStringLiteral("Spanish (Mexico): es-mx"),
        QStringLiteral("Spanish (Nicaragua): es-ni"),
        QStringLiteral("Spanish (Panama): es-pa"),
        QStringLiteral("Spanish (Paraguay): es-py"),
        QStringLiteral("Spanish (Peru): es-pe"),
        QStringLiteral("Spanish (Puerto Rico): es-pr"),
        QStringLiteral("Spanish (Spain): es-es"),
        QStringLiteral("Spanish (Uruguay): es-uy"),
        QStringLiteral("Spanish (Venezuela): es-ve"),
        QStringLiteral("Swedish: sv"),
        QStringLiteral("Swedish (Finland): sv-fi"),
        QStringLiteral("Swedish (Sweden): sv-se"),
        QStringLiteral("Turkish: tr"),
        QStringLiteral("Ukranian: uk"),
    };
    return lines;
}

namespace {

QString languageCodeOf(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : line.mid(colon + 1).trimmed();
}

} // namespace

int LanguageLineIndex(const QString& stored)
{
    const QString wanted = stored.trimmed().isEmpty() ? QString::fromLatin1(kDefaultLanguageLine) : stored.trimmed();
    const QStringList& lines = LanguageLines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() == wanted)
            return int(i);
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (languageCodeOf(lines[i]).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const std::vector<CategoryMenuEntry>& CategoryMenu()
{
    static const std::vector<CategoryMenuEntry> menu{
        {QStringLiteral("Arts"), {QStringLiteral("Design"), QStringLiteral("Fashion & Beauty"), QStringLiteral("Food"), QStringLiteral("Literature"), QStringLiteral("Performing Arts"), QStringLiteral("Visual Arts ")}},
        {QStringLiteral("Business"), {QStringLiteral("Business News"), QStringLiteral("Careers"), QStringLiteral("Investing"), QStringLiteral("Management & Marketing "), QStringLiteral("Shopping")}},
        {QStringLiteral("Comedy"), {}},
        {QStringLiteral("Education"), {QStringLiteral("Education Technology "), QStringLiteral("Higher Education"), QStringLiteral("K-12"), QStringLiteral("Language Courses "), QStringLiteral("Training")}},
        {QStringLiteral("Games & Hobbies"), {QStringLiteral("Automotive "), QStringLiteral("Aviation "), QStringLiteral("Hobbies"), QStringLiteral("Other Games"), QStringLiteral("Video Games ")}},
        {QStringLiteral("Government & Organizations "), {QStringLiteral("Local"), QStringLiteral("National"), QStringLiteral("Non-Profit"), QStringLiteral("Regional")}},
        {QStringLiteral("Health"), {QStringLiteral("Alternative Health"), QStringLiteral("Fitness & Nutrition"), QStringLiteral("Self-Help"), QStringLiteral("Sexuality")}},
        {QStringLiteral("Kids & Family"), {}},
        {QStringLiteral("Music"), {}},
        {QStringLiteral("News & Politics"), {}},
        {QStringLiteral("Religion & Spirituality"), {QStringLiteral("Buddhism"), QStringLiteral("Christianity"), QStringLiteral("Hinduism"), QStringLiteral("Islam"), QStringLiteral("Judaism"), QStringLiteral("Other"), QStringLiteral("Spirituality")}},
        {QStringLiteral("Science & Medicine "), {QStringLiteral("Medicine"), QStringLiteral("Natural Sciences"), QStringLiteral("Social Sciences")}},
        {QStringLiteral("Society & Culture"), {QStringLiteral("History"), QStringLiteral("Personal Journals"), QStringLiteral("Philosophy"), QStringLiteral("Places & Travel")}},
        {QStringLiteral("Sports & Recreation"), {QStringLiteral("Amateur"), QStringLiteral("College & High School "), QStringLiteral("Outdoor"), QStringLiteral("Professional")}},
        {QStringLiteral("Technology"), {QStringLiteral("Gadgets"), QStringLiteral("IT News"), QStringLiteral("Podcasting"), QStringLiteral("Software How-To")}},
        {QStringLiteral("TV & Film "), {}},
    };
    return menu;
}

QString CategoryLine(const QString& category, const QString& subCategory)
{
    return subCategory.isEmpty() ? category : category + QLatin1Char(':') + subCategory;
}

QString FeedFolder(const QString& projectPath, const QString& audioPath)
{
    const QString source = !projectPath.isEmpty() && !IsTemporaryProject(projectPath) ? projectPath : audioPath;
    if (source.isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(source).absolutePath());
}

QString StoredDateTime(const QDateTime& moment)
{
    return moment.toUTC().toString(QString::fromLatin1(kStoredDateFormat));
}

QDateTime ParseStoredDateTime(const QString& text)
{
    // Date and time are read apart and joined in UTC, so no local clock change can shift them.
    // "M" and "d" take one or two digits; "h" with "AP" reads the 12-hour clock.
    static const char* const timeFormats[] = {"H:mm:ss", "H:mm", "h:mm:ss AP", "h:mm AP"};
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return {};
    const QDate date = QDate::fromString(trimmed.left(blank), QStringLiteral("M/d/yyyy"));
    if (!date.isValid())
        return {};
    const QString timeText = trimmed.mid(blank + 1).trimmed();
    for (const char* format : timeFormats) {
        const QTime time = QTime::fromString(timeText, QString::fromLatin1(format));
        if (time.isValid())
            return QDateTime(date, time, QTimeZone::utc());
    }
    return {};
}

} // namespace podcast
