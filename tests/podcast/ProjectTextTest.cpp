// The one-line forms of the project's multi-line texts and dates.
#include "podcast/ProjectText.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace podcast::pdi;

namespace {

struct EscapeCase {
    const char* name;
    const char* text; // UTF-8
    const char* stored;
    const char* readBack; // what comes back when not the text itself
};

class ProjectTextEscape : public testing::TestWithParam<EscapeCase> {};

TEST_P(ProjectTextEscape, StoresOneLineAndReadsBack)
{
    const QString text = QString::fromUtf8(GetParam().text);
    const QString stored = escapeText(text);
    EXPECT_EQ(stored, QString::fromUtf8(GetParam().stored));
    EXPECT_FALSE(stored.contains(QLatin1Char('\n')) || stored.contains(QLatin1Char('\r')) || stored.contains(QLatin1Char('=')));
    const char* expected = GetParam().readBack ? GetParam().readBack : GetParam().text;
    EXPECT_EQ(unescapeText(stored), QString::fromUtf8(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectTextEscape,
    testing::Values(EscapeCase{"Plain", "News of the week", "News of the week", nullptr},
                    EscapeCase{"EqualsAndTwoLines", "a=b\r\nsecond line", "a\\eb\\nsecond line", nullptr},
                    // Text edits give bare line ends; they are kept as CR LF instead of breaking the file.
                    EscapeCase{"BareLineFeeds", "one\ntwo\n\nthree", "one\\ntwo\\n\\nthree", "one\r\ntwo\r\n\r\nthree"},
                    EscapeCase{"LoneCarriageReturn", "one\rtwo", "one\\ntwo", "one\r\ntwo"},
                    EscapeCase{"WindowsPath", "C:\\news\\each", "C:\\\\news\\\\each", nullptr},
                    EscapeCase{"LiteralEscapes", "\\n is not \\e", "\\\\n is not \\\\e", nullptr},
                    EscapeCase{"TrailingBackslash", "ends in \\", "ends in \\\\", nullptr},
                    EscapeCase{"Markup", "<b>Tom & \"Jerry\"</b>", "<b>Tom & \"Jerry\"</b>", nullptr},
                    EscapeCase{"EmojiAndRightToLeft", "🎙️ שלום عالم", "🎙️ שלום عالم", nullptr}),
    [](const testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

// Texts written by older versions, which escaped neither backslashes nor the letters' case.
TEST(ProjectTextOlderFiles, UnescapeReadsTheirTexts)
{
    const struct {
        const char* stored;
        const char* text;
    } cases[] = {
        {"a\\eb\\nc", "a=b\r\nc"},
        {"A\\Eb\\Nc", "A=b\r\nc"},
        {"C:\\path\\to\\file.mp3", "C:\\path\\to\\file.mp3"},
        {"x \\", "x \\"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unescapeText(QString::fromUtf8(c.stored)), QString::fromUtf8(c.text)) << c.stored;
}

TEST(ProjectTextSingleLine, LineEndsBecomeBlanks)
{
    EXPECT_EQ(singleLine(QStringLiteral("a\r\nb\nc\rd")), QStringLiteral("a b c d"));
    EXPECT_EQ(singleLine(QStringLiteral("same")), QStringLiteral("same"));
}

TEST(ProjectTextDates, FeedDatesBecomeNumeric)
{
    const struct {
        const char* text;
        const char* numeric;
    } cases[] = {
        {"Wed, 02 Oct 2002 13:00:05 GMT", "10/02/2002 13:00:05"},
        {"Sat, 31 Dec 2005 23:59:59 GMT", "12/31/2005 23:59:59"},
        {"1 jan 2007 7:05 gmt", "01/01/2007 07:05:00"},
        // Not feed dates: kept as they stand.
        {"12/31/2005 23:59:59", "12/31/2005 23:59:59"},
        {"GMT sometime", "GMT sometime"},
        {"Wed, 31 Feb 2002 13:00:05 GMT", "Wed, 31 Feb 2002 13:00:05 GMT"},
        {"Wed, 02 Okt 2002 13:00:05 GMT", "Wed, 02 Okt 2002 13:00:05 GMT"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numericDateFromFeedDate(QString::fromUtf8(c.text)), QString::fromUtf8(c.numeric)) << c.text;
}

} // namespace
