#include "editor/CommandLineProcessor.h"

#include "editor/Workspace.h"
#include "editor/WorkspaceFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <map>

using platform::ArgumentBlockSender;
using platform::buildArgumentBlock;

namespace {

// The main window as the command line sees it: calls recorded in order, answers
// set by the test.
struct FakeHost : CommandLineHost {
    bool isBusy = false;
    bool visible = true;
    bool isRecording = false;
    int recordAfterOpens = -1; // a recording starts after this many opens
    std::map<QString, int> answers; // the code of opening (or importing) a file; 0 when not listed
    QStringList calls;

    bool busy() const override { return isBusy; }
    void setBusy(bool busy) override { isBusy = busy; }
    bool mainWindowVisible() const override { return visible; }
    void raiseMainWindow() override { calls << QStringLiteral("raise"); }
    bool recording() const override { return isRecording; }
    void stopPlayback() override { }
    void enterTrackMode(TrackRole role) override { calls << QStringLiteral("mode %1").arg(int(role)); }
    int importWmaPlaylist(const QString& path, QString* wav) override
    {
        calls << QStringLiteral("import %1").arg(path);
        *wav = path + QStringLiteral(".tmp");
        return answer(path);
    }
    void openAsUnsaved(const QString& path) override
    {
        calls << QStringLiteral("unsaved %1").arg(path);
        opened();
    }
    int openFile(const QString& path, TrackRole role) override
    {
        calls << QStringLiteral("open %1 %2").arg(path).arg(int(role));
        EXPECT_TRUE(isBusy);
        opened();
        return answer(path);
    }
    void offerMp3Component() override { calls << QStringLiteral("offer mp3"); }
    void offerWmaComponent() override { calls << QStringLiteral("offer wma"); }

    int answer(const QString& path) const
    {
        const auto found = answers.find(path);
        return found == answers.end() ? 0 : found->second;
    }
    void opened()
    {
        if (recordAfterOpens > 0 && --recordAfterOpens == 0)
            isRecording = true;
    }
};

EditorCommandLine lineOf(const QStringList& arguments)
{
    return readCommandLine(arguments);
}

QByteArray blockOf(const QStringList& arguments)
{
    return buildArgumentBlock(arguments, ArgumentBlockSender::Editor).bytes;
}

class CommandLineOpening : public testing::Test {
protected:
    FakeHost host;
    CommandLineProcessor processor{host};

    QStringList run(const QStringList& arguments)
    {
        host.calls.clear();
        processor.post(lineOf(arguments));
        QCoreApplication::processEvents();
        return host.calls;
    }
};

TEST_F(CommandLineOpening, EachFileTakesItsRoadAndCodesStopOrGoOn)
{
    host.answers = {{"/bad.mp3", kMp3NotConvertible},
                    {"/missing.wav", kFileMissing},
                    {"/full.wav", kNoTempSpace},
                    {"/nodecoder.plst", kWmaDecoderMissing},
                    {"/broken.plst", 489},
                    {"/broken.wma", kWmaNotReadable}};
    struct Case {
        const char* name;
        QStringList arguments;
        QStringList calls;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {}},
        {"a voice track", {"/v t.wav", "/NoSplash", "/VoiceTrack"}, {"mode 2", "open /v t.wav 2"}},
        {"a music track", {"/m.wav", "/MusicTrack"}, {"mode 1", "open /m.wav 1"}},
        {"a normal track", {"/n.wav", "/NormalTrack"}, {"mode 0", "open /n.wav 0"}},
        {"unsaved", {"/a.wav", "/b.wav", "/Unsaved"}, {"unsaved /a.wav", "unsaved /b.wav"}},
        {"the mp3 question comes for each file and the rest opens",
         {"/bad.mp3", "/bad.mp3", "/ok.wav"},
         {"open /bad.mp3 0", "offer mp3", "open /bad.mp3 0", "offer mp3", "open /ok.wav 0"}},
        {"a missing file goes on", {"/missing.wav", "/ok.wav"}, {"open /missing.wav 0", "open /ok.wav 0"}},
        {"no temporary space stops", {"/full.wav", "/ok.wav"}, {"open /full.wav 0"}},
        {"a wma opens as any file, as the track of its role",
         {"/song.WMA", "/take.wma", "/MusicTrack"},
         {"mode 1", "open /song.WMA 1", "open /take.wma 1"}},
        {"a wma opens as any file also with unsaved",
         {"/song.wma", "/a.wav", "/Unsaved"},
         {"open /song.wma 0", "unsaved /a.wav"}},
        {"a wma that cannot be decoded goes on", {"/broken.wma", "/ok.wav"}, {"open /broken.wma 0", "open /ok.wav 0"}},
        {"a playlist is imported and opened unsaved", {"/list.PLST"}, {"import /list.PLST", "unsaved /list.PLST.tmp"}},
        {"no wma decoder for a playlist asks and stops",
         {"/nodecoder.plst", "/ok.wav"},
         {"import /nodecoder.plst", "offer wma"}},
        {"a failed playlist import stops", {"/broken.plst", "/ok.wav"}, {"import /broken.plst"}},
        {"both track switches open the music track", {"/m.wav", "/VoiceTrack", "/MusicTrack"},
         {"mode 1", "mode 2", "open /m.wav 1"}},
        {"a track switch with unsaved", {"/v.wav", "/VoiceTrack", "/Unsaved"}, {"mode 2", "unsaved /v.wav"}},
        {"no splash alone opens the file", {"/NoSplash", "/n.wav"}, {"open /n.wav 0"}},
        {"burn opens nothing", {"/Burn", "/ok.wav"}, {}},
        {"names are cleaned", {"/home/zoë/./a/../Ünï code.wav"}, {"open /home/zoë/Ünï code.wav 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.arguments), c.calls);
        EXPECT_FALSE(host.isBusy);
    }
}

TEST_F(CommandLineOpening, ARecordingStopsTheRestAndKeepsTheWindowBusy)
{
    host.recordAfterOpens = 1;
    EXPECT_EQ(run({"/a.wav", "/b.wav"}), QStringList{"open /a.wav 0"});
    EXPECT_TRUE(host.isBusy);
}

TEST_F(CommandLineOpening, ACommandLineThatComesWhileBusyWaitsForTheWindowAndIsNotLost)
{
    host.isBusy = true;
    EXPECT_TRUE(run({"/a.wav"}).isEmpty());
    EXPECT_TRUE(run({"/b.wav"}).isEmpty());
    EXPECT_EQ(processor.waiting(), 2);

    processor.busyEnded();
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.calls.isEmpty()); // still busy

    host.isBusy = false;
    processor.busyEnded();
    QCoreApplication::processEvents();
    EXPECT_EQ(host.calls, (QStringList{"open /a.wav 0", "open /b.wav 0"}));
    EXPECT_EQ(processor.waiting(), 0);
}

TEST_F(CommandLineOpening, NothingOpensBeforeTheEventLoopRuns)
{
    processor.post(lineOf({"/a.wav"}));
    EXPECT_TRUE(host.calls.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(host.calls, QStringList{"open /a.wav 0"});
}

TEST(CommandLineReceiving, ABlockIsTakenOnlyFromAShownIdleWindowOrForBurning)
{
    struct Case {
        const char* name;
        bool busy;
        bool visible;
        QByteArray data;
        bool taken;
        QStringList calls; // after the event loop ran
    };
    const std::vector<Case> cases = {
        {"shown and idle", false, true, blockOf({"/a.wav"}), true, {"raise", "open /a.wav 0"}},
        {"busy", true, true, blockOf({"/a.wav"}), false, {}},
        {"hidden", false, false, blockOf({"/a.wav"}), false, {}},
        {"empty", false, true, {}, false, {}},
        {"burn while hidden", false, false, blockOf({"/BURN"}), true, {}},
        {"burn while busy", true, true, blockOf({"/Burn"}), false, {}},
        {"a short block without a count", false, true, QByteArray("/a.wav"), true, {"raise"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.isBusy = c.busy;
        host.visible = c.visible;
        CommandLineProcessor processor(host);
        EXPECT_EQ(processor.receive(c.data), c.taken);
        host.isBusy = false;
        QCoreApplication::processEvents();
        EXPECT_EQ(host.calls, c.calls);
    }
}

} // namespace
