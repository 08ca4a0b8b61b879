#include "editor/ErrCodes.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/WaveRead.h"
#include "tests/support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace platform;
using testsupport::ScriptedInteraction;

namespace {

struct MapRow {
    int code;
    int id;
};

// Every row the editor's player map gives: both ends and an inner value of each range, each listed
// code, and codes around them that fall to the default.
const std::vector<MapRow> kPlayerRows = {
    {0, 0},     {100, 101}, {103, 104}, {106, 107}, {107, 105}, {108, 109}, {110, 111}, {113, 112}, {114, 113},
    {115, 104}, {116, 104}, {202, 104}, {304, 104}, {309, 104}, {357, 104}, {117, 114}, {150, 437}, {151, 372},
    {152, 373}, {153, 438}, {154, 380}, {155, 381}, {201, 115}, {203, 116}, {205, 118}, {207, 120}, {301, 121},
    {303, 123}, {305, 124}, {308, 127}, {310, 128}, {315, 133}, {321, 139}, {322, 439}, {350, 428}, {351, 429},
    {352, 161}, {353, 109}, {354, 430}, {355, 111}, {356, 164}, {358, 431}, {359, 432}, {360, 900}, {111, 100},
    {112, 100}, {361, 100}, {-1, 100},  {99, 100},  {118, 100}, {149, 100}, {156, 100}, {200, 100}, {208, 100},
    {300, 100}, {323, 100}, {349, 100}, {129, 100}, {5000, 100},
};

// Every row of the format library's map, each code of a range included. 128 (the target would pass
// 4 GiB) is told in words instead of as a write failure.
const std::vector<MapRow> kFormatRows = {
    {0, 0},     {101, 129}, {102, 450}, {103, 451}, {115, 452}, {116, 453}, {117, 454}, {118, 455}, {124, 459},
    {137, 472}, {119, 104}, {121, 104}, {133, 104}, {135, 104}, {120, 456}, {122, 457}, {123, 458}, {125, 460},
    {126, 461}, {127, 462}, {128, 900}, {129, 464}, {130, 465}, {131, 466}, {132, 467}, {139, 474}, {140, 475},
    {141, 476}, {134, 469}, {136, 471}, {138, 473}, {-1, 449},  {1, 449},   {100, 449}, {104, 449}, {114, 449},
    {142, 449}, {449, 449}, {5000, 449},
};

// The WAV reader's codes give the messages of the player library's file information.
const std::vector<MapRow> kWaveReadRows = {
    {0, 0},
    {WaveReadCode::NoFileName, 101},
    {WaveReadCode::CannotRead, 103},
    {platform::RiffCode::CannotOpen, 103},
    {platform::RiffCode::CannotRead, 103},
    {platform::RiffCode::CannotSeek, 103},
    {platform::RiffCode::ChunkNotFound, 109},
    {platform::RiffCode::Corrupt, 109},
    {WaveReadCode::NotPcm, 110},
    {platform::RiffCode::OutOfMemory, 104},
    {platform::RiffCode::TooLarge, 900},
    {platform::RiffCode::InvalidArgument, 100},
    {WaveReadCode::Ok, 100},
};

struct EditorMap {
    const char* name;
    ErrorCodeMap map;
};

// Every map whose ids the editor shows from its own table.
const EditorMap kEditorMaps[] = {
    {"player", editor::PlayerErrorToMessageId},
    {"format", editor::VXFmtHlpErrorToMessage},
    {"wave read", editor::WaveReadErrorToMessageId},
    {"mixer", MixerErrorToMessageId},
    {"display", WaveDisplayErrorToMessageId},
};

// Ids reached on purpose without a text: the peak cache is rebuilt, nothing is shown.
const std::set<int> kSilentIds = {411, 412, 413, 414, 415, 417};

} // namespace

TEST(EditorErrCodes, MapsGiveTheirMessageIds)
{
    for (const MapRow& row : kPlayerRows)
        EXPECT_EQ(editor::PlayerErrorToMessageId(row.code), row.id) << "player code " << row.code;
    for (const MapRow& row : kFormatRows)
        EXPECT_EQ(editor::VXFmtHlpErrorToMessage(row.code), row.id) << "format code " << row.code;
    for (const MapRow& row : kWaveReadRows)
        EXPECT_EQ(editor::WaveReadErrorToMessageId(row.code), row.id) << "wave read code " << row.code;
}

TEST(EditorErrCodes, AnInvalidDocumentIndexHasItsText)
{
    EXPECT_EQ(editorStringTable().text(143), QStringLiteral("Internal Error : An invalid parameter passed. Please "
                                                            "contact Vexal Audio technical support. Error code 143."));
}

TEST(EditorErrCodes, PlayerMapDiffersFromTheRecordersOnlyInCode107)
{
    for (int code = -1; code <= 1000; ++code) {
        if (code == 107)
            EXPECT_EQ(::PlayerErrorToMessageId(code), 108);
        else
            EXPECT_EQ(editor::PlayerErrorToMessageId(code), ::PlayerErrorToMessageId(code)) << code;
    }
}

TEST(EditorErrCodes, EveryIdAMapReachesHasItsTextUnlessMeantSilent)
{
    const StringTable& table = editorStringTable();
    for (const EditorMap& m : kEditorMaps) {
        for (int code = -1; code <= 1000; ++code) {
            const int id = m.map(code);
            if (id == 0)
                continue;
            if (kSilentIds.count(id))
                EXPECT_FALSE(table.contains(id)) << m.name << " code " << code << " must stay silent";
            else
                EXPECT_FALSE(table.text(id).isEmpty()) << m.name << " code " << code << " reaches id " << id;
        }
    }
}

TEST(EditorErrCodes, FormatLibraryTextsAreExact)
{
    const std::pair<int, const char*> texts[] = {
        {129, "Warning: User has aborted the process."},
        {449, "An unknown error has occured in VXFmtHlp.dll. \\nPlease contact Vexal Audio technical support. Error "
              "code 449"},
        {450, "Error : Could not allocate sufficient wave format buffer. \\nPlease contact Vexal Audio technical "
              "support. Error code 450"},
        {451, "Error : Could not open format conversion dialog box. \\nPlease contact Vexal Audio technical support. "
              "Error code 451"},
        {452, "Error: Could not open input wave file. Please close other applications and try again. Error code 452"},
        {453, "Error: Could not create output file. Please make sure that there is enough room on disk for porcessing "
              "audio files. Error code 453"},
        {456, "Error : Could not get destination format size. If the problem persists, please contact Vexal Audio "
              "Support. Error code 456"},
        {457, "Error : Could not suggest destination format. Please choose other fomrat. If the problem persists, "
              "please contact Vexal Audio Support. Error code 457"},
        {458, "Error: Could not open ACM codec stream. Please close other applications and try again. Error code 458"},
        {460, "Error: Could not create output file RIFF chunk. Please make sure that there is enough room on disk for "
              "processing audio files. Error code 460"},
        {461, "Error: Could not create output file FMT chunk. Please make sure that there is enough room on disk for "
              "processing audio files. Error code 461"},
        {469, "Error: Could not calculate destination stream size. Please make sure the codec you have selected is "
              "properly installed and enabled. If the problem persists, please contact Vexal Audio Support. Error "
              "code 469"},
        {471, "Error: Could not prepare ACM header. The system might be low on resources. Please close other "
              "applications and try again. Error code 471"},
        {473, "Error : Could not convert stream. Please make sure that the codec you have selected is properly "
              "installed and enabled. If the problem persists, please contact Vexal Audio Support. Error code 473"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(editorStringTable().text(id), QString::fromUtf8(text)) << id;

    // Two texts shared by several ids, each ending in its own id.
    const QString input = QStringLiteral("Error processing input file. Please make sure that the input file is not "
                                         "corrupt. If the problem persists, please contact Vexal Audio Support. Error "
                                         "code %1");
    for (const int id : {454, 455, 459, 472})
        EXPECT_EQ(editorStringTable().text(id), input.arg(id));
    const QString disk = QStringLiteral("Error Writing to Disk. Please make sure that there is enough room on disk for "
                                        "processing audio files. Error code %1");
    for (const int id : {462, 463, 464, 465, 466, 467, 474, 475, 476})
        EXPECT_EQ(editorStringTable().text(id), disk.arg(id));
}

class EditorMessagesTest : public testing::Test {
protected:
    ScriptedInteraction ui;
    Messages messages = makeEditorMessages(ui);
};

TEST_F(EditorMessagesTest, MappedCodesShowTheEditorsTextUnderItsCaption)
{
    const struct {
        int code;
        ErrorCodeMap map;
        int id;
    } cases[] = {
        {107, editor::PlayerErrorToMessageId, 105},
        {360, editor::PlayerErrorToMessageId, 900},
        {116, editor::VXFmtHlpErrorToMessage, 453},
        {128, editor::VXFmtHlpErrorToMessage, 900},
        {999, editor::VXFmtHlpErrorToMessage, 449},
        {102, MixerErrorToMessageId, 372},
        {101, WaveDisplayErrorToMessageId, 103},
    };
    for (const auto& c : cases) {
        ui.expectMessageBox(IDOK);
        ShowMappedError(messages, c.code, c.map);
        ASSERT_FALSE(ui.prompts().empty());
        EXPECT_EQ(ui.prompts().back().text, editorStringTable().text(c.id)) << c.code;
        EXPECT_EQ(ui.prompts().back().caption, QStringLiteral("Vexal Audio Zuq Editor"));
        EXPECT_EQ(ui.prompts().back().flags, MB_OK | MB_ICONERROR);
    }
    EXPECT_EQ(ui.prompts().size(), std::size(cases));
}

TEST_F(EditorMessagesTest, CancelOfAConversionShowsNothing)
{
    ShowMappedError(messages, 0, editor::VXFmtHlpErrorToMessage);
    ShowMappedError(messages, kCancelledCode, editor::PlayerErrorToMessageId);
    EXPECT_TRUE(ui.prompts().empty());
}

TEST_F(EditorMessagesTest, ArgumentsAreShownLiterallyWithTheCallersFlags)
{
    ui.expectMessageBox(IDOK);
    messages.ShowMessageById(441, {"%s %n %d", "/tmp/100%/"}, MB_OK | MB_ICONWARNING);
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].text, QStringLiteral("Error: Invalid Temporary file location. %s %n %d will store temp "
                                                   "files at '/tmp/100%/'. To change Temporary file location go to "
                                                   "File->Preferences."));
    EXPECT_EQ(ui.prompts()[0].flags, MB_OK | MB_ICONWARNING);
}
