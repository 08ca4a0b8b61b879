// Library processes run as jobs (kinds 3 and 6): polled through their handle cell under the
// window, cancelled through the library, their codes shown once they are over, the handle always
// closed. The edit processes run on a stand-in engine with the player library's calls; the
// conversions on the real format library.
#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/PolledLibrary.h"
#include "common/WaveWrite.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/codecs/VXFmtHlp.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

using jobtest::FakeEditEngine;
using jobtest::Gate;
using jobtest::ScriptedProgressHost;
using platform::IDOK;

namespace {

class EditProcessJobTest : public testing::Test {
protected:
    int run(bool cancelShown = true)
    {
        return runner.runLibraryProcess(JobKind::EditProcess, calls,
                                        [this](uint32_t* cell) { return engine.AudioPasteEx(cell); },
                                        "Inserting Recording", cancelShown, messages, PlayerErrorToMessageId);
    }

    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    FakeEditEngine engine;
    EditProcessCalls<FakeEditEngine> calls{engine};
    ScriptedProgressHost host;
    JobRunner runner{host};
};

// Steps to 100 in tens, a few milliseconds apart, so the window sees it run.
int stepsToTheEnd(platform::PolledProcess::Control& control, int exitReason)
{
    for (int p = 10; p <= 100; p += 10) {
        if (control.cancelRequested())
            return platform::kProcessCancelled;
        control.setProgress(p);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    return exitReason;
}

} // namespace

TEST_F(EditProcessJobTest, FinishesUnderTheWindow)
{
    engine.body = [](auto& control) { return stepsToTheEnd(control, 0); };
    EXPECT_EQ(run(false), 0);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].caption, "Inserting Recording");
    EXPECT_FALSE(host.shown[0].cancelShown);
    const std::vector<int>& percents = host.shown[0].percents;
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GT(percents.back(), 0) << "the bar follows the library's progress";
    EXPECT_EQ(engine.closeCalls, 1);
    EXPECT_EQ(engine.openProcesses(), 0);
    EXPECT_EQ(runner.currentJob(), nullptr);
}

TEST_F(EditProcessJobTest, AFailedProcessShowsItsMappedMessage)
{
    engine.body = [](auto& control) { return stepsToTheEnd(control, 303); };
    ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(303)));
    EXPECT_EQ(run(), 303);
    EXPECT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(engine.openProcesses(), 0);
}

TEST_F(EditProcessJobTest, AFailingStartShowsItsMessageAndNoWindow)
{
    engine.startResult = 102;
    ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(102)));
    EXPECT_EQ(run(), 102);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(engine.closeCalls, 1) << "the handle is closed on every road";
}

TEST_F(EditProcessJobTest, AProcessOverAtOnceNeedsNoWindow)
{
    for (const int reason : {0, 110}) {
        SCOPED_TRACE(reason);
        Gate ended;
        engine.body = [reason, &ended](auto&) {
            ended.open();
            return reason;
        };
        // The start call returns only once the process is over.
        const auto start = [&](uint32_t* cell) {
            const int code = engine.AudioPasteEx(cell);
            jobtest::eventually([&] { return engine.AudioEditProcessIsOver(*cell) == 1; });
            return code;
        };
        if (reason != 0)
            ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(reason)));
        EXPECT_EQ(runner.runLibraryProcess(JobKind::EditProcess, calls, start, "Paste...", true, messages,
                                           PlayerErrorToMessageId),
                  reason);
        EXPECT_TRUE(ended.isOpen());
    }
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(engine.openProcesses(), 0);
}

TEST_F(EditProcessJobTest, CancelAsksTheLibraryAndShowsNothing)
{
    Gate running;
    engine.body = [&running](platform::PolledProcess::Control& control) {
        control.setProgress(20);
        running.open();
        while (!control.cancelRequested())
            std::this_thread::yield();
        return platform::kProcessCancelled;
    };
    host.pressCancelAt = [&](int) { return running.isOpen(); };
    EXPECT_EQ(run(), 129);
    EXPECT_EQ(engine.cancelCalls, 1);
    EXPECT_EQ(engine.closeCalls, 1);
    EXPECT_EQ(engine.openProcesses(), 0);
    EXPECT_TRUE(host.shown[0].cancelPressed);
}

TEST_F(EditProcessJobTest, ACancelTheProcessDidNotHeedGivesItsOwnOutcome)
{
    // The library finished (or failed) its work before it saw the cancel: the edit is there, or
    // the failure says why, and the caller must not take it for a cancel.
    for (const int reason : {0, 303}) {
        SCOPED_TRACE(reason);
        Gate cancelled;
        engine.body = [&cancelled, reason](platform::PolledProcess::Control& control) {
            control.setProgress(50);
            cancelled.wait();
            return reason;
        };
        host.pressCancelAt = [&](int tick) {
            if (tick < 2)
                return false;
            QTimer::singleShot(0, [&cancelled] { cancelled.open(); });
            return true;
        };
        if (reason != 0)
            ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(reason)));
        EXPECT_EQ(run(), reason);
        EXPECT_TRUE(host.shown.back().cancelPressed);
        EXPECT_EQ(engine.openProcesses(), 0);
    }
}

TEST_F(EditProcessJobTest, RefusedWhileAnotherJobRuns)
{
    engine.body = [](auto& control) { return stepsToTheEnd(control, 0); };
    TJobRecord other(JobKind::CancelOnly);
    int nested = -1;
    host.beforeTick = [&](int tick) {
        if (tick == 1)
            nested = run();
    };
    ASSERT_EQ(runner.runOnWorker(other, "Other", false, [](TJobRecord& j) { j.finish(JobState::Done); }), 0);
    EXPECT_EQ(nested, kJobBusyCode);
    EXPECT_EQ(engine.closeCalls, 0) << "nothing was started";
}

namespace {

// A WAV whose header announces dataBytes of samples, made sparse: the size is real to every check,
// yet no sample is written to the disk.
QString sparseWave(const QString& path, const WaveFormatEx& format, int64_t dataBytes)
{
    using namespace wavefixtures;
    const QByteArray header = riff("WAVE", chunk("fmt ", fmtBody(format)) + chunk("data", {}, uint32_t(dataBytes)),
                                   uint32_t(4 + 8 + kWaveFormatSize + 8 + dataBytes));
    testsupport::writeFile(path, header);
    EXPECT_TRUE(QFile::resize(path, header.size() + dataBytes)) << path.toStdString();
    return path;
}

struct Program {
    const char* name;
    platform::Messages (*makeMessages)(platform::Interaction&);
    const char* caption;
};

} // namespace

// An edit whose result would pass the 4 GiB limit of a WAV, started through the same call as the
// editing commands: the engine refuses it before anything is written, and the user is told why in
// each program's words.
TEST(EditPastTheWaveLimit, IsRefusedWithItsOwnMessage)
{
    const QString folder = testsupport::testFolder();
    const WaveFormatEx format = wavefixtures::waveFormat(WAVE_FORMAT_PCM, 2, 44100, 16);
    const QString small = wavefixtures::soxWave(folder + "/small.wav", 16, 2, 1000, 44100);
    // Half the limit, so that pasting it into itself passes it.
    const QString half = sparseWave(folder + "/half.wav", format, (kMaxRiffChunkSize / 2) & ~int64_t(3));
    // About 400 bytes of samples below the limit: a thousand frames more do not fit.
    const int64_t nearlyFull = kMaxRiffChunkSize - (4 + 8 + kWaveFormatSize + 8) - 400;
    const QString nearly = sparseWave(folder + "/nearly.wav", format, nearlyFull & ~int64_t(3));
    const QString out = folder + "/out.wav";
    constexpr int64_t kThreeDaysMs = int64_t(3) * 24 * 3600 * 1000;

    platform::audio::VirtualBackend backend;
    platform::audio::AudioEngine engine{backend};
    ASSERT_EQ(engine.SetTempPath(folder), 0);
    EditProcessCalls<platform::audio::AudioEngine> calls{engine};

    struct Case {
        const char* name;
        JobRunner::ProcessStart start;
    };
    const Case cases[] = {
        {"a paste of a file into itself",
         [&](uint32_t* c) { return engine.AudioPasteEx(half, 0, 1, c, 0, half, out); }},
        {"a paste into a file near the limit",
         [&](uint32_t* c) { return engine.AudioPasteEx(nearly, 500, 1, c, 0, small, out); }},
        {"a paste that edits in place",
         [&](uint32_t* c) { return engine.AudioPasteEx(nearly, 0, 1, c, 0, small, ""); }},
        {"an inserted silence of three days",
         [&](uint32_t* c) { return engine.AudioInsertSilence(small, 0, 1, c, 0, kThreeDaysMs, out); }},
    };
    const Program programs[] = {{"recorder", makeRecorderMessages, kRecorderCaption},
                                {"editor", makeEditorMessages, kEditorCaption}};
    const QStringList inputs = {small, half, nearly};
    std::vector<int64_t> sizes;
    for (const QString& input : inputs)
        sizes.push_back(QFileInfo(input).size());

    for (const Program& program : programs) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(program.name) + ": " + c.name);
            testsupport::ScriptedInteraction ui;
            const platform::Messages messages = program.makeMessages(ui);
            ScriptedProgressHost host;
            JobRunner runner{host};
            ui.expectMessageBox(IDOK, "larger than 4 GB");
            EXPECT_EQ(runner.runLibraryProcess(JobKind::EditProcess, calls, c.start, "Pasting...", true, messages,
                                               PlayerErrorToMessageId),
                      platform::audio::PlayerCode::TooLarge);
            ASSERT_EQ(ui.prompts().size(), 1u);
            EXPECT_EQ(ui.prompts()[0].text,
                      "Error : The wave file would become larger than 4 GB, the largest size a wave file can have. "
                      "Please save your work in a new file. Error code 900");
            EXPECT_EQ(ui.prompts()[0].caption, program.caption);
            EXPECT_EQ(ui.prompts()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
            EXPECT_TRUE(host.shown.empty()) << "refused before any work";
            EXPECT_FALSE(QFile::exists(out));
            for (int i = 0; i < inputs.size(); ++i)
                EXPECT_EQ(QFileInfo(inputs[i]).size(), sizes[size_t(i)]) << inputs[i].toStdString();
            EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3) << "no file left behind";
        }
    }
}

namespace {

class ConvertProcessJobTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        source = wavefixtures::soxWave(folder + "/source.wav", 16, 2, kFrames, 44100);
        target = folder + "/mono.wav";
    }

    int run(const WaveFormatEx& format)
    {
        return runner.runLibraryProcess(
            JobKind::ConvertProcess, calls,
            [&](uint32_t* cell) { return library.AudioConvert(source, target, &format, cell, 0); }, "Changing Format...",
            true, messages, PlayerErrorToMessageId);
    }

    // Called by the converter after each block: while gated, the first block waits for release.
    void blockWritten()
    {
        if (!gated)
            return;
        inside.open();
        release.wait();
    }

    static constexpr int64_t kFrames = 10 * 44100;
    QString folder;
    QString source;
    QString target;
    bool gated = false;
    Gate inside;
    Gate release;
    platform::codecs::VXFmtHlp library{platform::codecs::DecodeEnvironment{{}, [this] { blockWritten(); }}};
    ConvertProcessCalls calls{library};
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    ScriptedProgressHost host;
    JobRunner runner{host};
};

} // namespace

TEST_F(ConvertProcessJobTest, ConvertsASoxWaveUnderTheWindow)
{
    EXPECT_EQ(run(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 44100, 16)), 0);
    const wavefixtures::WaveInfo info = wavefixtures::soxWaveInfo(target, false);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.rate, 44100);
    EXPECT_EQ(info.bits, 16);
    EXPECT_EQ(info.frames, kFrames);
}

TEST_F(ConvertProcessJobTest, CancelledMidwayLeavesNoTarget)
{
    gated = true;
    host.pressCancelAt = [&](int) {
        if (!inside.isOpen())
            return false;
        QTimer::singleShot(0, [this] { release.open(); });
        return true;
    };
    EXPECT_EQ(run(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 22050, 16)), 129);
    EXPECT_TRUE(host.shown[0].cancelPressed);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(ConvertProcessJobTest, ARefusedFormatIsShownWithoutAWindow)
{
    ui.expectMessageBox(IDOK, messages.messageText(PlayerErrorToMessageId(122)));
    EXPECT_EQ(run(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 3, 44100, 16)), 122);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_FALSE(QFile::exists(target));
}
