#include "platform/settings/IniDocument.h"

#include "platform/settings/TextDecoding.h"

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView trimLeadingBlanks(QStringView text)
{
    qsizetype begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    return text.sliced(begin);
}

QString fold(QStringView name)
{
    return trimBlanks(name).toString().toCaseFolded();
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

// The value of an entry line: what follows the first '=', without blanks at either end and
// without one pair of enclosing matching quotes.
QString entryValue(QStringView line)
{
    QStringView value = trimBlanks(line.sliced(line.indexOf(u'=') + 1));
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toString();
}

// How a value is written so that entryValue gives it back unchanged.
QString encodeValue(const QString& value)
{
    const bool protect = !value.isEmpty()
        && (isBlank(value.front()) || isBlank(value.back())
            || (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    return protect ? u'"' + value + u'"' : value;
}

// The name of a header line "[name]" (trimmed inside the brackets), or nothing for other lines.
std::optional<QString> headerName(QStringView line)
{
    const QStringView text = trimLeadingBlanks(line);
    if (!text.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = text.indexOf(u']', 1);
    const QStringView inside = close < 0 ? text.sliced(1) : text.sliced(1, close - 1);
    return trimBlanks(inside).toString();
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

IniDocument::IniDocument() = default;

IniDocument IniDocument::fromText(const QString& text)
{
    IniDocument document;
    bool lineEndKnown = false;
    const QChar* const data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\n' && c != u'\r')
            continue;
        document.m_lines.append(text.mid(start, i - start));
        const bool crLf = c == u'\r' && i + 1 < size && data[i + 1] == u'\n';
        if (!lineEndKnown) {
            document.m_lineEnd = c == u'\n' ? LineEnd::Lf : LineEnd::CrLf;
            lineEndKnown = true;
        }
        if (crLf)
            ++i;
        start = i + 1;
    }
    if (start < size)
        document.m_lines.append(text.mid(start));
    document.m_finalLineEnd = size == 0 || start >= size;
    document.reindex();
    return document;
}

IniDocument IniDocument::fromBytes(QByteArrayView bytes)
{
    bool byteOrderMark = false;
    IniDocument document = fromText(decodeUtf8OrWindows1252(bytes, &byteOrderMark));
    document.m_byteOrderMark = byteOrderMark;
    return document;
}

QString IniDocument::toText() const
{
    const QString lineEnd = m_lineEnd == LineEnd::CrLf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text = m_lines.join(lineEnd);
    if (m_finalLineEnd && !m_lines.isEmpty())
        text += lineEnd;
    return text;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes = m_byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    return bytes + toText().toUtf8();
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Section* found = findSection(section);
    const Entry* entry = found ? findEntry(*found, key) : nullptr;
    if (!entry)
        return std::nullopt;
    return entryValue(m_lines[entry->line]);
}

bool IniDocument::sectionExists(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool IniDocument::valueExists(const QString& section, const QString& key) const
{
    const Section* found = findSection(section);
    return found && findEntry(*found, key);
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section& section : m_sections)
        names.append(section.name);
    return names;
}

QStringList IniDocument::keyNames(const QString& section) const
{
    QStringList names;
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries)
            names.append(entry.name);
    }
    return names;
}

IniDocument::Edit IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!entryProblem(section, key, value).isEmpty())
        return Edit::Invalid;
    const QString keyName = trimBlanks(key).toString();
    const QString text = encodeValue(value);
    // The index is kept up to date here rather than built again, so that writing a file of many
    // sections key by key takes time in proportion to its size.
    if (const Section* found = findSection(section)) {
        if (const Entry* entry = findEntry(*found, key)) {
            if (entryValue(m_lines[entry->line]) == value)
                return Edit::Unchanged;
            m_lines[entry->line] = entry->name + u'=' + text;
        } else {
            const qsizetype at = found->entries.empty() ? found->header + 1 : found->entries.back().line + 1;
            m_lines.insert(at, keyName + u'=' + text);
            insertedLine(std::size_t(found - m_sections.data()), at, keyName);
        }
    } else {
        Section added;
        added.name = trimBlanks(section).toString();
        added.header = m_lines.size();
        m_lines.append(u'[' + added.name + u']');
        m_firstSection.insert(added.name.toCaseFolded(), qsizetype(m_sections.size()));
        m_sections.push_back(std::move(added));
        m_lines.append(keyName + u'=' + text);
        insertedLine(m_sections.size() - 1, m_lines.size() - 1, keyName);
    }
    return Edit::Changed;
}

void IniDocument::insertedLine(std::size_t sectionIndex, qsizetype at, const QString& key)
{
    Section& section = m_sections[sectionIndex];
    section.firstEntry.insert(key.toCaseFolded(), qsizetype(section.entries.size()));
    section.entries.push_back({key, at});
    section.end = sectionIndex + 1 < m_sections.size() ? section.end + 1 : m_lines.size();
    for (std::size_t i = sectionIndex + 1; i < m_sections.size(); ++i) {
        Section& later = m_sections[i];
        ++later.header;
        ++later.end;
        for (Entry& entry : later.entries)
            ++entry.line;
    }
}

IniDocument::Edit IniDocument::removeSection(const QString& section)
{
    const Section* found = findSection(section);
    if (!found)
        return Edit::Unchanged;
    m_lines.remove(found->header, found->end - found->header);
    reindex();
    return Edit::Changed;
}

IniDocument::Edit IniDocument::removeKey(const QString& section, const QString& key)
{
    const Section* found = findSection(section);
    const Entry* entry = found ? findEntry(*found, key) : nullptr;
    if (!entry)
        return Edit::Unchanged;
    m_lines.removeAt(entry->line);
    reindex();
    return Edit::Changed;
}

QString IniDocument::entryProblem(const QString& section, const QString& key, const QString& value)
{
    for (const QString* part : {&section, &key, &value}) {
        if (part->contains(u'\r') || part->contains(u'\n'))
            return QStringLiteral("a line break cannot be stored in one line");
    }
    const QStringView sectionName = trimBlanks(section);
    if (sectionName.isEmpty())
        return QStringLiteral("the section name is empty");
    if (sectionName.contains(u']'))
        return QStringLiteral("a section name cannot hold ']'");
    const QStringView keyName = trimBlanks(key);
    if (keyName.isEmpty())
        return QStringLiteral("the key is empty");
    if (keyName.contains(u'='))
        return QStringLiteral("a key cannot hold '='");
    if (keyName.startsWith(u';') || keyName.startsWith(u'['))
        return QStringLiteral("a key cannot start with ';' or '['");
    return {};
}

std::optional<qint32> IniDocument::parseInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.sliced(1);
    } else if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (const QChar c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = quint32(magnitude);
    return qint32(negative ? 0u - bits : bits);
}

void IniDocument::reindex()
{
    m_sections.clear();
    m_firstSection.clear();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString& line = m_lines[i];
        if (std::optional<QString> name = headerName(line)) {
            if (!m_sections.empty())
                m_sections.back().end = i;
            const QString folded = name->toCaseFolded();
            if (!m_firstSection.contains(folded))
                m_firstSection.insert(folded, qsizetype(m_sections.size()));
            Section section;
            section.name = std::move(*name);
            section.header = i;
            m_sections.push_back(std::move(section));
            continue;
        }
        if (m_sections.empty() || trimLeadingBlanks(line).startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = trimBlanks(QStringView(line).first(equals)).toString();
        if (key.isEmpty())
            continue;
        Section& section = m_sections.back();
        const QString folded = key.toCaseFolded();
        if (!section.firstEntry.contains(folded))
            section.firstEntry.insert(folded, qsizetype(section.entries.size()));
        section.entries.push_back({key, i});
    }
    if (!m_sections.empty())
        m_sections.back().end = m_lines.size();
}

const IniDocument::Section* IniDocument::findSection(const QString& name) const
{
    const auto found = m_firstSection.constFind(fold(name));
    return found == m_firstSection.cend() ? nullptr : &m_sections[std::size_t(*found)];
}

const IniDocument::Entry* IniDocument::findEntry(const Section& section, const QString& key) const
{
    const auto found = section.firstEntry.constFind(fold(key));
    return found == section.firstEntry.cend() ? nullptr : &section.entries[std::size_t(*found)];
}

} // namespace platform
