#pragma once
// The text of an initialisation file ("[section]" headers, "key=value" lines) held as its lines,
// with lookups and edits that follow the rules of the Windows profile functions the programs were
// written against:
// - section and key names compare case-insensitively; the first matching section and, inside it,
//   the first matching key win; later duplicates stay in the text but are not read;
// - a value is read with leading and trailing blanks (spaces, tabs) removed and one pair of
//   enclosing matching quotes (" or ') discarded;
// - lines whose first non-blank character is ';' are comments; lines without '=' and text before
//   the first section are ignored on read; every line is kept on write, in its order.
// No file access here: IniFile puts this on disk.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform {

class IniDocument {
public:
    enum class LineEnd { CrLf, Lf };
    enum class Edit { Changed, Unchanged, Invalid };

    // An empty document; written with CR LF line ends.
    IniDocument();

    // Lines are split at CR LF, LF and a lone CR. The line ends are written as the first line end
    // of the text (CR LF for a lone CR).
    static IniDocument fromText(const QString& text);
    // UTF-8 (a byte-order mark is skipped and written back), or Windows-1252 when the bytes are
    // not valid UTF-8.
    static IniDocument fromBytes(QByteArrayView bytes);
    QString toText() const;
    // Always UTF-8.
    QByteArray toBytes() const;

    LineEnd lineEnd() const { return m_lineEnd; }
    const QStringList& lines() const { return m_lines; }

    std::optional<QString> value(const QString& section, const QString& key) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    // Every section header in file order, duplicates included.
    QStringList sectionNames() const;
    // The keys of the first matching section in file order, duplicates included.
    QStringList keyNames(const QString& section) const;

    // Updates the key's line in place (keeping the key's spelling in the file), or appends the key
    // after the section's last entry, or appends the section at the end. A value that would not
    // read back as written (blanks at either end, enclosing quotes) is written inside double
    // quotes. Invalid: see entryProblem.
    Edit setValue(const QString& section, const QString& key, const QString& value);
    // Removes the first matching section: its header and every line up to the next header.
    Edit removeSection(const QString& section);
    Edit removeKey(const QString& section, const QString& key);

    // Empty when the entry can be stored; otherwise why not (a line break in any part, a key or
    // section name that is empty or would read back as something else).
    static QString entryProblem(const QString& section, const QString& key, const QString& value);

    // The whole text as a decimal integer with optional sign, or hexadecimal after "$" or "0x";
    // hexadecimal up to FFFFFFFF wraps into the signed range. Anything else gives nothing.
    static std::optional<qint32> parseInteger(QStringView text);

private:
    struct Entry {
        QString name;
        qsizetype line = 0;
    };
    struct Section {
        QString name;
        qsizetype header = 0;
        qsizetype end = 0; // one past the section's last line
        std::vector<Entry> entries;
        QHash<QString, qsizetype> firstEntry; // folded key -> index into entries
    };

    void reindex();
    // Indexes the entry line just inserted at `at` as the last entry of the section, and moves
    // the lines of the sections after it down by one.
    void insertedLine(std::size_t sectionIndex, qsizetype at, const QString& key);
    const Section* findSection(const QString& name) const;
    const Entry* findEntry(const Section& section, const QString& key) const;

    QStringList m_lines;
    LineEnd m_lineEnd = LineEnd::CrLf;
    bool m_finalLineEnd = true;
    bool m_byteOrderMark = false;
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_firstSection; // folded name -> index into m_sections
};

} // namespace platform
