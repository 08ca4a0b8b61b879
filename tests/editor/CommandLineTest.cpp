#include "editor/CommandLine.h"

#include <gtest/gtest.h>

using platform::ArgumentBlock;
using platform::ArgumentBlockSender;
using platform::buildArgumentBlock;

namespace {

struct LineCase {
    const char* name;
    QStringList arguments;
    EditorCommandLine expected;
};

EditorCommandLine line(QStringList files, bool music = false, bool voice = false, bool normal = false,
                       bool unsaved = false, bool burn = false)
{
    EditorCommandLine l;
    l.files = std::move(files);
    l.musicTrack = music;
    l.voiceTrack = voice;
    l.normalTrack = normal;
    l.unsaved = unsaved;
    l.burn = burn;
    return l;
}

const QString kSpaced = QStringLiteral("/home/ana/Podcasts/voice take 1.wav");
const QString kAccented = QStringLiteral("/home/zoë/Müsik/ça va – €.wav");

std::vector<LineCase> lineCases()
{
    return {
        {"nothing", {}, line({})},
        {"one file", {"/a/b.wav"}, line({"/a/b.wav"})},
        {"the recorder's voice track", {kSpaced, "/NoSplash", "/VoiceTrack"}, line({kSpaced}, false, true)},
        {"the recorder's music track", {kAccented, "/NoSplash", "/MusicTrack"}, line({kAccented}, true)},
        {"files then unsaved", {"/a.wav", "/b.wav", "/Unsaved"}, line({"/a.wav", "/b.wav"}, false, false, false, true)},
        {"unsaved first", {"/Unsaved", "/a.wav"}, line({"/a.wav"}, false, false, false, true)},
        {"normal track", {"/a.wav", "/NormalTrack"}, line({"/a.wav"}, false, false, true)},
        {"switches keep their case", {"/voicetrack", "/UNSAVED"}, line({"/voicetrack", "/UNSAVED"})},
        {"an unknown switch is a file", {"/Quiet", "-x", "--help"}, line({"/Quiet", "-x", "--help"})},
        {"burn first opens nothing", {"/bUrN", "/a.wav", "/MusicTrack"}, line({}, true, false, false, false, true)},
        {"burn later is no file and no burn", {"/a.wav", "/BURN"}, line({"/a.wav"})},
        {"empty arguments are passed over", {"", "/a.wav", ""}, line({"/a.wav"})},
        {"both track switches", {"/a.wav", "/VoiceTrack", "/MusicTrack"}, line({"/a.wav"}, true, true)},
    };
}

TEST(EditorCommandLine, ArgumentsAreReadIntoSwitchesAndFiles)
{
    for (const LineCase& c : lineCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readCommandLine(c.arguments), c.expected);
    }
}

// The block keeps the positions of the arguments, the slot of "/NoSplash" left
// empty and the count lowered for it; read back, it must say what the arguments
// said.
TEST(EditorCommandLine, AHandedOverBlockReadsAsTheArgumentsItWasBuiltFrom)
{
    for (const LineCase& c : lineCases()) {
        SCOPED_TRACE(c.name);
        const auto built = buildArgumentBlock(c.arguments, ArgumentBlockSender::Editor);
        EXPECT_EQ(readArgumentBlock(ArgumentBlock::parse(built.bytes)), c.expected);
    }
}

TEST(EditorCommandLine, TheRecordersBlockOpensItsFileAsTheTrackAndTheEmptySlotOpensNothing)
{
    const auto built = buildArgumentBlock({kSpaced, "/NoSplash", "/VoiceTrack"}, ArgumentBlockSender::Editor);
    ASSERT_EQ(built.count, 2u);
    const EditorCommandLine read = readArgumentBlock(ArgumentBlock::parse(built.bytes));
    EXPECT_EQ(read.files, QStringList{kSpaced});
    EXPECT_EQ(read.role(), TrackRole::Voice);
}

TEST(EditorCommandLine, AHostileBlockIsReadWithinItsSlots)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList files;
    };
    QByteArray pastSlots(platform::kArgumentBlockSize, '\0');
    pastSlots.replace(0, 6, "/a.wav");
    pastSlots.replace(255 * platform::kArgumentSlotSize, 6, "/z.wav");
    pastSlots.replace(platform::kArgumentCountOffset, 4, QByteArray("\xff\xff\xff\xff", 4));
    QByteArray unterminated(platform::kArgumentBlockSize, 'x');
    unterminated.replace(platform::kArgumentCountOffset, 4, QByteArray("\x01\0\0\0", 4));
    QByteArray beyondCount(platform::kArgumentBlockSize, '\0');
    beyondCount.replace(0, 6, "/a.wav");
    beyondCount.replace(5 * platform::kArgumentSlotSize, 6, "/e.wav");
    beyondCount.replace(platform::kArgumentCountOffset, 4, QByteArray("\x01\0\0\0", 4));
    const std::vector<Case> cases = {
        {"empty", {}, {}},
        {"a few bytes", QByteArray("/x.wav"), {}},
        {"count past the slots", pastSlots, {"/a.wav", "/z.wav"}},
        {"no slot terminated", unterminated, {}},
        {"text beyond the count", beyondCount, {"/a.wav"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readArgumentBlock(ArgumentBlock::parse(c.bytes)).files, c.files);
    }
}

TEST(EditorCommandLine, FilesAreMadeAbsoluteForAnotherProcessAndSwitchesKept)
{
    const QString folder = QStringLiteral("/home/zoë/work dir");
    const QStringList given = {"take 1.wav", "../Müsik/./b.wav", "/abs/c.wav", "/NoSplash", "/VoiceTrack", "", "/Burn"};
    const QStringList expected = {"/home/zoë/work dir/take 1.wav",
                                  "/home/zoë/Müsik/b.wav",
                                  "/abs/c.wav",
                                  "/NoSplash",
                                  "/VoiceTrack",
                                  "",
                                  "/Burn"};
    EXPECT_EQ(absoluteArguments(given, folder), expected);
}

} // namespace
