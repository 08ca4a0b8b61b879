#include "platform/ui/MessageBoxButtons.h"
#include "platform/ui/MessageFormat.h"
#include "platform/ui/Messages.h"

#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;
using testsupport::ScriptedInteraction;

TEST(MessageFormat, SubstitutesInOrderAndToleratesMismatches)
{
    struct Case {
        const char* name;
        QString text;
        MessageArgs args;
        QString expected;
    };
    const Case cases[] = {
        {"string and integer", "File %s, error %d.", {"a.wav", 7}, "File a.wav, error 7."},
        {"fewer arguments", "%s and %s and %d", {"one"}, "one and %s and %d"},
        {"more arguments", "only %s", {"first", "second", 3}, "only first"},
        {"string into %d", "code %d", {"abc"}, "code abc"},
        {"integer into %s", "name %s", {-42}, "name -42"},
        {"large integer", "%d bytes", {qint64(5000000000)}, "5000000000 bytes"},
        {"percent pair", "100%% of %s", {"x"}, "100% of x"},
        {"percent pair takes no argument", "%%s %s", {"x"}, "%s x"},
        {"trailing percent", "done %s %", {"x"}, "done x %"},
        {"other letter kept", "%x %u %s", {"y"}, "%x %u y"},
        {"argument text is not formatted again", "%s %s", {"%s%%", "b"}, "%s%% b"},
        {"no placeholders", "plain", {"unused"}, "plain"},
        {"empty text", "", {"x"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formatMessage(c.text, c.args), c.expected);
    }
}

TEST(MessageBoxButtons, FlagsGiveButtonsDefaultAndDismissAnswer)
{
    struct Case {
        unsigned flags;
        QList<int> answers;
        int defaultAnswer;
        int dismissAnswer;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, {IDOK}, IDOK, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE, IDABORT},
        {MB_YESNOCANCEL | MB_ICONQUESTION, {IDYES, IDNO, IDCANCEL}, IDYES, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, IDYES, IDNO},
        {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO, IDNO},
        {MB_YESNO | MB_DEFBUTTON3, {IDYES, IDNO}, IDYES, IDNO}, // past the last button
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY, IDCANCEL},
        {0x6, {IDOK}, IDOK, IDOK}, // a button set without meaning here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        EXPECT_EQ(messageBoxAnswers(c.flags), c.answers);
        EXPECT_EQ(defaultAnswer(c.flags), c.defaultAnswer);
        EXPECT_EQ(dismissAnswer(c.flags), c.dismissAnswer);
    }
}

class MessagesTest : public testing::Test {
protected:
    MessagesTest()
    {
        EXPECT_TRUE(table.parse("10\tFile %s is gone. Error code 10\n"
                                "11\tDone 100%% and %s kept\n"
                                "12\tSave changes?\n",
                                "test"));
    }

    StringTable table;
    ScriptedInteraction ui;
};

TEST_F(MessagesTest, ErrorMessageFormatsUnderTheProductCaption)
{
    Messages messages(table, ui, "Product");
    ui.expectMessageBox(IDOK);
    messages.ShowErrorMessage(10, {"/tmp/a b.wav"});

    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, QStringLiteral("File /tmp/a b.wav is gone. Error code 10"));
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Product"));
    EXPECT_EQ(ui.prompts()[0].flags, MB_OK | MB_ICONERROR);
}

TEST_F(MessagesTest, TextWithoutArgumentsIsShownUnformatted)
{
    Messages messages(table, ui, "Product");
    ui.expectMessageBox(IDOK);
    ui.expectMessageBox(IDOK);
    messages.ShowErrorMessage(11);
    messages.ShowErrorMessage(10, {});

    ASSERT_EQ(ui.prompts().size(), 2u);
    EXPECT_EQ(ui.prompts()[0].text, QStringLiteral("Done 100%% and %s kept"));
    EXPECT_EQ(ui.prompts()[1].text, QStringLiteral("File %s is gone. Error code 10"));
}

TEST_F(MessagesTest, MessageByIdKeepsTheCallersFlags)
{
    Messages messages(table, ui, "Product");
    ui.expectMessageBox(IDYES, "Save changes?");
    messages.ShowMessageById(12, {}, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);

    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Product"));
}

TEST_F(MessagesTest, IdWithoutTextShowsNothingButIsLogged)
{
    Messages messages(table, ui, "Product");
    for (const int id : {0, 13, -5}) {
        testsupport::LogCapture log;
        messages.ShowErrorMessage(id);
        messages.ShowMessageById(id, {"arg"}, MB_OK);
        EXPECT_TRUE(log.contains(QStringLiteral("message %1 has no text").arg(id), QStringLiteral("va.platform")));
    }
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(MessagesTest, MessageBoxUsesTheProductCaptionWhenNoneIsGiven)
{
    Messages messages(table, ui, "Product");
    ui.expectMessageBox(IDNO, "Really?");
    ui.expectMessageBox(IDYES, "Really?");
    EXPECT_EQ(messages.ShowMessageBox("Really?", QString(), MB_YESNO), IDNO);
    EXPECT_EQ(messages.ShowMessageBox("Really?", "Other", MB_YESNO), IDYES);

    ASSERT_EQ(ui.prompts().size(), 2u);
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Product"));
    EXPECT_EQ(ui.prompts()[0].flags, MB_YESNO);
    EXPECT_EQ(ui.prompts()[1].caption, QStringLiteral("Other"));
}

TEST_F(MessagesTest, BoxesAreRefusedOutsideTheGuiThread)
{
    Messages messages(table, ui, "Product");
    testsupport::LogCapture log;
    int answer = 0;
    std::thread worker([&] {
        messages.ShowErrorMessage(10, {"x"});
        answer = messages.ShowMessageBox("Continue?", QString(), MB_YESNOCANCEL);
    });
    worker.join();

    EXPECT_TRUE(ui.prompts().empty());
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(log.contains(QStringLiteral("outside the GUI thread"), QStringLiteral("va.platform")));
    EXPECT_TRUE(log.contains(QStringLiteral("Continue?"), QStringLiteral("va.platform")));
}
