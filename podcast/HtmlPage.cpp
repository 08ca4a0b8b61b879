#include "podcast/HtmlPage.h"

#include "platform/base/ProgramFolder.h"
#include "platform/files/AtomicFile.h"
#include "platform/settings/TextDecoding.h"
#include "podcast/FeedReader.h"
#include "podcast/Log.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace podcast {

namespace {

const QString pageTitleMarker = QStringLiteral("<YQM.FeedTitle>");
const QString pageLinkMarker = QStringLiteral("<YQM.FeedLink>");
const QString pageLinkEndMarker = QStringLiteral("</YQM.FeedLink>");
const QString episodesMarker = QStringLiteral("<YQM.PodcastInfo>");
const QString titleMarker = QStringLiteral("<YQM.Title>");
const QString titleEndMarker = QStringLiteral("</YQM.Title>");
const QString descriptionMarker = QStringLiteral("<YQM.Description>");
const QString descriptionEndMarker = QStringLiteral("</YQM.Description>");
const QString linkMarker = QStringLiteral("<YQM.Link>");
const QString linkEndMarker = QStringLiteral("</YQM.Link>");

// Templates are small pages; anything far larger is not one.
constexpr qint64 maxTemplateSize = 4 * 1024 * 1024;

bool allowedInHtml(char32_t c)
{
    if (c == U'\t' || c == U'\n' || c == U'\r')
        return true;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    if (c >= 0xFDD0 && c <= 0xFDEF)
        return false;
    return (c & 0xFFFE) != 0xFFFE;
}

HtmlPageResult missingTemplate(const QString& path)
{
    return {HtmlPageResult::MissingTemplate, {path}};
}

// The template's lines; nullopt (with the reason logged) when it cannot be read.
std::optional<QStringList> loadTemplate(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxTemplateSize) {
        qCWarning(lcPodcast) << "page template" << path << "cannot be read:"
                             << (file.isOpen() ? QStringLiteral("too large") : file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxTemplateSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxTemplateSize) {
        qCWarning(lcPodcast) << "page template" << path << "cannot be read:" << file.errorString();
        return std::nullopt;
    }
    return templateLines(bytes);
}

// The episode template and the feed; the template is checked first.
HtmlPageResult readEpisodeSources(const QString& feedPath, const QString& templatePath, QStringList& episodeTemplate,
                                  Feed& feed)
{
    if (!QFileInfo(templatePath).isFile())
        return missingTemplate(templatePath);
    std::optional<QStringList> lines = loadTemplate(templatePath);
    if (!lines)
        return missingTemplate(templatePath);
    if (const FeedReadResult read = readFeedFile(feedPath, feed); read != FeedReadResult::Ok) {
        qCWarning(lcPodcast) << "page: the feed" << feedPath
                             << (read == FeedReadResult::NotAFeed ? "is no RSS feed" : "cannot be read");
        return {HtmlPageResult::CannotReadFeed, {}};
    }
    episodeTemplate = std::move(*lines);
    return {};
}

void appendEpisodeBlocks(const QStringList& episodeTemplate, const Feed& feed, QStringList& lines)
{
    for (const FeedItem& item : feed.items)
        lines << episodeBlockLines(episodeTemplate, item);
}

} // namespace

QStringList templateLines(QByteArrayView bytes)
{
    QString text = platform::decodeUtf8OrWindows1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

void replaceMarker(QString& line, const QString& marker, const QString& replacement)
{
    if (line.contains(marker, Qt::CaseSensitive))
        line.replace(marker, replacement, Qt::CaseInsensitive);
}

QString htmlText(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (allowedInHtml(code))
                out.append(c).append(text[i + 1]);
            ++i;
            continue;
        }
        if (c.isSurrogate() || !allowedInHtml(c.unicode()))
            continue;
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        case '\r':
            // The page's lines end in CR LF; a line break inside a value does as well.
            out += QLatin1String("\r\n");
            if (i + 1 < size && text[i + 1] == QLatin1Char('\n'))
                ++i;
            break;
        case '\n': out += QLatin1String("\r\n"); break;
        default: out += c;
        }
    }
    return out;
}

bool isSafeLink(const QString& link)
{
    // Read the scheme as a browser does: surrounding blanks and controls dropped, tabs and line
    // breaks removed wherever they are.
    QString url;
    for (const QChar c : link)
        if (c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            url += c;
    qsizetype begin = 0;
    qsizetype end = url.size();
    while (begin < end && url[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && url[end - 1].unicode() <= 0x20)
        --end;
    url = url.mid(begin, end - begin);
    if (url.isEmpty())
        return false;
    for (const QChar c : url) {
        if (c == QLatin1Char('/') || c == QLatin1Char('?') || c == QLatin1Char('#'))
            return true; // no scheme: a link relative to the page
        if (c == QLatin1Char(':'))
            break;
    }
    if (!url.contains(QLatin1Char(':')))
        return true;
    const QString scheme = url.left(url.indexOf(QLatin1Char(':'))).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp");
}

QString htmlLinkOpening(const QString& link)
{
    const QString text = htmlText(link);
    if (!isSafeLink(link))
        return QStringLiteral("<A>") + text;
    return QStringLiteral("<A href=\"") + text + QStringLiteral("\">") + text;
}

QStringList episodeBlockLines(const QStringList& episodeTemplate, const FeedItem& item)
{
    const QString title = QStringLiteral("<P>") + htmlText(item.title);
    const QString description = QStringLiteral("<P>") + htmlText(item.description);
    const QString link = htmlLinkOpening(item.link);
    QStringList lines;
    lines.reserve(episodeTemplate.size());
    for (QString line : episodeTemplate) {
        replaceMarker(line, titleMarker, title);
        replaceMarker(line, titleEndMarker, QStringLiteral("</P>"));
        replaceMarker(line, descriptionMarker, description);
        replaceMarker(line, descriptionEndMarker, QStringLiteral("</P>"));
        replaceMarker(line, linkMarker, link);
        replaceMarker(line, linkEndMarker, QStringLiteral("</A>"));
        lines << line;
    }
    return lines;
}

QStringList pageLines(const QStringList& pageTemplate, const FeedChannel& channel, const QStringList& blocks)
{
    const QString title = htmlText(channel.title);
    const QString link = htmlLinkOpening(channel.link);
    QStringList lines;
    lines.reserve(pageTemplate.size() + blocks.size());
    for (QString line : pageTemplate) {
        replaceMarker(line, pageTitleMarker, title);
        replaceMarker(line, pageLinkMarker, link);
        replaceMarker(line, pageLinkEndMarker, QStringLiteral("</A>"));
        if (line.contains(episodesMarker))
            lines << blocks;
        lines << line;
    }
    return lines;
}

QByteArray pageBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

HtmlPageResult GenerateAudioHTMLList(const QString& feedPath, const QString& templatePath, QStringList& lines)
{
    QStringList episodeTemplate;
    Feed feed;
    if (const HtmlPageResult result = readEpisodeSources(feedPath, templatePath, episodeTemplate, feed); !result.ok())
        return result;
    appendEpisodeBlocks(episodeTemplate, feed, lines);
    return {};
}

HtmlPageResult CreateHTMLFile(const QString& feedPath, const QString& pagePath)
{
    if (pagePath.isEmpty())
        return {HtmlPageResult::NoPagePath, {}};
    const QString pageTemplatePath = platform::programFile(QString::fromLatin1(pageTemplateName));
    const QString fileTemplatePath = platform::programFile(QString::fromLatin1(fileTemplateName));
    if (!QFileInfo(pageTemplatePath).isFile())
        return missingTemplate(pageTemplatePath);

    QStringList episodeTemplate;
    Feed feed;
    if (const HtmlPageResult result = readEpisodeSources(feedPath, fileTemplatePath, episodeTemplate, feed); !result.ok())
        return result;
    QStringList blocks;
    appendEpisodeBlocks(episodeTemplate, feed, blocks);
    const std::optional<QStringList> pageTemplate = loadTemplate(pageTemplatePath);
    if (!pageTemplate)
        return missingTemplate(pageTemplatePath);
    if (pageTemplate->isEmpty()) {
        qCWarning(lcPodcast) << "page" << pagePath << "not written: the page template" << pageTemplatePath << "is empty";
        return {HtmlPageResult::CannotWritePage, {}};
    }
    // The feed's channel carries the project's feed title and feed address: the feed is written
    // from the project.
    QString error;
    if (!platform::writeFileAtomically(pagePath, pageBytes(pageLines(*pageTemplate, feed.channel, blocks)), &error)) {
        qCWarning(lcPodcast) << "page" << pagePath << "cannot be written:" << error;
        return {HtmlPageResult::CannotWritePage, {}};
    }
    return {};
}

} // namespace podcast
