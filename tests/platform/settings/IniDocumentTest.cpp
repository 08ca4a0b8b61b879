// The ini text rules without files: lookups, edits, integers, decoding and hostile text.
#include "platform/settings/IniDocument.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <vector>

using platform::IniDocument;

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

template <std::size_t N>
QByteArray bytesOf(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

struct LookupCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<const char*> expected;
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValueAsTheWindowsReaderDoes)
{
    const LookupCase& c = GetParam();
    const IniDocument document = IniDocument::fromText(u8(c.text));
    const std::optional<QString> value = document.value(u8(c.section), u8(c.key));
    EXPECT_EQ(value.has_value(), c.expected.has_value());
    if (value && c.expected) {
        EXPECT_EQ(*value, u8(*c.expected));
    }
    EXPECT_EQ(document.valueExists(u8(c.section), u8(c.key)), c.expected.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    testing::Values(
        LookupCase{"Plain", "[Main]\r\nName=Value\r\n", "Main", "Name", "Value"},
        LookupCase{"BlanksAroundKeyAndValue", "[Main]\n  Name \t=  \t Value with  inner  \t \n", "Main", "Name",
                   "Value with  inner"},
        LookupCase{"TabsEverywhere", "[A]\n\tk\t=\tv\t\n", "A", "k", "v"},
        LookupCase{"DoubleQuotesKeepInnerBlanks", "[A]\nk=\"  padded  \"\n", "A", "k", "  padded  "},
        LookupCase{"SingleQuotes", "[A]\nk='x'\n", "A", "k", "x"},
        LookupCase{"QuotesInsideBlanks", "[A]\nk=  \"a\"  \n", "A", "k", "a"},
        LookupCase{"MismatchedQuotesKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
        LookupCase{"OnlyOnePairRemoved", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
        LookupCase{"LoneQuoteKept", "[A]\nk=\"\n", "A", "k", "\""},
        LookupCase{"OpeningQuoteOnlyKept", "[A]\nk=\"abc\n", "A", "k", "\"abc"},
        LookupCase{"EmptyQuotes", "[A]\nk=\"\"\n", "A", "k", ""},
        LookupCase{"EmptyValue", "[A]\nk=\n", "A", "k", ""},
        LookupCase{"ValueHoldsEquals", "[A]\nurl=a=b=c\n", "A", "url", "a=b=c"},
        LookupCase{"SemicolonInsideValue", "[A]\nk=a ; b\n", "A", "k", "a ; b"},
        LookupCase{"SectionAndKeyIgnoreCase", "[MaIn]\nNaMe=v\n", "main", "NAME", "v"},
        LookupCase{"NonAsciiNamesIgnoreCase", "[ÜBER]\nÄrger=1\n", "über", "ärger", "1"},
        LookupCase{"HeaderTrimmedInsideBrackets", "[  Main Section  ]\nk=v\n", "Main Section", "k", "v"},
        LookupCase{"LookupNamesTrimmed", "[Main]\nkey=v\n", " Main ", "\tkey ", "v"},
        LookupCase{"TextAfterHeaderIgnored", "[A] ; note\nk=1\n", "A", "k", "1"},
        LookupCase{"HeaderWithoutClosingBracket", "[A\nk=1\n", "A", "k", "1"},
        LookupCase{"FirstDuplicateSectionWins", "[A]\nk=1\n[B]\nk=2\n[a]\nk=3\nj=4\n", "A", "k", "1"},
        LookupCase{"KeyOfLaterDuplicateSectionNotRead", "[A]\nk=1\n[a]\nj=4\n", "A", "j", std::nullopt},
        LookupCase{"FirstDuplicateKeyWins", "[A]\nk=1\nK = 2\n", "A", "k", "1"},
        LookupCase{"CommentsSkipped", "[A]\n;k=1\n  ; k=2\nk=3\n", "A", "k", "3"},
        LookupCase{"CommentOnlyIsNoValue", "[A]\n;k=1\n", "A", "k", std::nullopt},
        LookupCase{"LineWithoutEqualsIgnored", "[A]\nk\nk=5\n", "A", "k", "5"},
        LookupCase{"TextBeforeFirstSectionIgnored", "k=1\n[A]\nj=2\n", "A", "k", std::nullopt},
        LookupCase{"KeyOfAnotherSection", "[A]\n[B]\nk=1\n", "A", "k", std::nullopt},
        LookupCase{"MissingKey", "[A]\nk=1\n", "A", "x", std::nullopt},
        LookupCase{"MissingSection", "[A]\nk=1\n", "B", "k", std::nullopt},
        LookupCase{"EmptyText", "", "A", "k", std::nullopt}),
    [](const testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, ListsSectionsAndKeysInFileOrderWithDuplicates)
{
    const IniDocument document = IniDocument::fromText(
        u8("pre=1\n[A]\nx=1\n;y=2\nY =3\nz\nx=4\n[ b ]\n;[c]\n[a]\nw=5\n  [Hosts]\n"));
    EXPECT_EQ(document.sectionNames(), (QStringList{"A", "b", "a", "Hosts"}));
    EXPECT_EQ(document.keyNames(u8("a")), (QStringList{"x", "Y", "x"}));
    EXPECT_TRUE(document.keyNames(u8("missing")).isEmpty());
    EXPECT_TRUE(document.sectionExists(u8("HOSTS")));
    EXPECT_FALSE(document.sectionExists(u8("c")));
}

struct IntegerCase {
    const char* text;
    std::optional<qint32> expected;
};

class IniInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesTheWholeText)
{
    EXPECT_EQ(IniDocument::parseInteger(u8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInteger,
    testing::Values(IntegerCase{"12", 12}, IntegerCase{"+12", 12}, IntegerCase{"-12", -12}, IntegerCase{"007", 7},
                    IntegerCase{"$1F", 31}, IntegerCase{"0x1f", 31}, IntegerCase{"0X1F", 31},
                    IntegerCase{"-$10", -16}, IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", std::numeric_limits<qint32>::min()},
                    IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0x80000000", std::numeric_limits<qint32>::min()},
                    IntegerCase{"2147483648", std::nullopt}, IntegerCase{"-2147483649", std::nullopt},
                    IntegerCase{"$100000000", std::nullopt},
                    IntegerCase{"99999999999999999999999", std::nullopt}, IntegerCase{"1G", std::nullopt},
                    IntegerCase{"12abc", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                    IntegerCase{"", std::nullopt}, IntegerCase{"-", std::nullopt}, IntegerCase{"$", std::nullopt},
                    IntegerCase{"0x", std::nullopt}, IntegerCase{"--1", std::nullopt},
                    IntegerCase{"1 2", std::nullopt}, IntegerCase{"yes", std::nullopt},
                    IntegerCase{"\xD9\xA3", std::nullopt}, IntegerCase{"\xEF\xBC\x91", std::nullopt}));

enum class Op { Set, EraseSection, DeleteKey };

struct EditCase {
    const char* name;
    const char* before;
    Op op;
    const char* section;
    const char* key;
    const char* value;
    IniDocument::Edit result;
    const char* after;
};

class IniEdit : public testing::TestWithParam<EditCase> {};

TEST_P(IniEdit, ChangesOnlyWhatItMust)
{
    const EditCase& c = GetParam();
    IniDocument document = IniDocument::fromText(u8(c.before));
    IniDocument::Edit result = IniDocument::Edit::Invalid;
    switch (c.op) {
    case Op::Set:
        result = document.setValue(u8(c.section), u8(c.key), u8(c.value));
        break;
    case Op::EraseSection:
        result = document.removeSection(u8(c.section));
        break;
    case Op::DeleteKey:
        result = document.removeKey(u8(c.section), u8(c.key));
        break;
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(document.toText(), u8(c.after));
    if (c.op == Op::Set && c.result != IniDocument::Edit::Invalid) {
        EXPECT_EQ(IniDocument::fromText(document.toText()).value(u8(c.section), u8(c.key)), u8(c.value));
    }
}

using E = IniDocument::Edit;

INSTANTIATE_TEST_SUITE_P(
    Cases, IniEdit,
    testing::Values(
        EditCase{"UpdateInPlaceKeepsEverythingElse",
                 "; top\r\n[A]\r\nx=1\r\njunk\r\n  y = 2 \r\n\r\n[B]\r\nz=3\r\n", Op::Set, "a", "Y", "5", E::Changed,
                 "; top\r\n[A]\r\nx=1\r\njunk\r\ny=5\r\n\r\n[B]\r\nz=3\r\n"},
        EditCase{"UpdateKeepsTheKeySpellingOfTheFile", "[A]\nKey=1\n", Op::Set, "A", "KEY", "2", E::Changed,
                 "[A]\nKey=2\n"},
        EditCase{"UpdateGoesToTheFirstDuplicate", "[A]\nx=1\nx=9\n[a]\nx=2\n", Op::Set, "A", "x", "3", E::Changed,
                 "[A]\nx=3\nx=9\n[a]\nx=2\n"},
        EditCase{"SameValueChangesNothing", "[A]\nk = \"v\" \n", Op::Set, "A", "k", "v", E::Unchanged,
                 "[A]\nk = \"v\" \n"},
        EditCase{"AppendKeyAfterLastEntryBeforeBlankLines", "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\n", Op::Set, "A",
                 "n", "v", E::Changed, "[A]\r\nx=1\r\nn=v\r\n; note\r\n\r\n[B]\r\n"},
        EditCase{"AppendKeyToSectionWithoutEntries", "[A]\n[B]\nk=1\n", Op::Set, "A", " new ", "v", E::Changed,
                 "[A]\nnew=v\n[B]\nk=1\n"},
        EditCase{"AppendSectionAtTheEnd", "[A]\r\nx=1\r\n", Op::Set, " B ", "k", "v", E::Changed,
                 "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        EditCase{"NewDocumentUsesCrLf", "", Op::Set, "S", "k", "v", E::Changed, "[S]\r\nk=v\r\n"},
        EditCase{"LfFileStaysLf", "[A]\nx=1\n", Op::Set, "A", "y", "2", E::Changed, "[A]\nx=1\ny=2\n"},
        EditCase{"MissingFinalLineEndStaysMissing", "[A]\nx=1", Op::Set, "B", "y", "2", E::Changed,
                 "[A]\nx=1\n[B]\ny=2"},
        EditCase{"TextBeforeFirstSectionKept", "preamble\n[A]\n", Op::Set, "A", "k", "v", E::Changed,
                 "preamble\n[A]\nk=v\n"},
        EditCase{"BlanksAtTheEndsAreQuoted", "[A]\n", Op::Set, "A", "k", " padded\t", E::Changed,
                 "[A]\nk=\" padded\t\"\n"},
        EditCase{"EnclosingQuotesAreQuoted", "[A]\n", Op::Set, "A", "k", "'x'", E::Changed, "[A]\nk=\"'x'\"\n"},
        EditCase{"InnerQuotesNotQuoted", "[A]\n", Op::Set, "A", "k", "say \"hi\"", E::Changed,
                 "[A]\nk=say \"hi\"\n"},
        EditCase{"EraseSectionWithItsLines", "[A]\nx=1\n; note\n\n[B]\ny=2\n", Op::EraseSection, "a", "", "",
                 E::Changed, "[B]\ny=2\n"},
        EditCase{"EraseOnlyTheFirstDuplicate", "[A]\nx=1\n[B]\n[a]\nx=2\n", Op::EraseSection, "A", "", "",
                 E::Changed, "[B]\n[a]\nx=2\n"},
        EditCase{"EraseMissingSection", "[A]\nx=1\n", Op::EraseSection, "C", "", "", E::Unchanged, "[A]\nx=1\n"},
        EditCase{"DeleteKeyLine", "[A]\r\nx=1\r\ny=2\r\n", Op::DeleteKey, "A", "X", "", E::Changed, "[A]\r\ny=2\r\n"},
        EditCase{"DeleteMissingKey", "[A]\nx=1\n", Op::DeleteKey, "A", "q", "", E::Unchanged, "[A]\nx=1\n"},
        EditCase{"LineBreakInValueRefused", "[A]\nk=1\n", Op::Set, "A", "k", "two\r\nlines", E::Invalid,
                 "[A]\nk=1\n"},
        EditCase{"LoneLineFeedRefused", "[A]\n", Op::Set, "A", "k", "a\nb", E::Invalid, "[A]\n"},
        EditCase{"LoneCarriageReturnRefused", "[A]\n", Op::Set, "A", "k", "a\rb", E::Invalid, "[A]\n"},
        EditCase{"EmptyKeyRefused", "[A]\n", Op::Set, "A", "  ", "v", E::Invalid, "[A]\n"},
        EditCase{"KeyWithEqualsRefused", "[A]\n", Op::Set, "A", "a=b", "v", E::Invalid, "[A]\n"},
        EditCase{"CommentKeyRefused", "[A]\n", Op::Set, "A", ";k", "v", E::Invalid, "[A]\n"},
        EditCase{"HeaderLikeKeyRefused", "[A]\n", Op::Set, "A", "[k", "v", E::Invalid, "[A]\n"},
        EditCase{"EmptySectionRefused", "", Op::Set, " ", "k", "v", E::Invalid, ""},
        EditCase{"BracketInSectionRefused", "", Op::Set, "a]b", "k", "v", E::Invalid, ""},
        EditCase{"LineBreakInSectionRefused", "", Op::Set, "a\nb", "k", "v", E::Invalid, ""}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

// The sections, keys and values the document reads, as a text to compare.
QString indexOf(const IniDocument& document)
{
    QString shown;
    for (const QString& section : document.sectionNames()) {
        shown += u'[' + section + u']';
        for (const QString& key : document.keyNames(section))
            shown += u' ' + key + u'=' + document.value(section, key).value_or(QStringLiteral("(none)"));
        shown += u'\n';
    }
    return shown;
}

struct SequenceCase {
    const char* name;
    const char* before;
    std::vector<std::array<const char*, 3>> sets; // section, key, value
};

class IniEditSequence : public testing::TestWithParam<SequenceCase> {};

// Edits in a row keep the document's index as a fresh reading of its text gives it, so that every
// later lookup and edit lands on the right line.
TEST_P(IniEditSequence, IndexMatchesTheTextAfterEachEdit)
{
    const SequenceCase& c = GetParam();
    IniDocument document = IniDocument::fromText(u8(c.before));
    for (const auto& [section, key, value] : c.sets) {
        ASSERT_NE(document.setValue(u8(section), u8(key), u8(value)), IniDocument::Edit::Invalid) << key;
        const IniDocument reparsed = IniDocument::fromText(document.toText());
        ASSERT_EQ(indexOf(document), indexOf(reparsed)) << "after setting [" << section << "] " << key;
        EXPECT_EQ(document.value(u8(section), u8(key)), u8(value));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniEditSequence,
    testing::Values(
        SequenceCase{"KeysAddedToAnEarlierSectionMoveTheLaterOnes",
                     "[A]\nx=1\n; note\n[B]\ny=2\n\n[C]\nz=3\n",
                     {{"A", "n1", "a"}, {"B", "n2", "b"}, {"A", "n3", "c"}, {"C", "z", "4"}, {"B", "y", "5"}}},
        SequenceCase{"SectionsAppendedOneAfterAnother", "",
                     {{"S1", "k", "1"}, {"S2", "k", "2"}, {"S1", "j", "3"}, {"S3", "k", "4"}, {"S2", "j", "5"}}},
        SequenceCase{"KeysIntoAnEmptySectionBetweenOthers", "[A]\n[B]\n[C]\nc=1\n",
                     {{"B", "b1", "1"}, {"A", "a1", "2"}, {"B", "b2", "3"}, {"C", "c", "4"}}},
        SequenceCase{"DuplicateSectionsTakeTheFirst", "[A]\nx=1\n[B]\n[a]\nx=2\ny=9\n",
                     {{"a", "y", "3"}, {"A", "x", "4"}, {"b", "k", "5"}, {"A", "z", "6"}}},
        SequenceCase{"KeySpellingAndCaseAcrossEdits", "[Sec]\nKey=1\n",
                     {{"SEC", "other", "1"}, {"sec", "OTHER", "2"}, {" New ", " k ", "3"}, {"new", "K", "4"}}},
        SequenceCase{"NoFinalLineEndAndTextBeforeTheSections", "lead\n[A]\nx=1",
                     {{"A", "y", "2"}, {"B", "z", "3"}, {"A", "w", "4"}}}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, ManySectionsWrittenKeyByKeyAreIndexed)
{
    IniDocument document;
    for (int i = 1; i <= 3000; ++i) {
        const QString section = QStringLiteral("Item%1").arg(i);
        document.setValue(section, u8("Title"), QStringLiteral("title %1").arg(i));
        document.setValue(section, u8("Link"), QStringLiteral("link %1").arg(i));
    }
    document.setValue(u8("Item1"), u8("Added"), u8("late"));
    const IniDocument reparsed = IniDocument::fromText(document.toText());
    for (const char* section : {"Item1", "item2", "ITEM2999", "Item3000"}) {
        EXPECT_EQ(document.keyNames(u8(section)), reparsed.keyNames(u8(section))) << section;
        EXPECT_EQ(document.value(u8(section), u8("link")), reparsed.value(u8(section), u8("link"))) << section;
    }
    EXPECT_EQ(document.value(u8("Item1"), u8("added")), u8("late"));
    EXPECT_EQ(document.value(u8("Item3000"), u8("Title")), u8("title 3000"));
}

TEST(IniDocument, EveryOneLineValueReadsBackAsWritten)
{
    const QString values[] = {u8(""),         u8(" a"),      u8("a "),   u8("\""),   u8("\"x\""),
                              u8("'x'"),      u8("\"x'"),    u8("a=b"),  u8(";x"),   u8("[x]"),
                              u8("\t"),       u8("  "),      u8("ü€日本"), u8("$1F"), QString::fromUtf8(bytesOf("nul\0inside")),
                              u8("\"\"")};
    IniDocument document;
    for (qsizetype i = 0; i < qsizetype(std::size(values)); ++i)
        ASSERT_EQ(document.setValue(u8("S"), u8("k") + QString::number(i), values[i]), IniDocument::Edit::Changed);
    const IniDocument reread = IniDocument::fromBytes(document.toBytes());
    for (qsizetype i = 0; i < qsizetype(std::size(values)); ++i)
        EXPECT_EQ(reread.value(u8("S"), u8("k") + QString::number(i)), values[i]) << i;
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    const char* expected;
};

class IniDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(IniDecode, ReadsUtf8OrWindows1252)
{
    const IniDocument document = IniDocument::fromBytes(QByteArray("[A]\r\nk=") + GetParam().bytes + "\r\n");
    EXPECT_EQ(document.value(u8("A"), u8("k")), u8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniDecode,
    testing::Values(DecodeCase{"Utf8", "caf\xC3\xA9 \xE2\x82\xAC", "café €"},
                    DecodeCase{"Windows1252Latin", "caf\xE9", "café"},
                    DecodeCase{"Windows1252Punctuation", "\x80\x96\x93\x84\x9F", "€–“„Ÿ"},
                    DecodeCase{"Windows1252Unassigned", "\x81\x8D", "\xC2\x81\xC2\x8D"},
                    DecodeCase{"TruncatedUtf8AtTheEnd", "ok\xC3", "okÃ"},
                    DecodeCase{"OverlongUtf8", "\xC0\xAF", "À¯"},
                    DecodeCase{"Utf8Surrogate", "\xED\xA0\x80", "í\xC2\xA0€"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, ByteOrderMarkIsSkippedAndKept)
{
    const IniDocument document = IniDocument::fromBytes("\xEF\xBB\xBF[A]\nk=v\n");
    EXPECT_EQ(document.sectionNames(), QStringList{"A"});
    EXPECT_EQ(document.toBytes(), QByteArray("\xEF\xBB\xBF[A]\nk=v\n"));
}

TEST(IniDocument, OlderFileIsWrittenBackAsUtf8)
{
    IniDocument document = IniDocument::fromBytes("[A]\r\nname=Ren\xE9\r\n");
    ASSERT_EQ(document.setValue(u8("A"), u8("town"), u8("Zürich")), IniDocument::Edit::Changed);
    EXPECT_EQ(document.toBytes(), QByteArray("[A]\r\nname=Ren\xC3\xA9\r\ntown=Z\xC3\xBCrich\r\n"));
}

struct HostileCase {
    const char* name;
    QByteArray bytes;
    QByteArray section;
    QByteArray key;
    std::optional<QByteArray> expected;
    QStringList sections;
};

class IniHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(IniHostile, GivesASensibleResult)
{
    const HostileCase& c = GetParam();
    IniDocument document = IniDocument::fromBytes(c.bytes);
    const std::optional<QString> value = document.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
        EXPECT_EQ(*value, QString::fromUtf8(*c.expected));
    }
    EXPECT_EQ(document.sectionNames(), c.sections);
    // Editing such a document works and keeps what was there.
    ASSERT_EQ(document.setValue(u8("Added"), u8("k"), u8("v")), IniDocument::Edit::Changed);
    const IniDocument reread = IniDocument::fromBytes(document.toBytes());
    EXPECT_EQ(reread.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key)), value);
    EXPECT_EQ(reread.value(u8("Added"), u8("k")), u8("v"));
}

const QByteArray longValue(4 * 1024 * 1024, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniHostile,
    testing::Values(
        HostileCase{"LongLine", "[A]\nk=" + longValue + "\n", "A", "k", longValue, {"A"}},
        HostileCase{"LongLineWithoutLineEnd", "[A]\nk=" + longValue, "A", "k", longValue, {"A"}},
        HostileCase{"NulBytes", bytesOf("[A\0B]\nk\0ey=va\0lue\n"), bytesOf("A\0B"), bytesOf("k\0ey"), bytesOf("va\0lue"),
                    {QString::fromUtf8(bytesOf("A\0B"))}},
        HostileCase{"CarriageReturnsOnly", "[A]\rk=1\rj=2\r", "A", "j", QByteArray("2"), {"A"}},
        HostileCase{"MixedLineEnds", "[A]\r\nk=1\nj=2\rm=3\r\n\n\r", "A", "m", QByteArray("3"), {"A"}},
        HostileCase{"LoneBracketStartsNamelessSection", "[A]\n[\nk=1\n", "A", "k", std::nullopt, {"A", ""}},
        HostileCase{"EqualsOnlyLines", "[A]\n=\n==\n=x\nk=1\n", "A", "k", QByteArray("1"), {"A"}},
        HostileCase{"ClosingBracketsOnly", "]]]\n[]]\n[A]]]\nk=1\n", "A", "k", QByteArray("1"), {"", "A"}},
        HostileCase{"NoSectionAtAll", "k=1\nj=2\n", "", "k", std::nullopt, {}},
        HostileCase{"BlanksOnly", "   \n\t\t\n", "A", "k", std::nullopt, {}}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, ManyLinesAreIndexed)
{
    QByteArray text = "[Big]\n";
    for (int i = 0; i < 200000; ++i)
        text += "key" + QByteArray::number(i) + "=" + QByteArray::number(i * 3) + "\n";
    const IniDocument document = IniDocument::fromBytes(text);
    EXPECT_EQ(document.value(u8("big"), u8("KEY199999")), u8("599997"));
    EXPECT_EQ(document.keyNames(u8("Big")).size(), 200000);
}

} // namespace
