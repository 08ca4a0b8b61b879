#pragma once
// A program's message texts by number, read from a UTF-8 table file of "id<TAB>text" lines.
//
// The text is everything after the first tab up to the end of the line, kept exactly as written:
// a backslash followed by n stays two characters. Blank lines and lines starting with '#' are
// comments. A malformed line or an id given twice refuses the whole file, so a broken table is
// caught when it is loaded (and by the tests that load it), not when a message is missing.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace platform {

class StringTable {
public:
    StringTable() = default;

    // Replaces the table by the file's texts. On failure the table is left empty, the reason is
    // logged and kept in errorString().
    bool load(const QString& path);
    // The same for text already in memory; origin names it in error messages.
    bool parse(const QByteArray& utf8, const QString& origin);

    // The text of the id; empty when the table has none.
    QString text(int id) const { return m_texts.value(id); }
    bool contains(int id) const { return m_texts.contains(id); }
    QList<int> ids() const;
    qsizetype size() const { return m_texts.size(); }
    bool isEmpty() const { return m_texts.isEmpty(); }

    QString errorString() const { return m_error; }

private:
    bool fail(const QString& error);

    QHash<int, QString> m_texts;
    QString m_error;
};

} // namespace platform
