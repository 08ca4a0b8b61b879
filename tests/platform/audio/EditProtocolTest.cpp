// The polled protocol of the edit processes (progress, is-over, exit reason, cancel, close), calls
// in the wrong state and bad input, each with the code of the player map, and no partial output
// anywhere.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/EditProcesses.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EditTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform::audio;
using edittest::entries;
using edittest::runEdit;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const WaveFormatEx kStereo = makePcmFormat(8000, 16, 2);
constexpr int64_t kFrames = 50000;

// Once armed, holds a process on its thread after its third step until the test lets it go on.
class Gate {
public:
    explicit Gate(bool armed = true)
        : m_armed(armed)
    {
    }
    ~Gate() { release(); }
    void arm()
    {
        const std::lock_guard lock(m_mutex);
        m_armed = true;
    }
    std::function<void()> hook()
    {
        return [this] {
            std::unique_lock lock(m_mutex);
            if (!m_armed || ++m_steps < 3)
                return;
            m_reached = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        };
    }
    bool waitReached()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(60), [this] { return m_reached; });
    }
    void release()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_armed;
    int m_steps = 0;
    bool m_reached = false;
    bool m_open = false;
};

QString writeRamp(const QString& path, int64_t frames, int first = 0)
{
    QByteArray samples(frames * 4, Qt::Uninitialized);
    auto* out = reinterpret_cast<int16_t*>(samples.data());
    for (int64_t i = 0; i < frames; ++i) {
        out[2 * i] = int16_t((first + i) % 30000);
        out[2 * i + 1] = int16_t(-((first + i) % 30000));
    }
    writeFile(path, wavefixtures::pcmWave(kStereo, samples));
    return path;
}

int64_t framesOf(const QString& path)
{
    return wavefixtures::pythonWaveInfo(path, false).frames;
}

class EditProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        in = writeRamp(folder + "/in.wav", kFrames);
        original = readFile(in);
    }

    QString folder;
    QString in;
    QByteArray original;
    Gate gate;
};

} // namespace

// Progress rises step by step to 100, never going down, while the caller polls.
TEST_F(EditProtocol, ProgressRisesToAHundred)
{
    EditEnvironment environment;
    environment.stepBytes = 4096;
    environment.stepDone = [] { std::this_thread::sleep_for(std::chrono::microseconds(300)); };
    EditProcesses edits([] { return false; }, [this] { return folder; }, environment);
    uint32_t cell = 0;
    ASSERT_EQ(edits.AudioEditMute(in, 0, kFrames, 1, &cell, 0, 3, folder + "/out.wav"), 0);
    std::vector<int> seen{0};
    while (!edits.AudioEditProcessIsOver(cell)) {
        const int progress = edits.AudioEditGetProcessProgress(cell);
        if (progress != seen.back())
            seen.push_back(progress);
    }
    seen.push_back(edits.AudioEditGetProcessProgress(cell));
    EXPECT_EQ(edits.AudioEditGetReasonForProcessExit(cell), 0);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_GE(seen.size(), 4u) << "the percent moved in steps";
    EXPECT_EQ(edits.AudioEditCloseHandle(&cell), 0);
    EXPECT_EQ(framesOf(folder + "/out.wav"), kFrames);
}

// A cancel part-way ends the process with 129: no output, no temporary file left, the inputs and
// the clipboard as they were.
TEST_F(EditProtocol, ACancelPartWayLeavesEverythingAsItWas)
{
    struct Case {
        const char* name;
        std::function<uint16_t(EditProcesses&, uint32_t*)> start;
    };
    const QString other = writeRamp(folder + "/other.wav", 3000, 7);
    const QByteArray otherBytes = readFile(other);
    const std::vector<Case> cases = {
        {"mute", [&](EditProcesses& e, uint32_t* c) { return e.AudioEditMute(in, 10, 40000, 1, c, 0, 3, folder + "/out.wav"); }},
        {"cut into the clipboard",
         [&](EditProcesses& e, uint32_t* c) { return e.AudioCut(in, 100, 45000, 1, c, 0, folder + "/out.wav"); }},
        {"clear in place", [&](EditProcesses& e, uint32_t* c) { return e.AudioClear(in, 5, 30000, 1, c, 0, ""); }},
        {"paste in place", [&](EditProcesses& e, uint32_t* c) { return e.AudioPasteEx(in, 20000, 1, c, 0, other, ""); }},
        {"insert silence", [&](EditProcesses& e, uint32_t* c) {
             return e.AudioInsertSilence(in, 20000, 1, c, 0, 4000, folder + "/out.wav");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gate gate(false);
        EditProcesses gated([] { return false; }, [this] { return folder; }, {8192, gate.hook()});
        // Something in the clipboard first, which the cancelled cut must not replace.
        ASSERT_EQ(runEdit(gated, [&](uint32_t* cell) { return gated.AudioCopy(other, 0, 1000, 1, cell, 0); }), 0);
        const QStringList before = entries(folder);
        gate.arm();
        uint32_t cell = 0;
        ASSERT_EQ(c.start(gated, &cell), 0);
        ASSERT_TRUE(gate.waitReached());
        EXPECT_EQ(gated.AudioEditProcessIsOver(cell), 0);
        EXPECT_GT(gated.AudioEditGetProcessProgress(cell), 0);
        EXPECT_LT(gated.AudioEditGetProcessProgress(cell), 100);
        EXPECT_EQ(gated.AudioEditGetReasonForProcessExit(cell), 0) << "no reason before the end";
        EXPECT_GT(entries(folder).size(), before.size()) << "the output is being written beside its target";
        EXPECT_EQ(gated.AudioEditCancelPressed(cell), 0);
        gate.release();
        while (!gated.AudioEditProcessIsOver(cell))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(gated.AudioEditGetReasonForProcessExit(cell), platform::kProcessCancelled);
        EXPECT_EQ(gated.AudioEditCloseHandle(&cell), 0);
        EXPECT_EQ(cell, 0u);
        EXPECT_EQ(entries(folder), before);
        EXPECT_EQ(readFile(in), original);
        EXPECT_EQ(readFile(other), otherBytes);
        // The clipboard still holds what was copied into it.
        gate.release();
        const QString pasted = folder + "/pasted.wav";
        ASSERT_EQ(runEdit(gated, [&](uint32_t* c2) { return gated.AudioPasteEx(other, 0, 1, c2, 0, "", pasted); }), 0);
        EXPECT_EQ(framesOf(pasted), 4000);
        QFile::remove(pasted);
    }
}

// Closing the handle of a process that still runs waits for its end; it is not cancelled.
TEST_F(EditProtocol, ClosingARunningProcessWaitsForIt)
{
    EditProcesses edits([] { return false; }, [this] { return folder; }, {4096, gate.hook()});
    uint32_t cell = 0;
    ASSERT_EQ(edits.AudioCrop(in, 0, 40000, 1, &cell, 0, folder + "/out.wav"), 0);
    ASSERT_TRUE(gate.waitReached());
    std::atomic<bool> released{false};
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        released = true;
        gate.release();
    });
    EXPECT_EQ(edits.AudioEditCloseHandle(&cell), 0);
    EXPECT_TRUE(released.load());
    opener.join();
    EXPECT_EQ(cell, 0u);
    EXPECT_EQ(framesOf(folder + "/out.wav"), 40000);
}

// Calls with a handle that is not (or no longer) there, or without a cell.
TEST_F(EditProtocol, UnknownHandlesAndMissingCells)
{
    EditProcesses edits([] { return false; }, [this] { return folder; });
    EXPECT_EQ(edits.AudioEditProcessIsOver(77), 1);
    EXPECT_EQ(edits.AudioEditGetProcessProgress(77), 0);
    EXPECT_EQ(edits.AudioEditGetReasonForProcessExit(77), PlayerCode::InvalidHandle);
    EXPECT_EQ(edits.AudioEditCancelPressed(77), PlayerCode::InvalidHandle);
    EXPECT_EQ(edits.AudioEditCloseHandle(nullptr), PlayerCode::InvalidHandle);
    uint32_t cell = 0;
    EXPECT_EQ(edits.AudioEditCloseHandle(&cell), 0);
    cell = 77;
    EXPECT_EQ(edits.AudioEditCloseHandle(&cell), PlayerCode::InvalidHandle);
    EXPECT_EQ(cell, 0u);
    EXPECT_EQ(edits.AudioCrop(in, 0, 10, 1, nullptr, 0, folder + "/out.wav"), PlayerCode::InvalidHandle);
    // A closed handle is gone.
    ASSERT_EQ(edits.AudioCrop(in, 0, 10, 1, &cell, 0, folder + "/out.wav"), 0);
    const uint32_t handle = cell;
    ASSERT_EQ(edits.AudioEditCloseHandle(&cell), 0);
    EXPECT_EQ(edits.AudioEditGetReasonForProcessExit(handle), PlayerCode::InvalidHandle);
}

// Calls the engine refuses in its state or for their arguments, with the codes of the map; nothing
// is written.
TEST(EditRefusals, WrongStateAndArguments)
{
    VirtualBackend backend;
    AudioEngine engine{backend};
    // The engine keeps no undo of its own: switching it off (as the editor does) changes nothing.
    EXPECT_EQ(engine.AudioEditSetUndoRedo(0), 0);
    const QString folder = testsupport::testFolder();
    const QString in = writeRamp(folder + "/in.wav", 10000);
    const QString out = folder + "/out.wav";
    struct Case {
        const char* name;
        std::function<uint16_t(uint32_t*)> start;
        uint16_t code;
    };
    const std::vector<Case> withoutTempPath = {
        {"cut without a temp folder", [&](uint32_t* c) { return engine.AudioCut(in, 0, 10, 1, c, 0, out); },
         PlayerCode::BadTempLocation},
        {"copy without a temp folder", [&](uint32_t* c) { return engine.AudioCopy(in, 0, 10, 1, c, 0); },
         PlayerCode::BadTempLocation},
        {"paste with an empty clipboard", [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, "", out); },
         PlayerCode::NothingToPaste},
    };
    for (const Case& c : withoutTempPath) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runEdit(engine, c.start), c.code);
    }
    EXPECT_EQ(engine.AudioEditCanPaste(), 0);
    ASSERT_EQ(engine.SetTempPath(folder), 0);

    const std::vector<Case> cases = {
        {"cut of nothing", [&](uint32_t* c) { return engine.AudioCut(in, 5, 5, 1, c, 0, out); }, PlayerCode::NoCutSelection},
        {"cut into a file of nothing",
         [&](uint32_t* c) { return engine.AudioCutInFile(in, 5, 5, 1, c, 0, folder + "/t.wav", out); },
         PlayerCode::NoCutSelection},
        {"copy of nothing", [&](uint32_t* c) { return engine.AudioCopy(in, 7, 7, 1, c, 0); }, PlayerCode::NoCopySelection},
        {"clear of nothing", [&](uint32_t* c) { return engine.AudioClear(in, 0, 0, 1, c, 0, out); },
         PlayerCode::NoClearSelection},
        {"crop of nothing", [&](uint32_t* c) { return engine.AudioCrop(in, 9, 9, 1, c, 0, out); }, PlayerCode::NoCropSelection},
        {"a range past the end", [&](uint32_t* c) { return engine.AudioClear(in, 10, 10001, 1, c, 0, out); },
         PlayerCode::PositionBeyondSize},
        {"a negative start", [&](uint32_t* c) { return engine.AudioCrop(in, -1, 10, 1, c, 0, out); },
         PlayerCode::PositionBeyondSize},
        {"a paste past the end", [&](uint32_t* c) { return engine.AudioPasteEx(in, 10001, 1, c, 0, in, out); },
         PlayerCode::PositionBeyondSize},
        {"silence past the end", [&](uint32_t* c) { return engine.AudioInsertSilence(in, 20000, 1, c, 0, 5, out); },
         PlayerCode::PositionBeyondSize},
        {"a range past the end in ms", [&](uint32_t* c) { return engine.AudioCrop(in, 0, 1251, 0, c, 0, out); },
         PlayerCode::PositionBeyondSize},
        {"an unknown unit", [&](uint32_t* c) { return engine.AudioCrop(in, 0, 10, 2, c, 0, out); },
         PlayerCode::PositionBeyondSize},
        {"a negative silence", [&](uint32_t* c) { return engine.AudioInsertSilence(in, 0, 1, c, 0, -1, out); },
         PlayerCode::PositionBeyondSize},
        {"silence past 4 GiB",
         [&](uint32_t* c) { return engine.AudioInsertSilence(in, 0, 1, c, 0, int64_t(1) << 28, out); }, PlayerCode::TooLarge},
        {"an absurd silence",
         [&](uint32_t* c) { return engine.AudioInsertSilence(in, 0, 1, c, 0, INT64_MAX, out); }, PlayerCode::TooLarge},
        {"cut into the file itself",
         [&](uint32_t* c) { return engine.AudioCutInFile(in, 0, 10, 1, c, 0, in, out); }, PlayerCode::FileInUse},
        {"cut into the result", [&](uint32_t* c) { return engine.AudioCutInFile(in, 0, 10, 1, c, 0, out, out); },
         PlayerCode::FileInUse},
        {"copy over the file", [&](uint32_t* c) { return engine.AudioCopyInFile(in, 0, 10, 1, c, 0, in); },
         PlayerCode::FileInUse},
        {"a paste over what it pastes",
         [&](uint32_t* c) { return engine.AudioPasteEx(out, 0, 1, c, 0, in, in); }, PlayerCode::CannotOpenFile},
        {"a paste that replaces its source",
         [&](uint32_t* c) {
             writeRamp(out, 10);
             return engine.AudioPasteEx(out, 0, 1, c, 0, in, in);
         },
         PlayerCode::FileInUse},
        {"an unnamed target", [&](uint32_t* c) { return engine.AudioCopyInFile(in, 0, 10, 1, c, 0, ""); },
         PlayerCode::DiskWriteError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(out);
        EXPECT_EQ(runEdit(engine, c.start), c.code);
        EXPECT_FALSE(QFile::exists(out) && c.code != PlayerCode::FileInUse);
    }
    QFile::remove(out);
    EXPECT_EQ(engine.AudioClear(in, 0, 10, 1, nullptr, 0, out), PlayerCode::InvalidHandle);

    // Nothing is edited while a playback runs (or is paused), whatever it plays.
    const QString played = writeRamp(folder + "/played.wav", 40000);
    ASSERT_EQ(engine.AudioPlayWave(played, 0, 1, 0, 0, 0), 0);
    backend.advance(1000);
    const std::vector<std::function<uint16_t(uint32_t*)>> whilePlaying = {
        [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, in, out); },
        [&](uint32_t* c) { return engine.AudioCut(in, 0, 10, 1, c, 0, out); },
        [&](uint32_t* c) { return engine.AudioCutInFile(in, 0, 10, 1, c, 0, folder + "/t.wav", out); },
        [&](uint32_t* c) { return engine.AudioCopy(in, 0, 10, 1, c, 0); },
        [&](uint32_t* c) { return engine.AudioCopyInFile(in, 0, 10, 1, c, 0, out); },
        [&](uint32_t* c) { return engine.AudioClear(in, 0, 10, 1, c, 0, out); },
        [&](uint32_t* c) { return engine.AudioCrop(in, 0, 10, 1, c, 0, out); },
        [&](uint32_t* c) { return engine.AudioEditMute(in, 0, 10, 1, c, 0, 3, out); },
        [&](uint32_t* c) { return engine.AudioEditTrimSilence(in, 0, 10, 1, c, 0, 3, out); },
        [&](uint32_t* c) { return engine.AudioInsertSilence(in, 0, 1, c, 0, 10, out); },
    };
    for (std::size_t i = 0; i < whilePlaying.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(runEdit(engine, whilePlaying[i]), PlayerCode::PlaybackRunning);
    }
    ASSERT_EQ(engine.AudioPause(), 0);
    EXPECT_EQ(runEdit(engine, whilePlaying[0]), PlayerCode::PlaybackRunning);
    ASSERT_EQ(engine.AudioStop(), 0);
    EXPECT_EQ(runEdit(engine, whilePlaying[0]), 0);
    EXPECT_EQ(framesOf(out), 20000);
}

// Bad inputs give the codes of the map and leave no output; a WAV cut short is edited as the
// whole frames it holds.
TEST(EditRefusals, BadInput)
{
    using wavefixtures::chunk;
    using wavefixtures::fmtBody;
    using wavefixtures::riff;
    VirtualBackend backend;
    AudioEngine engine{backend};
    const QString folder = testsupport::testFolder();
    ASSERT_EQ(engine.SetTempPath(folder), 0);
    const QString in = writeRamp(folder + "/in.wav", 1000);
    auto file = [&](const char* name, const QByteArray& bytes) {
        writeFile(folder + "/" + name, bytes);
        return folder + "/" + name;
    };
    const QString text = file("text.wav", "not a wave at all");
    const QByteArray whole = readFile(in);
    const QString header = file("header.wav", whole.left(30));
    const QString noData = file("nodata.wav", riff("WAVE", chunk("fmt ", fmtBody(kStereo))));
    const QString deep = file("24bit.wav", wavefixtures::pcmWave(wavefixtures::waveFormat(1, 2, 8000, 24), QByteArray(600, 1)));
    const QString mono = file("mono.wav", wavefixtures::pcmWave(makePcmFormat(8000, 16, 1), QByteArray(200, 1)));
    const QString faster = file("fast.wav", wavefixtures::pcmWave(makePcmFormat(16000, 16, 2), QByteArray(400, 1)));
    const testsupport::ToolResult made = testsupport::runSox(
        {"-n", "-r", "8000", "-c", "2", "-e", "ima-adpcm", folder + "/adpcm.wav", "synth", "0.5", "sine", "440"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString adpcm = folder + "/adpcm.wav";
    const QString out = folder + "/out.wav";
    struct Case {
        const char* name;
        std::function<uint16_t(uint32_t*)> start;
        uint16_t code;
    };
    const std::vector<Case> cases = {
        {"a missing file", [&](uint32_t* c) { return engine.AudioCrop(folder + "/none.wav", 0, 1, 1, c, 0, out); },
         PlayerCode::CannotOpenFile},
        {"no name", [&](uint32_t* c) { return engine.AudioCrop("", 0, 1, 1, c, 0, out); }, PlayerCode::CannotOpenFile},
        {"not a WAV", [&](uint32_t* c) { return engine.AudioCrop(text, 0, 1, 1, c, 0, out); }, PlayerCode::CannotReadFmt},
        {"a header cut short", [&](uint32_t* c) { return engine.AudioCrop(header, 0, 0, 1, c, 0, out); },
         PlayerCode::CannotReadFmt},
        {"no data chunk", [&](uint32_t* c) { return engine.AudioCrop(noData, 0, 1, 1, c, 0, out); },
         PlayerCode::CannotReadData},
        {"a compressed WAV", [&](uint32_t* c) { return engine.AudioEditMute(adpcm, 0, 10, 1, c, 0, 3, out); },
         PlayerCode::CompressedFile},
        {"24-bit samples", [&](uint32_t* c) { return engine.AudioClear(deep, 0, 10, 1, c, 0, out); },
         PlayerCode::FormatNotSupported},
        {"a missing clip", [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, folder + "/none.wav", out); },
         PlayerCode::ClipFileMissing},
        {"a compressed clip", [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, adpcm, out); },
         PlayerCode::CompressedFile},
        {"a mono clip", [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, mono, out); },
         PlayerCode::ClipFormatDiffers},
        {"a clip at another rate", [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, faster, out); },
         PlayerCode::ClipFormatDiffers},
        {"into a compressed WAV", [&](uint32_t* c) { return engine.AudioPasteEx(adpcm, 0, 1, c, 0, in, out); },
         PlayerCode::CompressedFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runEdit(engine, c.start), c.code);
        EXPECT_FALSE(QFile::exists(out));
    }

    // The clipboard's format is checked as a pasted file's is.
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioCopy(mono, 0, 10, 1, c, 0); }), 0);
    EXPECT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, "", out); }),
              PlayerCode::ClipFormatDiffers);

    // A recording cut short: its data chunk claims more than the file holds and ends mid-frame.
    const QString cut = file("cut.wav", whole.left(whole.size() - 1001 * 1 - 2));
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioClear(cut, 0, 100, 1, c, 0, out); }), 0);
    const wavefixtures::WaveInfo edited = wavefixtures::pythonWaveInfo(out);
    const int64_t present = (whole.size() - 1003 - 46) / 4;
    EXPECT_EQ(edited.frames, present - 100);
    EXPECT_TRUE(edited.samples == whole.mid(46 + 400, (present - 100) * 4));
}

// A write that fails (here: past the process's file size limit) ends the process with 301 and
// leaves nothing behind; the clipboard lives in the temporary folder and goes with the engine.
TEST(EditRefusals, FailedWritesAndTheClipboardsLife)
{
    const QString folder = testsupport::testFolder();
    const QString in = writeRamp(folder + "/in.wav", 100000);
    const QStringList before = entries(folder);
    QString clip;
    {
        VirtualBackend backend;
        AudioEngine engine{backend};
        ASSERT_EQ(engine.SetTempPath(folder), 0);
        {
            testsupport::LogCapture log;
            wavefixtures::FileSizeLimit limit(200000);
            EXPECT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioCrop(in, 0, 90000, 1, c, 0, folder + "/out.wav"); }),
                      PlayerCode::DiskWriteError);
            EXPECT_TRUE(log.contains("cannot"));
        }
        EXPECT_EQ(entries(folder), before);
        ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioCopy(in, 0, 10, 1, c, 0); }), 0);
        EXPECT_EQ(engine.AudioEditCanPaste(), 1);
        const QStringList now = entries(folder);
        ASSERT_EQ(now.size(), before.size() + 1);
        for (const QString& name : now)
            if (!before.contains(name))
                clip = name;
        EXPECT_TRUE(clip.startsWith("clip")) << clip.toStdString();
    }
    EXPECT_EQ(entries(folder), before);
}
