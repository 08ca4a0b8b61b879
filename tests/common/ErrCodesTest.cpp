#include "common/ErrCodes.h"

#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;
using testsupport::ScriptedInteraction;

namespace {

struct MapRow {
    int code;
    int id;
};

struct CodeMapCase {
    const char* name;
    ErrorCodeMap map;
    std::vector<MapRow> rows;
};

// Every row of each map: both ends and an inner value of a range, each code of a list, and codes
// around the listed ones that fall to the default.
const std::vector<CodeMapCase>& codeMapCases()
{
    static const std::vector<CodeMapCase> cases = {
        {"player",
         PlayerErrorToMessageId,
         {{0, 0},     {100, 101},  {105, 106},  {110, 111},  {113, 112},  {114, 113},  {115, 104},
          {116, 104}, {202, 104},  {304, 104},  {309, 104},  {357, 104},  {117, 114},  {150, 437},
          {151, 372}, {152, 373},  {153, 438},  {154, 380},  {155, 381},  {201, 115},  {203, 116},
          {205, 118}, {207, 120},  {301, 121},  {302, 122},  {303, 123},  {305, 124},  {306, 125},
          {308, 127}, {310, 128},  {315, 133},  {321, 139},  {322, 439},  {350, 428},  {351, 429},
          {352, 161}, {353, 109},  {354, 430},  {355, 111},  {356, 164},  {358, 431},  {359, 432},
          {360, 900}, {111, 100},  {112, 100},  {361, 100},  {-1, 100},   {99, 100},   {118, 100},
          {149, 100}, {156, 100},  {200, 100},  {208, 100},  {300, 100},  {323, 100},  {349, 100},
          {129, 100}, {5000, 100}}},
        {"mixer",
         MixerErrorToMessageId,
         {{0, 0},
          {101, 104},
          {102, 372},
          {108, 378},
          {114, 384},
          {115, 435},
          {116, 436},
          {117, 385},
          {100, 385},
          {-1, 385},
          {129, 385}}},
        {"MP3 to WAV",
         Mp3ToWavErrorToMessageId,
         {{0, 0},     {400, 320}, {415, 335}, {430, 350}, {431, 242}, {432, 352}, {439, 360},
          {433, 364}, {434, 364}, {435, 364}, {436, 364}, {437, 364}, {438, 364}, {440, 364},
          {399, 364}, {-1, 364}}},
        {"wave display",
         WaveDisplayErrorToMessageId,
         {{0, 0},     {112, 0},   {101, 103}, {102, 108}, {103, 161}, {104, 109}, {105, 111},
          {106, 104}, {107, 165}, {108, 164}, {109, 158}, {110, 129}, {111, 166}, {113, 105},
          {114, 411}, {115, 412}, {116, 413}, {117, 369}, {118, 414}, {119, 415}, {120, 368},
          {121, 417}, {122, 168}, {100, 168}, {-1, 168}}},
    };
    return cases;
}

// Ids the maps reach on purpose without a text: those failures show nothing.
const std::set<int> kSilentIds = {411, 412, 413, 414, 415, 417};

} // namespace

TEST(ErrCodes, CodeMapsGiveTheirMessageIds)
{
    for (const CodeMapCase& c : codeMapCases()) {
        for (const MapRow& row : c.rows)
            EXPECT_EQ(c.map(row.code), row.id) << c.name << " code " << row.code;
    }
}

TEST(ErrCodes, RecorderTableLoadsWithoutFault)
{
    StringTable table;
    ASSERT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath))) << table.errorString().toStdString();
    EXPECT_EQ(table.ids(), recorderStringTable().ids());
    EXPECT_EQ(&recorderStringTable(), &recorderStringTable()) << "loaded once";
}

TEST(ErrCodes, EveryIdAMapReachesHasItsTextUnlessMeantSilent)
{
    const StringTable& table = recorderStringTable();
    for (const CodeMapCase& c : codeMapCases()) {
        // Sweep the whole span the maps cover, not only the rows above.
        for (int code = -1; code <= 1000; ++code) {
            const int id = c.map(code);
            if (id == 0)
                continue;
            if (kSilentIds.count(id))
                EXPECT_FALSE(table.contains(id)) << c.name << " code " << code << " must stay silent";
            else
                EXPECT_FALSE(table.text(id).isEmpty()) << c.name << " code " << code << " reaches id " << id;
        }
    }
}

TEST(ErrCodes, RecorderTextsAreExact)
{
    const StringTable& table = recorderStringTable();
    EXPECT_EQ(table.text(100), QStringLiteral("An unknown error has occured in ZUWavePlayerDLL. \\nPlease contact "
                                              "Vexal Audio technical support. Error code 100"));
    EXPECT_TRUE(table.text(100).contains(QStringLiteral("ZUWavePlayerDLL. \\nPlease")));
    EXPECT_EQ(table.text(104), QStringLiteral("Error : Could not allocate enough memory. Your system might be low on "
                                              "resources.  Please close other applications and try again. Error code 104"));
    EXPECT_EQ(table.text(129), QStringLiteral("Warning: User has aborted the process."));
    EXPECT_EQ(table.text(380), QStringLiteral("Mixer Error : Could not get recording device description. Please "
                                              "contact Vexal Audio technical support. Error code 372"));
    EXPECT_EQ(table.text(439), QStringLiteral("Error : Could not set temporary file location. Please make sure that "
                                              "the temporary file location specified in File -> Preferences is a valid "
                                              "location."));
    EXPECT_EQ(table.text(kWaveTooLargeMessageId),
              QStringLiteral("Error : The wave file would become larger than 4 GB, the largest size a wave file can "
                             "have. Please save your work in a new file. Error code 900"));
    EXPECT_EQ(table.text(434), QStringLiteral("Wexo Ravadur is currently busy performing another task. Please make "
                                              "sure \\n that Wexo Ravadur is idle before performing this operation."));
    EXPECT_EQ(table.text(184), QStringLiteral("Error : The file %s does not exist."));
    EXPECT_EQ(table.text(229), QStringLiteral("Warning: This machine does not have the suitable component required to "
                                              "use MP3 functionality. Do you want to download this component now?  "
                                              "\\nPlease make sure you are connected to the Internet before pressing "
                                              "Yes."));
    EXPECT_EQ(table.text(233), QStringLiteral("The selected Codec cannot produce MP3 files at %d kbit Bitrate. Please "
                                              "select another bit-rate or a different Codec and try again."));
    EXPECT_EQ(table.text(235), QStringLiteral("Error: The system might be low on resources. Please close other "
                                              "applications and try again."));
    EXPECT_EQ(table.text(313), QStringLiteral("Error: Could not convert the format."));
    EXPECT_EQ(table.text(479), QStringLiteral("Error : No file name specified for mixing."));
    EXPECT_EQ(table.text(480), QStringLiteral("Error : No name specified for mixed file."));
    EXPECT_EQ(table.text(481), QStringLiteral("Error : Cannot mix the files."));
    EXPECT_EQ(table.text(489), QStringLiteral("WMA File format is not proper."));
    EXPECT_EQ(table.text(490), QStringLiteral("Import WMA File Aborted by the User."));
    EXPECT_TRUE(table.text(509).contains(QStringLiteral("too full to record")));
    EXPECT_EQ(table.text(1019), QStringLiteral("The file %s does not exists. Cannot create HTML file"));
    EXPECT_EQ(table.text(1035), QStringLiteral("No podcast episode selected to upload."));
    EXPECT_EQ(table.ids().constFirst(), 100);
    EXPECT_EQ(table.ids().constLast(), 1035);
    EXPECT_EQ(table.size(), 172);
}

class RecorderMessagesTest : public testing::Test {
protected:
    ScriptedInteraction ui;
    Messages messages = makeRecorderMessages(ui);
};

TEST_F(RecorderMessagesTest, MissingFileMessageNamesThePath)
{
    ui.expectMessageBox(IDOK);
    messages.ShowErrorMessage(148, {"/home/me/My Show.wav"});

    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, QStringLiteral("Error : File /home/me/My Show.wav does not exists. Error code 148"));
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Wexo Ravadur"));
    EXPECT_EQ(ui.prompts()[0].flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(ui.prompts()[0].flags & MB_BUTTONMASK, MB_OK);
}

TEST_F(RecorderMessagesTest, SilentIdsShowNothingAndAreLogged)
{
    for (const int id : {0, 411, 440}) {
        testsupport::LogCapture log;
        messages.ShowErrorMessage(id);
        EXPECT_TRUE(log.contains(QStringLiteral("message %1 has no text").arg(id))) << id;
    }
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(RecorderMessagesTest, QuestionWithoutCaptionUsesTheProductName)
{
    ui.expectMessageBox(IDYES, "Keep it?");
    ui.expectMessageBox(IDNO, "Keep it?");
    EXPECT_EQ(messages.ShowMessageBox("Keep it?", QString(), MB_YESNO), IDYES);
    EXPECT_EQ(messages.ShowMessageBox("Keep it?", QString(), MB_YESNO), IDNO);
    for (const auto& prompt : ui.prompts()) {
        EXPECT_EQ(prompt.caption, QStringLiteral("Wexo Ravadur"));
        EXPECT_EQ(prompt.flags, MB_YESNO);
    }
}

TEST_F(RecorderMessagesTest, MappedErrorSkipsSuccessAndCancel)
{
    {
        testsupport::LogCapture log;
        ShowMappedError(messages, 0, PlayerErrorToMessageId);
        ShowMappedError(messages, kCancelledCode, PlayerErrorToMessageId);
        ShowMappedError(messages, kCancelledCode, Mp3ToWavErrorToMessageId);
        ShowMappedError(messages, 112, WaveDisplayErrorToMessageId);
        EXPECT_TRUE(ui.prompts().empty()) << "a cancel must not read as unknown error 100 or 364";
        EXPECT_TRUE(log.contains(QStringLiteral("cancelled"), QStringLiteral("va.common")));
    }

    ui.expectMessageBox(IDOK, "Error code 103");
    ShowMappedError(messages, 102, PlayerErrorToMessageId);
    ui.expectMessageBox(IDOK, "Error code 385");
    ShowMappedError(messages, 999, MixerErrorToMessageId);
    ui.expectMessageBox(IDOK, "ZUWavePlayerDLL. \\nPlease contact");
    ShowMappedError(messages, 111, PlayerErrorToMessageId);
    ASSERT_EQ(ui.prompts().size(), 3u);
    EXPECT_EQ(ui.prompts()[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(ui.prompts()[0].caption, QStringLiteral("Wexo Ravadur"));

    // An edit refused for passing 4 GiB is told in words, not dropped as an id without text.
    ui.expectMessageBox(IDOK, "larger than 4 GB");
    ShowMappedError(messages, 360, PlayerErrorToMessageId);
    ASSERT_EQ(ui.prompts().size(), 4u);
    EXPECT_EQ(ui.prompts()[3].text, recorderStringTable().text(kWaveTooLargeMessageId));
}
