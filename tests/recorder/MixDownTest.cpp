// The mix-down without a window: the mix loop against a Python computation of the gain formula,
// the mix's failures as the user meets them, the file-name rules of the save loop, and what a
// failed or stopped mix leaves behind.
#include "recorder/MixDown.h"

#include "recorder/FaderController.h"
#include "recorder/TrackRoads.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace recorder;
using namespace testsupport;
using namespace wavefixtures;

namespace {

constexpr int64_t kBlockFrames = kMixBlockBytes / 4; // 16-bit stereo

// The window's side of the mix-down, recorded.
class RecordingHost : public MixDownHost {
public:
    void DisableWindowControls() override { ++disabled; }
    void RestoreWindowControls() override { ++restored; }
    void showMixProgress(const std::function<void()>& stop) override
    {
        progressShown = bool(stop);
        if (stop && stopAtOnce)
            stop();
    }
    void setMixProgress(int64_t done, int64_t total) override
    {
        lastDone = done;
        lastTotal = total;
    }
    void mixSaved(const MixedFile& mixed) override { saved.push_back(mixed); }

    int disabled = 0;
    int restored = 0;
    bool progressShown = false;
    bool stopAtOnce = false;
    int64_t lastDone = -1;
    int64_t lastTotal = -1;
    std::vector<MixedFile> saved;
};

class MixDownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testFolder();
        temp = folder + "/temp/";
        ASSERT_TRUE(QDir().mkpath(temp));
        ASSERT_TRUE(QDir().mkpath(folder + "/out"));
        voice = soxWave(folder + "/voice.wav", 16, 2, 3 * kBlockFrames + 100);
        music = soxWave(folder + "/music.wav", 16, 2, 2 * kBlockFrames + 50);
        services.tempFolder = temp;
        // sox's tone and noise together pass full scale; only the saturation test asks about it.
        services.preventSaturation = true;
    }
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    MixSources sources() const { return MixSources{voice, music, {}}; }
    void chooseTarget(const QString& path, int filterIndex)
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {path};
        result.filterIndex = filterIndex;
        ui.expectSaveFile(result, "Save Mix file As");
    }
    void cancelDialog() { ui.expectSaveFile({}, "Save Mix file As"); }
    QStringList filesIn(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QString folder;
    QString temp;
    QString voice;
    QString music;
    ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    jobtest::ScriptedProgressHost progressWindow;
    JobRunner runner{progressWindow};
    BusyFlag busy;
    MixDownServices services{messages, runner, busy};
    RecordingHost host;
};

// Two sox-made tracks of different lengths, a take with fader moves between and on block boundaries
// and both trims set: every sample of the mix is what the gain formula gives, computed in Python
// on its own, and the mix is as long as the shorter track.
TEST_F(MixDownTest, TheMixFollowsTheFaderAutomationSampleForSample)
{
    voice = soxWave(folder + "/long-voice.wav", 16, 2, 10 * kBlockFrames + 1'234);
    music = soxWave(folder + "/short-music.wav", 16, 2, 8 * kBlockFrames + 77);
    FaderController fader({});
    fader.onVoiceTrimMoved(-4);
    fader.onMusicTrimMoved(6);
    fader.setFader(-6);
    fader.beginTake(0);
    const std::pair<int64_t, int> moves[] = {{kBlockFrames, 3}, {kBlockFrames + 1, 24}, {3 * kBlockFrames - 5, -24},
                                             {5 * kBlockFrames, 0}, {7 * kBlockFrames + 9, 17}};
    for (const auto& [frame, value] : moves)
        fader.onFaderMoved(frame, value);
    fader.endTake();

    MixRequest request;
    request.voiceWav = voice;
    request.musicWav = music;
    request.targetWav = folder + "/mix.wav";
    request.fader = {*fader.automation(), fader.fader(), fader.voiceTrim(), fader.musicTrim()};
    MixProgress progress;
    ASSERT_EQ(MixTracksToWave(request, progress), MixCode::Ok);
    EXPECT_EQ(progress.total.load(), (8 * kBlockFrames + 77) * 4);
    EXPECT_EQ(progress.done.load(), progress.total.load());

    const WaveInfo mixed = soxWaveInfo(request.targetWav, false);
    EXPECT_EQ(mixed.frames, 8 * kBlockFrames + 77);
    EXPECT_EQ(mixed.rate, 8000);
    EXPECT_EQ(mixed.channels, 2);
    QStringList arguments{voice, music, request.targetWav, QString::number(kBlockFrames), "-4", "6"};
    for (const TMixFade::Entry& entry : fader.automation()->Entries())
        arguments << QStringLiteral("%1:%2").arg(entry.frame).arg(entry.value);
    const ToolResult result = runPythonScript(QStringLiteral("fader_mix_expected.py"), arguments);
    EXPECT_EQ(result.exitCode, 0) << result.out.constData() << result.err.constData();
    EXPECT_TRUE(result.out.contains("\"blocks\": 9")) << result.out.constData();
}

// A voice track whose data is an exact number of blocks ends after its last block, and a track
// that carries chunks after its "data" chunk contributes only its samples.
TEST_F(MixDownTest, TracksAreReadWithinTheirOwnDataChunks)
{
    const WaveFormatEx format = waveFormat(WAVE_FORMAT_PCM, 2, 8000, 16);
    const QString exact = folder + "/exact.wav";
    const QString tagged = folder + "/tagged.wav";
    writeFile(exact, pcmWave(format, sampleBytes(int(2 * kMixBlockBytes), 3)));
    // Music longer by a chunk of bytes that are no audio: they must not reach the mix.
    writeFile(tagged, pcmWave(format, sampleBytes(int(kMixBlockBytes), 5), chunk("LIST", QByteArray(4000, '\x7f'))));
    MixRequest request;
    request.voiceWav = exact;
    request.musicWav = tagged;
    request.targetWav = folder + "/mix.wav";
    MixProgress progress;
    ASSERT_EQ(MixTracksToWave(request, progress), MixCode::Ok);
    const WaveInfo mixed = pythonWaveInfo(request.targetWav);
    EXPECT_EQ(mixed.frames, kBlockFrames);

    request.musicWav = exact;
    ASSERT_EQ(MixTracksToWave(request, progress), MixCode::Ok);
    EXPECT_EQ(pythonWaveInfo(request.targetWav, false).frames, 2 * kBlockFrames);
}

// The mix's failures as the user meets them: each shows its message (481 is left to the road that
// called the mix), the window's controls come back, and a target that was begun is a valid WAV of
// what was written, for the caller to remove.
TEST_F(MixDownTest, EachMixFailureShowsItsMessage)
{
    const QString notWave = folder + "/not-a-wave.wav";
    writeFile(notWave, QByteArray(5000, 'x'));
    const QString eightBit = soxWave(folder + "/eight.wav", 8, 2, 1000);
    struct Case {
        const char* name;
        QString voice;
        QString music;
        QString target;
        int64_t sizeLimit; // 0: none
        int code;
        const char* message; // empty: none
    };
    const QString target = folder + "/out/mix.wav";
    const Case cases[] = {
        {"voice missing", folder + "/none.wav", music, target, 0, 479, "No file name specified for mixing."},
        {"music missing", voice, folder + "/none.wav", target, 0, 479, "No file name specified for mixing."},
        {"no target", voice, music, QString(), 0, 480, "No name specified for mixed file."},
        {"not a wave", notWave, music, target, 0, 103, "Error while opening wave file."},
        {"folder missing", voice, music, folder + "/gone/mix.wav", 0, 398, "Cannot create the file"},
        {"disk full", voice, music, target, 20'000, 369, "Cannot write data to file."},
        {"formats differ", eightBit, music, target, 0, 481, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(target);
        host = RecordingHost();
        if (*c.message)
            ui.expectMessageBox(platform::IDOK, QString::fromLatin1(c.message));
        int code = 0;
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            code = MixTracksOnWorker(services, host, MixSources{c.voice, c.music, {}}, c.target);
        }
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_EQ(host.disabled, 1);
        EXPECT_EQ(host.restored, 1);
        EXPECT_FALSE(host.progressShown);
        EXPECT_FALSE(busy.isBusy());
        if (c.sizeLimit) {
            const WaveInfo partial = pythonWaveInfo(target, false);
            EXPECT_GE(partial.frames, 0);
            EXPECT_LT(partial.frames, 2 * kBlockFrames);
        }
    }
}

// Saturation without prevention is reported once, after the whole mix; with prevention the mix
// does not clip and nothing is reported.
TEST_F(MixDownTest, SaturationIsReportedOnceWithoutPrevention)
{
    const WaveFormatEx format = waveFormat(WAVE_FORMAT_PCM, 1, 8000, 16);
    QList<int16_t> loud(int(3 * kMixBlockBytes / 2), 30000);
    const QString full = folder + "/full.wav";
    writeFile(full, pcmWave(format, pcm16(loud)));
    const QString target = folder + "/out/loud.wav";

    services.preventSaturation = false;
    ui.expectMessageBox(platform::IDOK, "Mixed data is saturated.");
    EXPECT_EQ(MixTracksOnWorker(services, host, MixSources{full, full, {}}, target), 0);
    EXPECT_TRUE(ui.allConsumed());
    EXPECT_EQ(ui.prompts().size(), 1u);

    services.preventSaturation = true;
    EXPECT_EQ(MixTracksOnWorker(services, host, MixSources{full, full, {}}, target), 0);
    const WaveInfo mixed = pythonWaveInfo(target);
    ASSERT_EQ(mixed.samples.size(), loud.size() * 2);
    const auto* samples = reinterpret_cast<const int16_t*>(mixed.samples.constData());
    EXPECT_LT(*std::max_element(samples, samples + loud.size()), 32767);
    EXPECT_EQ(ui.prompts().size(), 1u);
}

// The name rules of the save loop on the scripted dialog: the blank question and its two answers,
// the refused characters, and the extension of the chosen filter. Each road that ends with a file
// also keeps both tracks beside it under the names the podcast builder looks for.
TEST_F(MixDownTest, TheSaveLoopFollowsTheNameRules)
{
    const QString out = folder + "/out/";
    struct Step {
        QString chosen{}; // empty: the dialog is cancelled
        int filter = 2;
        std::vector<std::pair<const char*, int>> boxes{}; // the boxes this choice brings, with their answers
        QString proposed{}; // the name the dialog then shows
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        QString target; // empty: nothing saved
    };
    const std::pair<const char*, int> yes{"replace spaces with underscores", platform::IDYES};
    const std::pair<const char*, int> no{"replace spaces with underscores", platform::IDNO};
    const std::pair<const char*, int> invalid{
        "Please Enter Valid Filename Without SPACE,$ ,%&?*:/][}{)(^#@!\\+\\|=><; Characters.", platform::IDOK};
    const Case cases[] = {
        {"blank, replaced", {{out + "my show.wav", 2, {yes}, "my_show.wav"}, {out + "my_show.wav", 2}},
         out + "my_show.wav"},
        {"blank, kept", {{out + "my show.wav", 2, {no, invalid}, "my show.wav"}, {}}, {}},
        {"bad character", {{out + "a&b.wav", 2, {invalid}, "a&b.wav"}, {}}, {}},
        {"blank before a bad character", {{out + "a b#c.wav", 2, {invalid}}, {}}, {}},
        {"bad character before a blank", {{out + "a#b c.wav", 2, {no, invalid}}, {}}, {}},
        {"extension of the filter", {{out + "talk.mp3", 2}}, out + "talk.mp3.wav"},
        {"bare name", {{out + "talk", 2}}, out + "talk.wav"},
        {"extension in capitals", {{out + "TALK.WAV", 2}}, out + "TALK.WAV"},
        {"cancelled", {{}}, {}},
        {"added extension names a file, kept",
         {{out + "old", 2, {{"old.wav already exists.", platform::IDNO}}, "old"}, {}},
         {}},
        {"added extension names a file, replaced",
         {{out + "old", 2, {{"old.wav already exists.", platform::IDYES}}}},
         out + "old.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& file : filesIn(out))
            QFile::remove(out + file);
        const QString old = out + "old.wav";
        if (QString::fromLatin1(c.name).startsWith("added extension"))
            writeFile(old, "an earlier file of the user");
        for (const Step& step : c.steps) {
            if (step.chosen.isEmpty()) {
                cancelDialog();
                continue;
            }
            chooseTarget(step.chosen, step.filter);
            for (const auto& [box, answer] : step.boxes)
                ui.expectMessageBox(answer, QString::fromLatin1(box));
        }
        const size_t before = ui.prompts().size();
        std::optional<MixRecord> record;
        QString lastName = out + "previous.mp3";
        const bool saved = MixDownToNewFile(services, host, sources(), record, lastName);
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_EQ(saved, !c.target.isEmpty());
        // Every dialog after the first proposes what the step before asked for.
        std::vector<QString> proposed;
        for (size_t i = before; i < ui.prompts().size(); ++i) {
            if (ui.prompts()[i].kind == ScriptedInteraction::Kind::SaveFile)
                proposed.push_back(ui.prompts()[i].request.fileName);
        }
        ASSERT_FALSE(proposed.empty());
        EXPECT_EQ(proposed.front(), QStringLiteral("previous"));
        for (size_t i = 0; i + 1 < c.steps.size(); ++i) {
            if (!c.steps[i].proposed.isEmpty()) {
                EXPECT_EQ(proposed[i + 1], c.steps[i].proposed);
            }
        }
        if (c.target.isEmpty()) {
            EXPECT_FALSE(record);
            EXPECT_EQ(filesIn(out), QFileInfo::exists(old) ? QStringList{"old.wav"} : QStringList{});
            if (QFileInfo::exists(old)) {
                EXPECT_EQ(readFile(old), QByteArray("an earlier file of the user"));
            }
            continue;
        }
        ASSERT_TRUE(record);
        EXPECT_EQ(record->savedPath, c.target);
        EXPECT_EQ(record->state, kMixSaved);
        EXPECT_EQ(record->format, TrackSourceKind::Wave);
        EXPECT_EQ(lastName, c.target);
        const QString name = QFileInfo(c.target).fileName();
        const KeptTrackNames kept = keptTrackNames(c.target);
        EXPECT_EQ(kept.voice, out + "_V" + name.chopped(4) + ".wav");
        EXPECT_EQ(kept.music, out + "_M" + name.chopped(4) + ".wav");
        EXPECT_EQ(hashOf(kept.voice), hashOf(voice));
        EXPECT_EQ(hashOf(kept.music), hashOf(music));
        EXPECT_EQ(soxWaveInfo(c.target, false).frames, 2 * kBlockFrames + 50);
        EXPECT_EQ(filesIn(out).size(), 3) << filesIn(out).join(' ').toStdString();
        ASSERT_EQ(host.saved.size(), 1u);
        EXPECT_EQ(host.saved.back().path, c.target);
        EXPECT_EQ(host.saved.back().extension, QLatin1Char('.') + QFileInfo(c.target).suffix());
        EXPECT_EQ(host.saved.back().size, QFileInfo(c.target).size());
        host.saved.clear();
    }
}

// The extension of each filter, compared without case; another extension stays in front.
TEST(MixDownNames, TheChosenFilterGivesTheExtension)
{
    const struct {
        const char* chosen;
        int filter;
        const char* target;
    } cases[] = {
        {"/a/show", 1, "/a/show.mp3"},     {"/a/show.MP3", 1, "/a/show.MP3"}, {"/a/show.wav", 1, "/a/show.wav.mp3"},
        {"/a/show.mp3", 2, "/a/show.mp3.wav"}, {"/a/show.Wav", 2, "/a/show.Wav"}, {"/a/show", 3, "/a/show.wma"},
        {"/a/show.WMA", 3, "/a/show.WMA"},  {"/a/show.mp3", 3, "/a/show.mp3.wma"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withMixExtension(QString::fromLatin1(c.chosen), c.filter), QString::fromLatin1(c.target)) << c.chosen;
}

// The MP3 and WMA windows show their own failures; the mix-down adds only what they did not show
// (a cancel, a format with no exporter). A temporary mix that cannot be removed reaches the log.
TEST_F(MixDownTest, TheFormatStepsFailureIsShownOnce)
{
    const QString out = folder + "/out/";
    enum class Step { Mp3, Wma, NoExporter, TempKept };
    struct Case {
        const char* name;
        Step step;
        int result;
        QString message; // empty: none
    };
    const Case cases[] = {
        {"WMA window failed", Step::Wma, 524, {}},
        {"MP3 window failed", Step::Mp3, 508, {}},
        {"WMA window cancelled", Step::Wma, SaveCode::Cancelled, "Warning: User has aborted the process."},
        {"no MP3 exporter", Step::NoExporter, 0, messages.messageText(SaveCode::CannotConvertFormat)},
        {"temporary mix kept", Step::TempKept, 524, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host = RecordingHost();
        testsupport::LogCapture log;
        QString exported;
        services.exportMp3 = [&](const QString& from, const QString&, int) {
            exported = from;
            return c.result;
        };
        services.exportWma = [&](const QString& from, const QString&) {
            exported = from;
            // A folder in the temporary mix's place cannot be removed as a file.
            if (c.step == Step::TempKept && (!QFile::remove(from) || !QDir().mkpath(from + "/kept")))
                ADD_FAILURE() << "cannot put a folder in place of " << from.toStdString();
            return c.result;
        };
        if (c.step == Step::NoExporter)
            services.exportMp3 = {};
        chooseTarget(out + (c.step == Step::Wma || c.step == Step::TempKept ? "show.wma" : "show.mp3"),
                     c.step == Step::Wma || c.step == Step::TempKept ? 3 : 1);
        if (!c.message.isEmpty())
            ui.expectMessageBox(platform::IDOK, c.message);
        std::optional<MixRecord> record;
        QString lastName;
        EXPECT_FALSE(MixDownToNewFile(services, host, sources(), record, lastName));
        EXPECT_TRUE(ui.allConsumed());
        EXPECT_FALSE(record);
        EXPECT_TRUE(filesIn(out).isEmpty()) << filesIn(out).join(' ').toStdString();
        if (c.step == Step::TempKept) {
            EXPECT_TRUE(log.contains("cannot remove the temporary mix", "va.recorder"));
            EXPECT_TRUE(QDir(exported).removeRecursively());
        } else {
            EXPECT_FALSE(log.contains("cannot remove the temporary mix"));
        }
        EXPECT_EQ(exported.isEmpty(), c.step == Step::NoExporter);
        EXPECT_TRUE(filesIn(temp).isEmpty()) << filesIn(temp).join(' ').toStdString();
    }
}

// A mix that fails or is stopped leaves nothing under the user's name nor in the temporary folder,
// keeps the previous mix record, and the tracks as they were; only a failure says so (481 after the
// mix's own message).
TEST_F(MixDownTest, AFailedOrStoppedMixLeavesNothingBehind)
{
    const QString out = folder + "/out/";
    const QByteArray voiceHash = hashOf(voice), musicHash = hashOf(music);
    MixRecord previous;
    previous.savedPath = out + "old.wav";
    previous.state = kMixSaved;
    struct Case {
        const char* name;
        QString target;
        bool stop;
        int64_t sizeLimit;
        std::vector<const char*> messages;
    };
    const Case cases[] = {
        {"stopped", out + "show.wav", true, 0, {}},
        {"disk full", out + "show.wav", false, 60'000, {"Cannot write data to file.", "Cannot mix the files."}},
        {"stopped before encoding", out + "show.wma", true, 0, {}},
        {"disk full before encoding", out + "show.wma", false, 60'000,
         {"Cannot write data to file.", "Cannot mix the files."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host = RecordingHost();
        host.stopAtOnce = c.stop;
        chooseTarget(c.target, c.target.endsWith("wav") ? 2 : 3);
        for (const char* message : c.messages)
            ui.expectMessageBox(platform::IDOK, QString::fromLatin1(message));
        std::optional<MixRecord> record = previous;
        QString lastName;
        bool saved = true;
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            saved = MixDownToNewFile(services, host, sources(), record, lastName);
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(ui.allConsumed());
        ASSERT_TRUE(record);
        EXPECT_EQ(record->savedPath, previous.savedPath);
        EXPECT_TRUE(host.saved.empty());
        EXPECT_TRUE(lastName.isEmpty());
        EXPECT_TRUE(filesIn(out).isEmpty()) << filesIn(out).join(' ').toStdString();
        EXPECT_TRUE(filesIn(temp).isEmpty()) << filesIn(temp).join(' ').toStdString();
        EXPECT_EQ(hashOf(voice), voiceHash);
        EXPECT_EQ(hashOf(music), musicHash);
        EXPECT_FALSE(busy.isBusy());
    }
}

} // namespace
