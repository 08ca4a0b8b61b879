#include "platform/ui/StringTable.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

using platform::StringTable;

TEST(StringTable, KeepsTextsExactlyAsWritten)
{
    StringTable table;
    const QByteArray data = "# message texts\n"
                            "\n"
                            "100\tAn error. \\nPlease retry.\n"
                            "101\tTwo  spaces, a trailing one \n"
                            "   \n"
                            "102\ttab\tinside and a # that is no comment\r\n"
                            "103\t\xc3\x9c" "ber 50% fertig\n"
                            "#104\tcommented out\n"
                            "105\tlast line without a line end";
    ASSERT_TRUE(table.parse(data, "inline")) << table.errorString().toStdString();

    EXPECT_EQ(table.text(100), QStringLiteral("An error. \\nPlease retry."));
    EXPECT_EQ(table.text(100).size(), 25) << "backslash and n stay two characters";
    EXPECT_EQ(table.text(101), QStringLiteral("Two  spaces, a trailing one "));
    EXPECT_EQ(table.text(102), QStringLiteral("tab\tinside and a # that is no comment"));
    EXPECT_EQ(table.text(103), QString::fromUtf8("\xc3\x9c" "ber 50% fertig"));
    EXPECT_EQ(table.text(105), QStringLiteral("last line without a line end"));
    EXPECT_EQ(table.ids(), (QList<int>{100, 101, 102, 103, 105}));
    EXPECT_TRUE(table.errorString().isEmpty());
}

TEST(StringTable, AbsentIdGivesEmptyText)
{
    StringTable table;
    ASSERT_TRUE(table.parse("7\tseven\n", "inline"));
    EXPECT_TRUE(table.contains(7));
    EXPECT_FALSE(table.contains(8));
    EXPECT_TRUE(table.text(8).isEmpty());
    EXPECT_TRUE(table.text(-1).isEmpty());
}

TEST(StringTable, RefusesABrokenTable)
{
    struct Case {
        const char* name;
        QByteArray data;
        const char* reason;
    };
    const Case cases[] = {
        {"no tab", "100\tfine\n101 no tab here\n", "line 2"},
        {"id not a number", "abc\ttext\n", "not a message id"},
        {"negative id", "-1\ttext\n", "not a message id"},
        {"blank before the id", " 100\ttext\n", "not a message id"},
        {"blank after the id", "100 \ttext\n", "not a message id"},
        {"id too large", "99999999999\ttext\n", "not a message id"},
        {"missing id", "\ttext\n", "not a message id"},
        {"empty text", "100\t\n", "has no text"},
        {"duplicate id", "100\tone\n# between\n100\ttwo\n", "line 3: id 100 is given twice"},
        {"invalid UTF-8", "100\tbad \xff byte\n", "not valid UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::LogCapture log;
        StringTable table;
        ASSERT_TRUE(table.parse("1\tbefore\n", "inline"));
        EXPECT_FALSE(table.parse(c.data, "broken.tsv"));
        EXPECT_TRUE(table.isEmpty()) << "a refused table keeps nothing, not even its earlier texts";
        EXPECT_TRUE(table.errorString().contains(QLatin1String(c.reason))) << table.errorString().toStdString();
        EXPECT_TRUE(table.errorString().contains(QLatin1String("broken.tsv")));
        EXPECT_TRUE(log.contains(QLatin1String(c.reason), QStringLiteral("va.platform")));
    }
}

TEST(StringTable, LoadsAFileAndReportsAMissingOne)
{
    const QString folder = testsupport::testFolder();
    const QString path = QDir(folder).filePath("table.tsv");
    testsupport::writeFile(path, "# table\n42\tThe answer\n");

    StringTable table;
    ASSERT_TRUE(table.load(path));
    EXPECT_EQ(table.text(42), QStringLiteral("The answer"));

    testsupport::LogCapture log;
    EXPECT_FALSE(table.load(QDir(folder).filePath("missing.tsv")));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_TRUE(table.errorString().contains(QLatin1String("missing.tsv")));
    EXPECT_TRUE(log.contains(QStringLiteral("missing.tsv"), QStringLiteral("va.platform")));
}
