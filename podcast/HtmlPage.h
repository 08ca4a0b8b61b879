#pragma once
// The podcast's web page: "PageTemplate.html" with one block of "FileTemplate.html" per feed item,
// both templates from the program folder, the texts taken from the feed so that the page shows what
// the feed shows, in the feed's order.
//
// A marker is looked for case-sensitively in a line and then every occurrence of it in that line is
// replaced whatever its case. Every value is escaped for HTML; a link whose scheme could run code
// in the browser ("javascript:", "data:", ...) is shown as text, not as a live link.
#include "platform/ui/MessageFormat.h"
#include "podcast/FeedModel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace podcast {

inline constexpr char pageTemplateName[] = "PageTemplate.html";
inline constexpr char fileTemplateName[] = "FileTemplate.html";

// The message a page operation ends with, for the caller to show: 0 when it succeeded.
struct HtmlPageResult {
    enum : int {
        Ok = 0,
        CannotWritePage = 1007, // "Cannot create the specified file."
        NoPagePath = 1018,      // "Please Specify HTML File Name and Path"
        MissingTemplate = 1019, // "The file %s does not exists. Cannot create HTML file"
        CannotReadFeed = 1028,  // "Cannot open the specified file."
    };
    int message = Ok;
    platform::MessageArgs args;

    bool ok() const { return message == Ok; }
};

// Writes the page for the feed at feedPath to pagePath, replacing an earlier page only once the new
// one is complete. On any failure no page is written and the earlier one stays.
HtmlPageResult CreateHTMLFile(const QString& feedPath, const QString& pagePath);
// Appends the episode blocks of every item of the feed, made from the episode template, to lines.
HtmlPageResult GenerateAudioHTMLList(const QString& feedPath, const QString& templatePath, QStringList& lines);

// The parts above, without files.

// The lines of a template file (UTF-8, or Windows-1252 for an older one); no lines for an empty file.
QStringList templateLines(QByteArrayView bytes);
// When line holds marker (exact case), replaces every occurrence of it in any case.
void replaceMarker(QString& line, const QString& marker, const QString& replacement);
// Text for an element's content or an attribute value: &, <, >, " and ' escaped, characters HTML
// does not allow left out, line breaks as CR LF.
QString htmlText(const QString& text);
// The link as a live anchor's opening and its text: <A href="link">link. An empty link, or one whose
// scheme is not http, https or ftp, opens an anchor without href, so its text shows but cannot run.
QString htmlLinkOpening(const QString& link);
bool isSafeLink(const QString& link);
// The episode template's lines with the item's title, description and link in place.
QStringList episodeBlockLines(const QStringList& episodeTemplate, const FeedItem& item);
// The page template's lines with the channel's title and link in place and the blocks inserted
// before the line holding the episode marker.
QStringList pageLines(const QStringList& pageTemplate, const FeedChannel& channel, const QStringList& blocks);
// The bytes of a page: UTF-8, each line ended by CR LF.
QByteArray pageBytes(const QStringList& lines);

} // namespace podcast
