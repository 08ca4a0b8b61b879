// Insert Silence and Change Format on a real engine and real files: the working file each leaves,
// checked against what sox makes of the same input; their undo; the selection the silence gets;
// the roads where they fail or are cancelled; and the format dialog's answers and the format it
// offers first, kept in the settings.
#include "editor/EditCommands.h"
#include "editor/FormatConversion.h"
#include "editor/Workspace.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/WaveRead.h"
#include "platform/audio/EditProcesses.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/settings/MemorySettingsStore.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cmath>
#include <thread>

using namespace wavefixtures;
using testsupport::hashOf;
using testsupport::runSox;

namespace {

const QString kChangeFormatKeyPath = QString::fromLatin1(kChangeFormatKey);

// The main window as the commands see it: positions set by the test, refreshes recorded.
struct ViewsHost : EditHost {
    EditView view;
    std::vector<EditRefresh> refreshes;

    EditView editView() const override { return view; }
    bool readyForEditing(TDocumentRecord&) override { return true; }
    int refreshViews(TDocumentRecord&, const EditRefresh& refresh) override
    {
        refreshes.push_back(refresh);
        return 0;
    }
    QString askTargetFile() override { return {}; }
    void controlsChanged(const TDocumentRecord&, const ControlPanel&) override { }
};

class InsertSilenceTest : public testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp + "/clip"));
        document.undoFile = temp + "/qel32undo.tmp";
        document.redoFile = temp + "/qel32redo.tmp";
        document.workingFile = temp + "/qel32work.wav";
        document.displayName = "song.wav";
        document.saveState = SaveState::Unchanged;
        document.workspaceState = WorkspaceState::Ready;
        testsupport::writeFile(document.undoFile, {});
        testsupport::writeFile(document.redoFile, {});
    }
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    // The working file: a sox-made sine (noise on a second channel).
    void useWave(int bits, int channels, int64_t frames, int rate = 8000)
    {
        soxWave(document.workingFile, bits, channels, frames, rate);
        useWorkingFile(frames);
    }

    // The working file: sines well below the lowest rate's Nyquist frequency on every channel, which
    // every resampler keeps as they are.
    void useSines(int bits, int channels, int64_t frames, int rate)
    {
        const QString r = QString::number(rate);
        const QString n = QString::number(channels);
        ASSERT_EQ(runSox({"-D", "-r", r, "-c", n, "-n", "-r", r, "-c", n, "-b", QString::number(bits),
                          document.workingFile, "synth", QString::number(frames) + "s", "sine", "440", "sine", "660",
                          "vol", "0.5"})
                      .exitCode,
                  0);
        useWorkingFile(frames);
    }

    // The working file as it is now is the document's audio.
    void useWorkingFile(int64_t frames)
    {
        testsupport::writeFile(document.undoFile, {});
        testsupport::writeFile(document.redoFile, {});
        ASSERT_EQ(readWaveFileInformation(document.workingFile, document.info), 0);
        document.rebuildWaveFormat();
        host.view = {};
        host.view.totalSamples = frames;
        original = hashOf(document.workingFile);
        source = temp + "/../source.wav";
        QFile::remove(source);
        ASSERT_TRUE(QFile::copy(document.workingFile, source));
    }

    QStringList strayFiles() const
    {
        QStringList files = QDir(temp).entryList(QDir::Files);
        for (const char* own : {"qel32work.wav", "qel32undo.tmp", "qel32redo.tmp"})
            files.removeAll(own);
        return files;
    }

    QString temp = testsupport::testFolder() + "/temp";
    QString source; // a copy of the working file as it was
    TDocumentRecord document;
    ViewsHost host;
    // Small steps with a pause keep each process running long enough to be cancelled.
    platform::audio::EditProcesses engine{[] { return false; }, [this] { return temp + "/clip"; },
                                          {64, [] { std::this_thread::sleep_for(std::chrono::microseconds(300)); }}};
    EngineEditLibrary<platform::audio::EditProcesses> library{engine};
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeEditorMessages(ui);
    ControlPanel panel;
    std::function<bool(const QString&, const QString&)> move = editor::MoveFileOver;
    EditCommands commands{host,
                          library,
                          runner,
                          messages,
                          panel,
                          readWaveFileInformation,
                          {[this](const QString& from, const QString& to) { return move(from, to); }}};
    QByteArray original;
};

} // namespace

// The silence matches what sox's pad makes of the same file (for a selection: the file without the
// selection, padded where it began), byte for byte; the new silence is selected; undo gives the
// file back as it was and redo the silence again.
TEST_F(InsertSilenceTest, TheSilenceMatchesSoxAndUndoes)
{
    struct Case {
        const char* name;
        int bits;
        int channels;
        int rate;
        int64_t frames;
        int64_t selectionStart;
        int64_t selectionEnd;
        int64_t caret;
        int64_t durationMs;
        int64_t silenceFrames; // round half to even of ms x rate / 1000
    };
    const Case cases[] = {
        {"16-bit stereo at the caret", 16, 2, 8000, 3000, 0, 0, 1000, 250, 2000},
        {"8-bit mono at the start", 8, 1, 8000, 2000, 0, 0, 0, 100, 800},
        {"at the end", 16, 1, 8000, 1500, 0, 0, 1500, 40, 320},
        {"frames rounded", 16, 1, 11025, 1000, 0, 0, 500, 3, 33},
        {"in place of a selection", 16, 2, 8000, 2000, 700, 300, 1900, 125, 1000},
        {"in place of an 8-bit selection", 8, 2, 8000, 2000, 100, 1900, 0, 10, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useWave(c.bits, c.channels, c.frames, c.rate);
        host.view.selectionStart = c.selectionStart;
        host.view.selectionEnd = c.selectionEnd;
        host.view.caret = c.caret;
        host.refreshes.clear();
        progress.shown.clear();

        std::pair<int64_t, int64_t> silence;
        ASSERT_EQ(commands.insertSilence(document, c.durationMs, &silence), 0);

        const bool selection = c.selectionStart != c.selectionEnd;
        const int64_t first = selection ? std::min(c.selectionStart, c.selectionEnd) : c.caret;
        const int64_t last = selection ? std::max(c.selectionStart, c.selectionEnd) : c.caret;
        const QString reference = temp + "/../reference.wav";
        const QString pad = QStringLiteral("%1s@%2s").arg(c.silenceFrames).arg(first);
        if (selection) {
            const QString head = temp + "/../head.wav";
            const QString tail = temp + "/../tail.wav";
            ASSERT_EQ(runSox({"-D", source, head, "trim", "0", QStringLiteral("%1s").arg(first)}).exitCode, 0);
            ASSERT_EQ(runSox({"-D", source, tail, "trim", QStringLiteral("%1s").arg(last)}).exitCode, 0);
            ASSERT_EQ(runSox({"-D", head, tail, reference, "pad", pad}).exitCode, 0);
        } else {
            ASSERT_EQ(runSox({"-D", source, reference, "pad", pad}).exitCode, 0);
        }
        const WaveInfo made = soxWaveInfo(document.workingFile);
        const WaveInfo expected = soxWaveInfo(reference);
        ASSERT_EQ(made.frames, c.frames + c.silenceFrames - (last - first));
        EXPECT_EQ(made.frames, expected.frames);
        EXPECT_EQ(made.bits, c.bits);
        EXPECT_EQ(made.channels, c.channels);
        EXPECT_EQ(made.rate, c.rate);
        EXPECT_TRUE(made.samples == expected.samples);

        EXPECT_EQ(silence, std::make_pair(first, first + c.silenceFrames));
        ASSERT_EQ(host.refreshes.size(), 1u);
        EXPECT_EQ(host.refreshes[0].peaks, EditRefresh::Peaks::Rebuild);
        EXPECT_EQ(host.refreshes[0].caret, first);
        QStringList captions;
        for (const auto& shown : progress.shown)
            captions << shown.caption;
        EXPECT_EQ(captions, (selection ? QStringList{"Inserting Silence...", "Preparing..."}
                                       : QStringList{"Inserting Silence..."}));
        EXPECT_EQ(document.saveState, SaveState::Modified);
        EXPECT_TRUE(panel.enabled(Control::Undo));

        const QByteArray inserted = hashOf(document.workingFile);
        ASSERT_EQ(commands.undo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), original);
        ASSERT_EQ(commands.redo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), inserted);
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
    }
}

// An insert that fails anywhere leaves the document as it was: the working file's audio, no undo
// step, no file left behind; the user is told why.
TEST_F(InsertSilenceTest, AFailedInsertLeavesTheDocument)
{
    struct Case {
        const char* name;
        int64_t selectionStart;
        int64_t selectionEnd;
        int64_t durationMs;
        std::function<void(InsertSilenceTest&)> arrange;
        QString message;
        int code;
    };
    const Case cases[] = {
        {"the new file cannot become the working file", 0, 0, 50,
         [](InsertSilenceTest& t) {
             t.move = [&t](const QString& from, const QString& to) {
                 return to == t.document.workingFile && from != t.document.undoFile ? false
                                                                                     : editor::MoveFileOver(from, to);
             };
         },
         "Could not complete operation", EditCode::CannotComplete},
        {"the selection's removal cancelled", 100, 900, 50,
         [](InsertSilenceTest& t) {
             t.progress.pressCancelAt = [&t](int tick) { return t.progress.shown.size() == 1 && tick == 2; };
         },
         "aborted", kCancelledCode},
        {"longer than a WAV can hold", 0, 0, int64_t(4294967295) * 1000, [](InsertSilenceTest&) {}, "", 360},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useWave(16, 1, 1000);
        move = editor::MoveFileOver;
        progress.pressCancelAt = nullptr;
        progress.shown.clear();
        c.arrange(*this);
        host.view.selectionStart = c.selectionStart;
        host.view.selectionEnd = c.selectionEnd;
        ui.expectMessageBox(platform::IDOK, c.message);
        EXPECT_EQ(commands.insertSilence(document, c.durationMs), c.code);
        EXPECT_EQ(hashOf(document.workingFile), original);
        EXPECT_EQ(QFileInfo(document.undoFile).size(), 0);
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
        EXPECT_EQ(document.saveState, SaveState::Unchanged);
    }
}

namespace {

// The format dialog: answers from a script, and what it was given each time.
struct ScriptedDialog {
    struct Call {
        QString caption;
        uint32_t size;
        WaveFormatEx offered;
        uint32_t flags;
    };
    std::vector<std::function<int(uint8_t*, uint32_t*)>> answers;
    std::vector<Call> calls;

    ConvertDialog dialog()
    {
        return [this](const QString& caption, uint8_t* buffer, uint32_t* size, uint32_t flags) {
            calls.push_back({caption, *size, parseWaveFormat(buffer, *size), flags});
            if (calls.size() > answers.size()) {
                ADD_FAILURE() << "the dialog was shown once more than expected";
                return 101;
            }
            return answers[calls.size() - 1](buffer, size);
        };
    }
    static std::function<int(uint8_t*, uint32_t*)> choose(const WaveFormatEx& format)
    {
        return [format](uint8_t* buffer, uint32_t* size) {
            uint8_t bytes[kWaveFormatSize];
            serializeWaveFormat(format, bytes);
            std::copy(std::begin(bytes), std::end(bytes), buffer);
            *size = kWaveFormatSize;
            return 0;
        };
    }
    static std::function<int(uint8_t*, uint32_t*)> answer(int code, uint32_t needed = 0)
    {
        return [code, needed](uint8_t*, uint32_t* size) {
            if (needed)
                *size = needed;
            return code;
        };
    }
};

class ChangeFormatTest : public InsertSilenceTest {
protected:
    platform::MemorySettingsStore settings;
    ScriptedDialog dialog;
    platform::codecs::VXFmtHlp formatLibrary{
        {{}, [] { std::this_thread::sleep_for(std::chrono::microseconds(300)); }}};

    int changeFormat(FormatConversion& conversion)
    {
        return commands.changeFormat(document, [&](const QString& from, const QString& output) {
            return conversion.RunFormatConversion(from, output, {}, true, "Choose Format", "Changing Format...");
        });
    }
};

// Root-mean-square difference of two 8-bit or 16-bit sample sets, in parts of full scale.
double rmsDifference(const WaveInfo& a, const WaveInfo& b)
{
    const int bytes = a.bits / 8;
    const qsizetype count = std::min(a.samples.size(), b.samples.size()) / bytes;
    const auto sample = [bytes](const QByteArray& data, qsizetype i) {
        if (bytes == 1)
            return (uint8_t(data[i]) - 128) / 128.0;
        return int16_t(uint8_t(data[2 * i]) | (uint8_t(data[2 * i + 1]) << 8)) / 32768.0;
    };
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const double d = sample(a.samples, i) - sample(b.samples, i);
        sum += d * d;
    }
    return count ? std::sqrt(sum / double(count)) : 1.0;
}

} // namespace

// The document converted into the chosen format: what sox reads of it is the format chosen, with
// the length and the sound of sox's own conversion; one undo gives the file back. The view shows
// the whole file from its start. The choice is kept: the next run offers it first.
TEST_F(ChangeFormatTest, ConvertsLikeSoxAndUndoes)
{
    struct Case {
        const char* name;
        int bits;
        int channels;
        int rate;
        WaveFormatEx to;
    };
    const Case cases[] = {
        {"down to 8-bit mono", 16, 2, 44100, makePcmFormat(22050, 8, 1)},
        {"up to 16 bits", 8, 1, 8000, makePcmFormat(11025, 16, 1)},
        {"stereo, the rate alone", 16, 2, 16000, makePcmFormat(48000, 16, 2)},
        {"the rate alone", 16, 1, 22050, makePcmFormat(16000, 16, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useSines(c.bits, c.channels, c.rate / 10, c.rate);
        host.refreshes.clear();
        host.view.atMaxZoom = false;
        host.view.caret = 77;
        dialog.answers = {ScriptedDialog::choose(c.to)};
        dialog.calls.clear();
        FormatConversion conversion(runner, messages, settings, formatLibrary, dialog.dialog());
        ASSERT_EQ(changeFormat(conversion), 0);

        const WaveInfo made = soxWaveInfo(document.workingFile);
        EXPECT_EQ(made.rate, int(c.to.samplesPerSec));
        EXPECT_EQ(made.bits, int(c.to.bitsPerSample));
        EXPECT_EQ(made.channels, int(c.to.channels));
        EXPECT_EQ(document.waveFormat, c.to);
        const QString reference = temp + "/../reference.wav";
        ASSERT_EQ(runSox({"-D", source, "-r", QString::number(c.to.samplesPerSec), "-b",
                          QString::number(c.to.bitsPerSample), "-c", QString::number(c.to.channels), reference})
                      .exitCode,
                  0);
        const WaveInfo expected = soxWaveInfo(reference);
        EXPECT_NEAR(double(made.frames), double(expected.frames), 1.0);
        EXPECT_LT(rmsDifference(made, expected), 0.02);

        ASSERT_EQ(host.refreshes.size(), 1u);
        EXPECT_TRUE(host.refreshes[0].atMaxZoom);
        EXPECT_EQ(host.refreshes[0].caret, 0);
        ASSERT_EQ(dialog.calls.size(), 1u);
        EXPECT_EQ(dialog.calls[0].caption, QStringLiteral("Choose Format"));
        EXPECT_EQ(conversion.target(), c.to);

        ASSERT_EQ(commands.undo(document), 0);
        EXPECT_EQ(hashOf(document.workingFile), original);
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
    }

    // A new run offers the last choice, completed as a PCM record.
    const FormatConversion next(runner, messages, settings, formatLibrary, dialog.dialog());
    EXPECT_EQ(completedTarget(next.target()), makePcmFormat(16000, 16, 1));
    EXPECT_EQ(settings.readInteger(kChangeFormatKeyPath, "Sampling Rate").value, 16000);
    EXPECT_EQ(settings.readInteger(kChangeFormatKeyPath, "Sample Size").value, 16);
    EXPECT_EQ(settings.readInteger(kChangeFormatKeyPath, "Channels").value, 1);
}

// The dialog's answers: Cancel ends quietly; a record too small for it is made as large as it asks
// and the dialog shown again, but not without end; a conversion cancelled is told. None of them
// changes the document.
TEST_F(ChangeFormatTest, TheDialogsAnswersAndACancel)
{
    using D = ScriptedDialog;
    struct Case {
        const char* name;
        std::vector<std::function<int(uint8_t*, uint32_t*)>> answers;
        std::vector<uint32_t> sizesGiven;
        bool cancelConversion;
        QString message;
        int code;
    };
    const Case cases[] = {
        {"cancelled", {D::answer(101)}, {18}, false, {}, kCancelledCode},
        {"a larger record asked for", {D::answer(102, 24), D::choose(makePcmFormat(8000, 8, 1))}, {18, 24}, false, {}, 0},
        {"a larger record asked for again and again",
         {D::answer(102, 20), D::answer(102, 22), D::answer(102, 24)},
         {18, 20, 22},
         false,
         "wave format buffer",
         450},
        {"the conversion cancelled", {D::choose(makePcmFormat(8000, 8, 1))}, {18}, true, "aborted", kCancelledCode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useSines(16, 2, 40000, 8000);
        dialog.answers = c.answers;
        dialog.calls.clear();
        progress.pressCancelAt = [&c](int tick) { return c.cancelConversion && tick == 2; };
        if (!c.message.isEmpty())
            ui.expectMessageBox(platform::IDOK, c.message);
        FormatConversion conversion(runner, messages, settings, formatLibrary, dialog.dialog());
        EXPECT_EQ(changeFormat(conversion), c.code);
        ASSERT_EQ(dialog.calls.size(), c.sizesGiven.size());
        for (size_t i = 0; i < c.sizesGiven.size(); ++i)
            EXPECT_EQ(dialog.calls[i].size, c.sizesGiven[i]) << i;
        if (c.code == 0) {
            EXPECT_EQ(soxWaveInfo(document.workingFile, false).bits, 8);
            continue;
        }
        EXPECT_EQ(hashOf(document.workingFile), original);
        EXPECT_EQ(QFileInfo(document.undoFile).size(), 0);
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(", ").toStdString();
    }
}

// The stored target: all three values or none; the dialog gets it completed as PCM; a store that
// cannot be read is told and offers nothing.
TEST_F(ChangeFormatTest, TheStoredTargetIsOfferedCompleted)
{
    struct Case {
        const char* name;
        std::function<void(platform::MemorySettingsStore&)> prepare;
        WaveFormatEx offered;
        QString message;
    };
    const auto store = [](int rate, int bits, int channels) {
        return [=](platform::MemorySettingsStore& s) {
            s.writeInteger(kChangeFormatKeyPath, "Sampling Rate", rate);
            s.writeInteger(kChangeFormatKeyPath, "Sample Size", bits);
            s.writeInteger(kChangeFormatKeyPath, "Channels", channels);
        };
    };
    WaveFormatEx zeros;
    zeros.formatTag = WAVE_FORMAT_PCM;
    const Case cases[] = {
        {"nothing stored", [](platform::MemorySettingsStore&) {}, zeros, {}},
        {"stored", store(32000, 8, 2), makePcmFormat(32000, 8, 2), {}},
        {"one value missing",
         [](platform::MemorySettingsStore& s) {
             s.writeInteger(kChangeFormatKeyPath, "Sampling Rate", 32000);
             s.writeInteger(kChangeFormatKeyPath, "Channels", 2);
         },
         zeros,
         {}},
        {"a store that fails", [](platform::MemorySettingsStore& s) { s.setFailReads(true); }, zeros,
         "Cannot open registry."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::MemorySettingsStore store;
        c.prepare(store);
        if (!c.message.isEmpty())
            ui.expectMessageBox(platform::IDOK, c.message);
        FormatConversion conversion(runner, messages, store, formatLibrary, dialog.dialog());
        dialog.answers = {ScriptedDialog::answer(101)};
        dialog.calls.clear();
        WaveFormatEx chosen;
        EXPECT_EQ(conversion.AskConversionFormat(chosen, "Choose Format", 1), kCancelledCode);
        ASSERT_EQ(dialog.calls.size(), 1u);
        EXPECT_EQ(dialog.calls[0].offered, c.offered);
        EXPECT_EQ(dialog.calls[0].flags, 1u);
    }
}
