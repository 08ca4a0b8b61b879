#include "common/FeedText.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <array>
#include <optional>
#include <utility>

namespace common {

namespace {

std::function<QDateTime()>& clockSlot()
{
    static std::function<QDateTime()> clock;
    return clock;
}

constexpr std::array<const char*, 7> dayNames{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<const char*, 12> monthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int monthNumber(const QString& name)
{
    for (int i = 0; i < int(monthNames.size()); ++i) {
        if (name.compare(QLatin1String(monthNames[size_t(i)]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

// Minutes east of UTC of an RFC 822 zone; false when the zone is not known.
bool zoneOffset(const QString& zone, int* minutes)
{
    static const std::array<std::pair<const char*, int>, 12> named{{
        {"GMT", 0}, {"UT", 0}, {"UTC", 0}, {"Z", 0},
        {"EST", -5 * 60}, {"EDT", -4 * 60}, {"CST", -6 * 60}, {"CDT", -5 * 60},
        {"MST", -7 * 60}, {"MDT", -6 * 60}, {"PST", -8 * 60}, {"PDT", -7 * 60},
    }};
    if (zone.isEmpty()) {
        *minutes = 0;
        return true;
    }
    for (const auto& [name, offset] : named) {
        if (zone.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            *minutes = offset;
            return true;
        }
    }
    static const QRegularExpression numeric(QStringLiteral("^([+-])(\\d\\d)(\\d\\d)$"));
    const QRegularExpressionMatch m = numeric.match(zone);
    if (!m.hasMatch())
        return false;
    const int value = m.captured(2).toInt() * 60 + m.captured(3).toInt();
    *minutes = m.captured(1) == QLatin1String("-") ? -value : value;
    return true;
}

struct Replacement {
    QChar character;
    QLatin1String entity;
};

const std::array<Replacement, 6>& replacements()
{
    static const std::array<Replacement, 6> table{{
        {QLatin1Char('&'), QLatin1String("&amp;")},
        {QLatin1Char('<'), QLatin1String("&lt;")},
        {QLatin1Char('>'), QLatin1String("&gt;")},
        {QLatin1Char('\''), QLatin1String("&apos;")},
        {QLatin1Char('"'), QLatin1String("&quot;")},
        {QChar(0x00A9), QLatin1String("&#xA9;")},
    }};
    return table;
}

// The fields of "MM/dd/yyyy HH:mm:ss" with all its digits, not yet checked for range; nothing for
// any other text.
std::optional<std::pair<QDate, QTime>> fullNumericDate(QStringView text)
{
    static constexpr char layout[] = "00/00/0000 00:00:00";
    if (text.size() != qsizetype(sizeof layout - 1))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (layout[i] == '0' ? (c < u'0' || c > u'9') : c != char16_t(layout[i]))
            return std::nullopt;
    }
    const auto number = [&](qsizetype from, qsizetype digits) {
        int value = 0;
        for (qsizetype i = from; i < from + digits; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    return std::pair{QDate(number(6, 4), number(0, 2), number(3, 2)),
                     QTime(number(11, 2), number(14, 2), number(17, 2))};
}

} // namespace

QDateTime feedNow()
{
    const auto& clock = clockSlot();
    return clock ? clock() : QDateTime::currentDateTimeUtc();
}

FeedClockOverride::FeedClockOverride(std::function<QDateTime()> clock)
    : m_previous(std::exchange(clockSlot(), std::move(clock)))
{
}

FeedClockOverride::~FeedClockOverride()
{
    clockSlot() = std::move(m_previous);
}

QString GetRfc822DateTime(const QDateTime& moment)
{
    const QDateTime utc = (moment.isValid() ? moment : feedNow()).toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 GMT")
        .arg(QLatin1String(dayNames[size_t(date.dayOfWeek() - 1)]))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(monthNames[size_t(date.month() - 1)]))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

QString ConvertPubDateToNumeric(const QString& pubDate)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(?:[A-Za-z]{3}[a-z]*\\s*,?\\s*)?(\\d{1,2})\\s+([A-Za-z]{3})[a-z]*\\.?\\s+(\\d{2}|\\d{4})"
        "\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*(\\S*)\\s*$"));
    const QRegularExpressionMatch m = form.match(pubDate);
    int offset = 0;
    if (!m.hasMatch() || !zoneOffset(m.captured(7), &offset))
        return {};
    const int month = monthNumber(m.captured(2));
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 50 ? 2000 : 1900;
    const QDate date(year, month, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (month == 0 || !date.isValid() || !time.isValid())
        return {};
    const QDateTime utc = QDateTime(date, time, QTimeZone::utc()).addSecs(-qint64(offset) * 60);
    return utc.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

QDateTime NumericDateToUtc(const QString& numeric)
{
    const QString text = numeric.trimmed();
    // The form our project files and feeds hold, every digit written, is read here directly: a
    // feed of thousands of episodes reads a date for each, and the general parser is slow.
    if (std::optional<std::pair<QDate, QTime>> fields = fullNumericDate(text)) {
        const auto& [date, time] = *fields;
        return date.isValid() && time.isValid() ? QDateTime(date, time, QTimeZone::utc()) : QDateTime();
    }
    QDateTime moment = QDateTime::fromString(text, QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    if (!moment.isValid())
        return {};
    moment.setTimeZone(QTimeZone::utc());
    return moment;
}

QString XmlEscape(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        bool replaced = false;
        for (const Replacement& r : replacements()) {
            if (c == r.character) {
                result += r.entity;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            result += c;
    }
    return result;
}

QString XmlUnescape(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        bool decoded = false;
        if (text[i] == QLatin1Char('&')) {
            for (const Replacement& r : replacements()) {
                if (QStringView(text).mid(i, r.entity.size()).compare(r.entity, Qt::CaseInsensitive) == 0) {
                    result += r.character;
                    i += r.entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            result += text[i++];
    }
    return result;
}

bool IsValidUrl(const QString& text)
{
    if (text.contains(QLatin1Char('(')) || text.contains(QLatin1Char(')')) || text.contains(QLatin1Char(' ')))
        return false;
    return text.contains(QLatin1String("http://")) || text.contains(QLatin1String("https://"));
}

bool IsValidEmail(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.size() >= 7 && trimmed.size() <= 200 && text.contains(QLatin1Char('@'))
        && text.contains(QLatin1Char('.')) && !trimmed.contains(QLatin1Char(' '));
}

} // namespace common
