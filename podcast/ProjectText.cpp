#include "podcast/ProjectText.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

namespace podcast::pdi {

QString escapeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
        } else if (c == QLatin1Char('=')) {
            out += QLatin1String("\\e");
        } else if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\\\");
        } else {
            out += c;
        }
    }
    return out;
}

QString unescapeText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(i + 1).toLower();
        if (next == QLatin1Char('e')) {
            out += QLatin1Char('=');
            ++i;
        } else if (next == QLatin1Char('n')) {
            out += QLatin1String("\r\n");
            ++i;
        } else if (next == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString singleLine(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

QString numericDateFromFeedDate(const QString& text)
{
    if (!text.contains(QLatin1String("GMT"), Qt::CaseInsensitive))
        return text;
    // "[Ddd, ]d[d] Mon yyyy HH:mm[:ss] GMT", the form feeds carry; the month names are English
    // whatever the locale.
    static const QRegularExpression feedDate(
        QStringLiteral(R"(^\s*(?:[A-Za-z]{3},\s*)?(\d{1,2})\s+([A-Za-z]{3})\s+(\d{4})\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s+GMT\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = feedDate.match(text);
    if (!match.hasMatch())
        return text;
    static const QStringList months{"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
    const qsizetype month = months.indexOf(match.captured(2).toLower());
    if (month < 0)
        return text;
    const QDateTime date(QDate(match.captured(3).toInt(), int(month) + 1, match.captured(1).toInt()),
                         QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt()));
    if (!date.isValid())
        return text;
    return date.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

} // namespace podcast::pdi
