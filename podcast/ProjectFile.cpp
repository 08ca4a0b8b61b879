#include "podcast/ProjectFile.h"

#include "platform/files/AtomicFile.h"
#include "platform/settings/IniDocument.h"
#include "platform/settings/IniFile.h"
#include "podcast/Log.h"
#include "podcast/ProjectFileKeys.h"
#include "podcast/ProjectText.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

namespace podcast {

using platform::IniDocument;
using namespace pdi;

namespace {

QString name(const char* text)
{
    return QString::fromLatin1(text);
}

// The project's text. Missing gives an empty document when allowed (a save creates the file);
// anything that cannot be read, or is too large to be a project, is a failure.
int loadDocument(const QString& path, IniDocument& document, bool missingIsEmpty)
{
    if (path.isEmpty())
        return missingIsEmpty ? PdiInvalidFileName : PdiCannotOpen;
    QFile file(path);
    if (!file.exists()) {
        if (missingIsEmpty) {
            document = IniDocument();
            return PdiOk;
        }
        qCWarning(lcPodcast) << "project file" << path << "does not exist";
        return PdiCannotOpen;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPodcast) << "cannot open project file" << path << ":" << file.errorString();
        return PdiCannotOpen;
    }
    if (file.size() > platform::IniFile::maxFileSize) {
        qCWarning(lcPodcast) << "project file" << path << "is larger than" << platform::IniFile::maxFileSize << "bytes";
        return PdiCannotOpen;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcPodcast) << "cannot read project file" << path << ":" << file.errorString();
        return PdiCannotOpen;
    }
    document = IniDocument::fromBytes(bytes);
    return PdiOk;
}

int saveDocument(const QString& path, const IniDocument& document)
{
    QString why;
    if (!platform::writeFileAtomically(path, document.toBytes(), &why)) {
        qCWarning(lcPodcast) << "project file" << path << "not saved:" << why;
        return PdiCannotCreate;
    }
    return PdiOk;
}

class Reader {
public:
    explicit Reader(const IniDocument& document) : m_document(document) {}

    QString text(const QString& section, const QString& key, const QString& fallback = {}) const
    {
        return m_document.value(section, key).value_or(fallback);
    }
    QString escaped(const QString& section, const QString& key) const { return unescapeText(text(section, key)); }
    qint32 integer(const QString& section, const QString& key, qint32 fallback) const
    {
        const std::optional<QString> value = m_document.value(section, key);
        if (!value)
            return fallback;
        return IniDocument::parseInteger(*value).value_or(fallback);
    }
    bool boolean(const QString& section, const QString& key, bool fallback) const
    {
        return integer(section, key, fallback ? 1 : 0) != 0;
    }
    const IniDocument& document() const { return m_document; }

private:
    const IniDocument& m_document;
};

class Writer {
public:
    explicit Writer(IniDocument& document) : m_document(document) {}

    // One-line values: a line end typed into them cannot be stored and becomes a blank.
    void text(const QString& section, const char* key, const QString& value) { put(section, name(key), singleLine(value)); }
    void text(const QString& section, const QString& key, const QString& value) { put(section, key, singleLine(value)); }
    void escaped(const QString& section, const char* key, const QString& value) { put(section, name(key), escapeText(value)); }
    void integer(const QString& section, const char* key, qint64 value) { put(section, name(key), QString::number(value)); }
    void boolean(const QString& section, const char* key, bool value) { put(section, name(key), value ? QStringLiteral("1") : QStringLiteral("0")); }
    bool ok() const { return m_ok; }

private:
    void put(const QString& section, const QString& key, const QString& value)
    {
        if (m_document.setValue(section, key, value) == IniDocument::Edit::Invalid) {
            qCWarning(lcPodcast) << "project value not stored: [" << section << "]" << key << ":"
                                 << IniDocument::entryProblem(section, key, value);
            m_ok = false;
        }
    }

    IniDocument& m_document;
    bool m_ok = true;
};

// Bytes of the local audio file; 0 when it cannot be opened.
qint64 audioFileSize(const QString& path)
{
    if (path.isEmpty())
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.size();
}

quint8 podcastTypeOf(qint32 value)
{
    return value == 1 ? 1 : 0;
}

void readSettings(const Reader& in, PodcastRecord& record)
{
    const QString settings = name(kSettings);
    record.PodcastType = podcastTypeOf(in.integer(settings, kPodcastType, 0));
    const qint32 page = in.integer(settings, kLastActivePage, 0);
    record.LastActivePage = page >= 0 && page <= 255 ? quint8(page) : 0;
    record.FeedName = in.text(settings, kFeedName);
    record.AudioFileName = in.text(settings, kAudioFileName);
    record.HTMLFileName = in.text(settings, kHTMLFileName);

    record.UseID3Tag = in.boolean(name(kID3Tag), kUseID3Tag, false);

    const QString host = name(kHostSelection);
    record.HostName = in.text(host, kHostName);
    record.UserName = in.text(host, kUserName);
    record.LoginName = in.text(host, kLoginName);
    record.UploadPath = in.text(host, kUploadPath);
    const qint32 port = in.integer(host, kPortNo, kDefaultFtpPort);
    record.PortNo = port > 0 && port <= 65535 ? quint16(port) : kDefaultFtpPort;
    const qint32 hostType = in.integer(host, kHostType, 2);
    record.HostType = hostType >= 0 && hostType <= 2 ? FtpHostType(hostType) : FtpHostType::None;
    record.FTPAddress = in.text(host, kFTPAddress);
    record.WebsiteLink = in.text(host, kWebsiteLink);

    const QString feed = name(kFeedInfo);
    record.FeedGenerated = in.boolean(feed, kFeedGenerated, false);
    record.FeedFilePath = in.text(feed, kFeedFilePath);
    record.FeedURL = in.text(feed, kFeedURL);
    record.FeedTitle = in.text(feed, kFeedTitle);
    record.FeedDescription = in.escaped(feed, kFeedDescription);
    record.FeedDateTime = numericDateFromFeedDate(in.text(feed, kFeedDateTime));

    const QString itunes = name(kFeedItunesInfo);
    record.FeedSubtitle = in.text(itunes, kFeedSubtitle);
    record.FeedKeywords = in.text(itunes, kFeedKeywords);
    record.FeedOwner = in.text(itunes, kFeedOwner);
    record.FeedOwnerEmail = in.text(itunes, kFeedOwnerEmail);
    record.FeedSummary = in.escaped(itunes, kFeedSummary);
    record.FeedBlock = in.text(itunes, kFeedBlock);
    record.FeedExplicit = in.text(itunes, kFeedExplicit);
    const qint32 categories = in.integer(itunes, kFeedTotalCategories, 0);
    if (categories != 0) {
        // A damaged count cannot make us read more pairs than the section has keys.
        const qint32 count = qBound<qint32>(0, categories, qint32(in.document().keyNames(itunes).size()));
        QStringList main;
        QStringList sub;
        for (qint32 k = 0; k < count; ++k) {
            main << in.text(itunes, kFeedCategory + sectionNumber(k));
            sub << in.text(itunes, kFeedSubCategory + sectionNumber(k));
        }
        record.Categories = main;
        record.SubCategories = sub;
    }
    record.FeedImagePath = in.text(itunes, kFeedImagePath);
    record.FeedImageLink = in.text(itunes, kFeedImageLink);

    const QString more = name(kMoreInfo);
    record.SeriesWebMaster = in.text(more, kSeriesWebMaster);
    record.SeriesCopyright = in.text(more, kSeriesCopyright);
    record.SeriesEditor = in.text(more, kSeriesEditor);
    record.SeriesLanguage = in.text(more, kSeriesLanguage);
    record.SeriesTTL = in.integer(more, kSeriesTTL, 0);

    record.TotalItems = in.integer(name(kItemsInformation), kTotalItems, 1);

    const QString upload = name(kUploadInfo);
    record.HTMLFileLink = in.text(upload, kHTMLFileLink);
    record.HTMLFilePath = in.text(upload, kHTMLFilePath);
}

void readItem(const Reader& in, int episode, PodcastRecord& record)
{
    const bool unnumbered = episode <= 0;
    const QString item = unnumbered ? name(kPodcastItem) : podcastItemSection(episode);
    const QString itunes = unnumbered ? name(kItemItunesInfo) : itemItunesInfoSection(episode);

    record.AudioFilePath = unnumbered ? in.text(name(kAudioFile), kAudioFilePath) : in.text(item, kAudioFilePath);
    record.ItemURL = in.text(item, kItemURL);
    record.ItemTitle = in.text(item, kItemTitle);
    record.ItemDescription = in.escaped(item, kItemDescription);
    QString date = in.text(item, kItemDateTime);
    if (unnumbered) {
        if (date.isEmpty())
            date = in.text(name(kFeedInfo), kFeedDateTime);
        date = numericDateFromFeedDate(date);
    }
    record.ItemDateTime = date;
    record.ItemUploaded = in.boolean(item, kItemUploaded, false);

    record.ItemGuid = in.text(itunes, kItemGuid);
    record.ItemAuthor = in.text(itunes, kItemAuthor);
    record.ItemSubtitle = in.text(itunes, kItemSubtitle);
    record.ItemKeywords = in.text(itunes, kItemKeywords);
    record.ItemSummary = in.escaped(itunes, kItemSummary);
    record.ItemDuration = in.text(itunes, kItemDuration);
    record.ItemBlock = in.text(itunes, kItemBlock);
    record.ItemExplicit = in.text(itunes, kItemExplicit);

    if (const std::optional<AudioFileKind> kind = audioKindOfPath(record.AudioFilePath))
        record.AudioKind = *kind;
    record.FileSize = audioFileSize(record.AudioFilePath);
}


void writeSettings(Writer& out, const PodcastRecord& record)
{
    const QString settings = name(kSettings);
    out.integer(settings, kPodcastType, podcastTypeOf(record.PodcastType));
    out.integer(settings, kLastActivePage, record.LastActivePage);
    out.text(settings, kFeedName, record.FeedName);
    out.text(settings, kAudioFileName, record.AudioFileName);
    out.text(settings, kHTMLFileName, record.HTMLFileName);
    out.integer(settings, kPDIVersion, kCurrentVersion);

    out.boolean(name(kID3Tag), kUseID3Tag, record.UseID3Tag);

    const QString host = name(kHostSelection);
    out.text(host, kHostName, record.HostName);
    out.text(host, kUserName, record.UserName);
    out.text(host, kLoginName, record.LoginName);
    out.text(host, kUploadPath, record.UploadPath);
    out.integer(host, kPortNo, record.PortNo);
    out.integer(host, kHostType, quint8(record.HostType));
    out.text(host, kFTPAddress, record.FTPAddress);
    out.text(host, kWebsiteLink, record.WebsiteLink);

    const QString feed = name(kFeedInfo);
    out.boolean(feed, kFeedGenerated, record.FeedGenerated);
    out.text(feed, kFeedFilePath, record.FeedFilePath);
    out.text(feed, kFeedURL, record.FeedURL);
    out.text(feed, kFeedTitle, record.FeedTitle);
    out.escaped(feed, kFeedDescription, record.FeedDescription);
    out.text(feed, kFeedDateTime, record.FeedDateTime);

    const QString itunes = name(kFeedItunesInfo);
    out.text(itunes, kFeedSubtitle, record.FeedSubtitle);
    out.text(itunes, kFeedKeywords, record.FeedKeywords);
    out.text(itunes, kFeedOwner, record.FeedOwner);
    out.text(itunes, kFeedOwnerEmail, record.FeedOwnerEmail);
    out.escaped(itunes, kFeedSummary, record.FeedSummary);
    out.text(itunes, kFeedBlock, record.FeedBlock);
    out.text(itunes, kFeedExplicit, record.FeedExplicit);
    if (record.Categories) {
        const QStringList& main = *record.Categories;
        const QStringList sub = record.SubCategories.value_or(QStringList());
        out.integer(itunes, kFeedTotalCategories, main.size());
        for (qsizetype k = 0; k < main.size(); ++k) {
            out.text(itunes, kFeedCategory + sectionNumber(int(k)), main.at(k));
            out.text(itunes, kFeedSubCategory + sectionNumber(int(k)), k < sub.size() ? sub.at(k) : QString());
        }
    }
    out.text(itunes, kFeedImagePath, record.FeedImagePath);
    out.text(itunes, kFeedImageLink, record.FeedImageLink);

    const QString more = name(kMoreInfo);
    out.text(more, kSeriesWebMaster, record.SeriesWebMaster);
    out.text(more, kSeriesCopyright, record.SeriesCopyright);
    out.text(more, kSeriesEditor, record.SeriesEditor);
    out.text(more, kSeriesLanguage, record.SeriesLanguage);
    out.integer(more, kSeriesTTL, record.SeriesTTL);

    out.integer(name(kItemsInformation), kTotalItems, record.TotalItems);

    const QString upload = name(kUploadInfo);
    out.text(upload, kHTMLFileLink, record.HTMLFileLink);
    out.text(upload, kHTMLFilePath, record.HTMLFilePath);
}

void writeItem(Writer& out, const PodcastRecord& record, int episode)
{
    const QString item = podcastItemSection(episode);
    out.text(item, kAudioFilePath, record.AudioFilePath);
    out.text(item, kItemURL, record.ItemURL);
    out.text(item, kItemTitle, record.ItemTitle);
    out.escaped(item, kItemDescription, record.ItemDescription);
    out.text(item, kItemDateTime, record.ItemDateTime);
    out.boolean(item, kItemUploaded, record.ItemUploaded);

    const QString itunes = itemItunesInfoSection(episode);
    out.text(itunes, kItemGuid, record.ItemGuid);
    out.text(itunes, kItemAuthor, record.ItemAuthor);
    out.text(itunes, kItemSubtitle, record.ItemSubtitle);
    out.text(itunes, kItemKeywords, record.ItemKeywords);
    out.escaped(itunes, kItemSummary, record.ItemSummary);
    out.text(itunes, kItemDuration, record.ItemDuration);
    out.text(itunes, kItemBlock, record.ItemBlock);
    out.text(itunes, kItemExplicit, record.ItemExplicit);
}

// Loads the project (a missing file is an empty one), applies change and saves the whole text at
// once. Nothing is written when a value could not be stored.
int changeProject(const QString& path, const std::function<void(Writer&)>& change)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, true); result != PdiOk)
        return result;
    Writer out(document);
    change(out);
    if (!out.ok())
        return PdiCannotCreate;
    return saveDocument(path, document);
}

// The header's section name when the line is a section header.
std::optional<QString> headerName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return std::nullopt;
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

} // namespace

QString pdiMessageText(int result)
{
    switch (result) {
    case PdiOk:
        return {};
    case PdiCannotCreate:
        return QStringLiteral("Cannot create the specified file.");
    case PdiInvalidFileName:
        return QStringLiteral("Please Specify a Valid File name.");
    case PdiCannotOpen:
        return QStringLiteral("Cannot open the specified file.");
    }
    return QStringLiteral("Error %1").arg(result);
}

int ReadPDISettings(const QString& path, PodcastRecord& record)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    readSettings(Reader(document), record);
    return PdiOk;
}

int ReadPDIItem(const QString& path, int episode, PodcastRecord& record)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    readItem(Reader(document), episode, record);
    return PdiOk;
}

int ReadPDIProject(const QString& path, PodcastRecord& record, QList<PodcastRecord>& episodes)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    const Reader in(document);
    PodcastRecord read = record;
    readSettings(in, read);
    // A damaged count must not make us read millions of missing episodes.
    const qint32 count = qBound<qint32>(0, read.TotalItems, qint32(document.sectionNames().size()));
    QList<PodcastRecord> all;
    all.reserve(count);
    PodcastRecord episode = read;
    for (int n = 1; n <= count; ++n) {
        readItem(in, n, episode);
        all << episode;
    }
    record = read;
    episodes = all;
    return PdiOk;
}

int WritePDISettings(const QString& path, const PodcastRecord& record)
{
    return changeProject(path, [&](Writer& out) { writeSettings(out, record); });
}

int WritePDIItem(const QString& path, const PodcastRecord& record, int episode)
{
    return changeProject(path, [&](Writer& out) { writeItem(out, record, episode); });
}

int WritePDIProject(const QString& path, const PodcastRecord& record, int episode)
{
    return changeProject(path, [&](Writer& out) {
        writeSettings(out, record);
        writeItem(out, record, episode);
    });
}

int CreateNewPDIFile(const QString& path, PodcastRecord& record)
{
    if (path.isEmpty())
        return PdiInvalidFileName;
    PodcastRecord fresh = record;
    fresh.TotalItems = 1;
    fresh.ItemUploaded = false;
    IniDocument document;
    Writer out(document);
    writeSettings(out, fresh);
    writeItem(out, fresh, 1);
    if (!out.ok())
        return PdiCannotCreate;
    if (const int result = saveDocument(path, document); result != PdiOk)
        return result;
    record.TotalItems = 1;
    return PdiOk;
}

int CreatePDIProject(const QString& path, const PodcastRecord& record, const QList<PodcastRecord>& episodes)
{
    if (path.isEmpty())
        return PdiInvalidFileName;
    PodcastRecord settings = record;
    settings.TotalItems = qint32(episodes.size());
    IniDocument document;
    Writer out(document);
    writeSettings(out, settings);
    for (qsizetype n = 0; n < episodes.size(); ++n)
        writeItem(out, episodes[n], int(n + 1));
    if (!out.ok())
        return PdiCannotCreate;
    return saveDocument(path, document);
}

int SavePDIProjectAs(const QString& sourcePath, const QString& targetPath, const PodcastRecord& record, int episode)
{
    if (targetPath.isEmpty())
        return PdiInvalidFileName;
    IniDocument document;
    if (const int result = loadDocument(sourcePath, document, true); result != PdiOk)
        return result;
    Writer out(document);
    writeSettings(out, record);
    writeItem(out, record, episode);
    if (!out.ok())
        return PdiCannotCreate;
    return saveDocument(targetPath, document);
}

int MarkPDIItemsUploaded(const QString& path, const QStringList& episodes)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    Writer out(document);
    for (const QString& episode : episodes)
        out.boolean(name(kPodcastItem) + episode, kItemUploaded, true);
    if (!out.ok())
        return PdiCannotCreate;
    return saveDocument(path, document);
}

int GetPDIItemCount(const QString& path, qint32& count)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    count = Reader(document).integer(name(kItemsInformation), kTotalItems, 1);
    return PdiOk;
}

int ReadPDIItemString(const QString& path, const QString& key, int episode, QString& value)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    value = Reader(document).text(podcastItemSection(episode), key);
    return PdiOk;
}

int ReadPDIItemBool(const QString& path, const QString& key, int episode, bool& value)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    value = Reader(document).boolean(podcastItemSection(episode), key, false);
    return PdiOk;
}

int ReadPDIFeedPath(const QString& path, QString& feedPath)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    feedPath = Reader(document).text(name(kFeedInfo), kFeedFilePath);
    return PdiOk;
}

int GetPDIVersion(const QString& path, int& version)
{
    version = 2;
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    const QString settings = name(kSettings);
    if (!document.sectionExists(settings))
        version = 1;
    else if (!document.valueExists(settings, name(kPDIVersion)))
        version = 2;
    else
        version = Reader(document).integer(settings, kPDIVersion, kCurrentVersion);
    return PdiOk;
}

int AddPDIItem(const QString& path, PodcastRecord& record, int& episode)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    PodcastRecord added = record;
    readSettings(Reader(document), added);
    const int number = qMax(added.TotalItems, 0) + 1;
    added.TotalItems = number;
    Writer out(document);
    writeSettings(out, added);
    ClearItemFields(added);
    writeItem(out, added, number);
    if (!out.ok())
        return PdiCannotCreate;
    if (const int result = saveDocument(path, document); result != PdiOk)
        return result;
    readSettings(Reader(document), added);
    record = added;
    episode = number;
    return PdiOk;
}

int DeletePDIItem(const QString& path, int episode)
{
    IniDocument document;
    if (const int result = loadDocument(path, document, false); result != PdiOk)
        return result;
    const QString items = name(kItemsInformation);
    const qint32 total = Reader(document).integer(items, kTotalItems, 2);
    if (episode < 1 || episode > total)
        return PdiOk;
    document.removeSection(podcastItemSection(episode));
    document.removeSection(itemItunesInfoSection(episode));
    Writer out(document);
    out.integer(items, kTotalItems, total - 1);
    if (!out.ok())
        return PdiCannotCreate;

    // The later episodes move down by one: their section headers are renamed in place.
    QStringList lines = document.lines();
    for (QString& line : lines) {
        const std::optional<QString> header = headerName(line);
        if (!header)
            continue;
        for (int m = episode + 1; m <= total; ++m) {
            if (header->compare(podcastItemSection(m), Qt::CaseInsensitive) == 0)
                line = QLatin1Char('[') + podcastItemSection(m - 1) + QLatin1Char(']');
            else if (header->compare(itemItunesInfoSection(m), Qt::CaseInsensitive) == 0)
                line = QLatin1Char('[') + itemItunesInfoSection(m - 1) + QLatin1Char(']');
            else
                continue;
            break;
        }
    }
    const QString lineEnd = document.lineEnd() == IniDocument::LineEnd::CrLf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    return saveDocument(path, IniDocument::fromText(lines.join(lineEnd) + lineEnd));
}

} // namespace podcast
