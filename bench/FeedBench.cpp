// The podcast feed and project of 5,000 episodes, with the texts of real shows (ampersands, angle
// brackets, quotes, non-ASCII letters, several lines; addresses with queries): the feed generated
// from the project, read back (the feed alone, in the older line layout too, then imported into a
// new project), the project saved and opened again; against, in the same run, Python's feedparser
// parsing the same feed.
// Goals: our write and our read each under a tenth of feedparser's parse.
#include "bench/BenchSupport.h"
#include "podcast/FeedProject.h"
#include "podcast/FeedReader.h"
#include "podcast/ProjectFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>

namespace {

using namespace podcast;

constexpr int kEpisodes = 5000;
constexpr int kRuns = 5;
constexpr int kImportRuns = 3;

const QString kFolder = bench::workFolder() + "/feed";

// feedparser's parse of the file named by argv[1], best of argv[2] runs, in seconds; the item
// count is printed as well so that a parse that found nothing is not taken for a fast one.
const char kFeedparserScript[] = R"(import sys, time, feedparser
best = None
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    parsed = feedparser.parse(sys.argv[1])
    seconds = time.perf_counter() - start
    best = seconds if best is None else min(best, seconds)
print(best, len(parsed.entries))
)";

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

PodcastRecord showSettings()
{
    PodcastRecord r;
    r.PodcastType = 1;
    r.FeedName = "weekly.xml";
    r.HTMLFileName = "weekly.html";
    r.HostName = "Example Hosting";
    r.UserName = "anna";
    r.UploadPath = "/pod/cast";
    r.PortNo = 21;
    r.FTPAddress = "ftp.example.org";
    r.WebsiteLink = "https://example.org/pod/";
    r.FeedFilePath = kFolder + "/weekly.xml";
    r.FeedURL = "https://example.org/pod/weekly.xml?utm_source=feed&utm_medium=rss";
    r.FeedTitle = u8("Anna & Björn's \"Weekly\" <Café> Talk — Ψ édition");
    r.FeedDescription = u8("News, music & interviews from Zürich.\r\nEvery week: <b>two</b> hours = one show.");
    r.FeedSubtitle = u8("Talk & music, straight from the Café");
    r.FeedKeywords = "news, talk, music, interviews";
    r.FeedOwner = u8("Anna Ünal");
    r.FeedOwnerEmail = "anna@example.org";
    r.FeedSummary = u8("Every week Anna & Björn talk about what's new.\r\nC:\\shows stays as it is; a = b.");
    r.FeedExplicit = "No";
    r.FeedBlock = "No";
    r.Categories = QStringList{"Arts", "Technology", "Kids & Family"};
    r.SubCategories = QStringList{"Design", "Podcasting", ""};
    r.FeedImageLink = "https://example.org/pod/art.jpg?w=1400&h=1400";
    r.SeriesWebMaster = "web@example.org (Web Master)";
    r.SeriesCopyright = u8("© 2026 Anna & Björn");
    r.SeriesEditor = "ed@example.org (Ed <Editor>)";
    r.SeriesLanguage = "English (United States): en-us";
    r.SeriesTTL = 60;
    return r;
}

// The settings with episode n as the current one, its texts of varying length as show notes are.
PodcastRecord showEpisode(const PodcastRecord& settings, int n, std::mt19937& random)
{
    static const QStringList guests{u8("Zoë O'Brien"), u8("José \"Pepe\" Núñez"), u8("Łukasz <the> Lion"),
                                    u8("Søren & Ida"), u8("高橋 さん"), u8("Дмитрий"), u8("سارة"), "Tom"};
    static const QStringList lines{
        u8("We talk about the week's news & what it means for <you>."),
        u8("Links: https://example.org/notes?ep=%1&lang=en — read them!"),
        u8("Music: \"Blue Skies\" by The Naïve Ones (CC BY 4.0)."),
        u8("Thanks to our listeners for 5 < 6 > 4 questions; a = b, c \\ d."),
        u8("Chapters: 00:00 intro, 05:30 news, 42:10 the interview, 1:10:00 mail."),
    };
    const QString tag = QString::number(n);
    const QString guest = guests[random() % guests.size()];
    PodcastRecord r = settings;
    r.AudioFilePath = kFolder + "/audio/episode" + tag + ".mp3";
    r.ItemURL = "https://cdn.example.org/pod/episode" + tag + ".mp3?source=rss&id=" + tag + "&t=0";
    r.ItemTitle = u8("Episode ") + tag + u8(": ") + guest + u8(" on \"Tom & Jerry\" <live> — ") + guests[n % guests.size()];
    QStringList notes;
    const int count = 2 + int(random() % 4);
    for (int i = 0; i < count; ++i)
        notes << QString(lines[random() % lines.size()]).replace("%1", tag);
    r.ItemDescription = notes.join("\r\n");
    const QDateTime date = QDateTime(QDate(2010, 1, 4), QTime(10, 0), QTimeZone::utc()).addDays(n).addSecs(n * 37);
    r.ItemDateTime = date.toString("MM/dd/yyyy HH:mm:ss");
    r.ItemUploaded = n % 3 != 0;
    r.ItemGuid = r.ItemURL;
    r.ItemAuthor = guest;
    r.ItemSubtitle = notes.first();
    r.ItemKeywords = "talk, episode " + tag;
    r.ItemSummary = r.ItemDescription;
    r.ItemDuration = QStringLiteral("%1:%2:00").arg(1 + n % 2).arg(n % 60, 2, 10, QLatin1Char('0'));
    r.ItemExplicit = n % 7 == 0 ? "Yes" : "No";
    r.ItemBlock = "No";
    return r;
}

// The episodes' audio files, small (only their sizes are read), made once and kept.
bool makeAudioFiles()
{
    if (!QDir().mkpath(kFolder + "/audio"))
        return false;
    for (int n = 1; n <= kEpisodes; ++n) {
        QFile file(kFolder + "/audio/episode" + QString::number(n) + ".mp3");
        if (file.exists())
            continue;
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(100 + n, 'a')) != 100 + n)
            return false;
    }
    return true;
}

double bestOf(int runs, const std::function<bool()>& work)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        const double seconds = bench::timed(work);
        if (seconds < 0)
            return -1;
        best = std::min(best, seconds);
    }
    return best;
}

// feedparser's best parse of the feed in seconds; -1 when Python or feedparser failed, or it found
// another number of items.
double feedparserSeconds(const QString& feedPath)
{
    QProcess python;
    python.setStandardErrorFile(QProcess::nullDevice());
    python.start("/usr/bin/python3", {"-c", kFeedparserScript, feedPath, QString::number(kRuns)});
    if (!python.waitForFinished(-1) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return -1;
    const QStringList words = QString::fromUtf8(python.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    bool ok = false;
    const double seconds = words.value(0).toDouble(&ok);
    return ok && words.value(1).trimmed() == QString::number(kEpisodes) ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals verdicts("feed_bench");
    const QString writeGoal = QStringLiteral("feed written, to feedparser's parse");
    const QString readGoal = QStringLiteral("feed read, to feedparser's parse");
    const auto fail = [&](const QString& why) {
        verdicts.failed(writeGoal, why);
        verdicts.failed(readGoal, why);
        return verdicts.exitCode();
    };
    if (!makeAudioFiles())
        return fail("the episodes' audio files could not be made");

    const PodcastRecord settings = showSettings();
    QList<PodcastRecord> episodes;
    std::mt19937 random(2026);
    for (int n = 1; n <= kEpisodes; ++n)
        episodes << showEpisode(settings, n, random);
    const QString project = kFolder + "/weekly.pdi";
    const QString feedPath = kFolder + "/weekly.xml";
    const QString savedAs = kFolder + "/saved-as.pdi";
    const QString imported = kFolder + "/imported.pdi";

    // The project saved whole, as an import does, then under another name, as the builder does.
    const double create = bestOf(kRuns, [&] { return CreatePDIProject(project, settings, episodes) == PdiOk; });
    PodcastRecord current = episodes.last();
    current.TotalItems = kEpisodes;
    const double saveAs = bestOf(kRuns, [&] {
        return SavePDIProjectAs(project, savedAs, current, kEpisodes) == PdiOk;
    });
    PodcastRecord reopened;
    QList<PodcastRecord> reopenedEpisodes;
    const double reopen = bestOf(kRuns, [&] {
        return ReadPDIProject(savedAs, reopened, reopenedEpisodes) == PdiOk;
    });
    if (create < 0 || saveAs < 0 || reopen < 0 || reopenedEpisodes.size() != kEpisodes
        || reopenedEpisodes.last().ItemTitle != episodes.last().ItemTitle
        || reopenedEpisodes.last().FileSize != 100 + kEpisodes)
        return fail("the project could not be saved and read back whole");

    const double write = bestOf(kRuns, [&] { return GenerateFeed(project, feedPath) == PdiOk; });
    Feed feed;
    const double read = bestOf(kRuns, [&] {
        feed = Feed();
        return readFeedFile(feedPath, feed) == FeedReadResult::Ok;
    });
    if (write < 0 || read < 0 || feed.items.size() != kEpisodes || feed.items.first().title != episodes.last().ItemTitle
        || feed.items.last().link != episodes.first().ItemURL)
        return fail("the feed could not be written and read back whole");
    // The same feed as older versions wrote it, its addresses unescaped: the XML parser refuses it
    // and the reader of that older line layout reads it.
    QFile written(feedPath);
    if (!written.open(QIODevice::ReadOnly))
        return fail("the feed could not be read back");
    const QByteArray olderLayout = written.readAll().replace("?source=rss&amp;id=", "?source=rss&id=");
    Feed olderFeed;
    const double readOlder = bestOf(kRuns, [&] {
        olderFeed = Feed();
        return readFeedBytes(olderLayout, olderFeed) == FeedReadResult::Ok;
    });
    if (readOlder < 0 || olderFeed.items.size() != kEpisodes || olderFeed.items.first().link != episodes.last().ItemURL)
        return fail("the feed in the older layout could not be read back whole");
    const double import = bestOf(kImportRuns, [&] { return ImportFeedToPDI(feedPath, imported) == PdiOk; });
    qint32 importedCount = 0;
    if (import < 0 || GetPDIItemCount(imported, importedCount) != PdiOk || importedCount != kEpisodes)
        return fail("the feed could not be imported into a project");

    const double feedparser = feedparserSeconds(feedPath);
    if (feedparser <= 0)
        return fail("feedparser did not parse the feed (is python3-feedparser installed?)");

    std::printf("Podcast of %d episodes: feed of %.1f MB, project of %.1f MB; best of %d runs (import: of %d):\n",
                kEpisodes, double(QFile(feedPath).size()) / 1e6, double(QFile(project).size()) / 1e6, kRuns,
                kImportRuns);
    std::printf("  feedparser (Python) parsing the feed            %8.1f ms\n", feedparser * 1000);
    std::printf("  our feed written from the project (GenerateFeed) %7.1f ms\n", write * 1000);
    std::printf("  our feed read (the reader, to the feed model)   %8.1f ms\n", read * 1000);
    std::printf("  our feed read, in the older line layout         %8.1f ms\n", readOlder * 1000);
    std::printf("  our feed imported into a new project            %8.1f ms\n", import * 1000);
    std::printf("  our project written whole                       %8.1f ms\n", create * 1000);
    std::printf("  our project saved under another name            %8.1f ms\n", saveAs * 1000);
    std::printf("  our project opened again (settings, episodes)   %8.1f ms\n", reopen * 1000);
    verdicts.atMost(writeGoal, write / feedparser, 0.1, "x");
    verdicts.atMost(readGoal, read / feedparser, 0.1, "x");
    return verdicts.exitCode();
}
