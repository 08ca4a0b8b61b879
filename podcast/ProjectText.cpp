#include "podcast/ProjectText.h"

#include "common/FeedText.h"

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
    const QString numeric = common::ConvertPubDateToNumeric(text);
    return numeric.isEmpty() ? text : numeric;
}

} // namespace podcast::pdi
