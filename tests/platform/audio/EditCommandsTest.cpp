// The edit processes through the engine on sox-made files: every command gives the samples sox
// gives for the same edit (read back by Python's wave module), or, for mute, the input's samples
// with the muted channels silent; the inputs stay as they were.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EditTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using namespace platform::audio;
using edittest::at;
using edittest::piped;
using edittest::runEdit;
using edittest::soxReference;
using testsupport::readFile;
using wavefixtures::WaveInfo;

namespace {

constexpr int64_t kFrames = 20000;
constexpr int64_t kA = 3000;
constexpr int64_t kB = 12345;
constexpr int64_t kP = 7777;

struct Format {
    const char* name;
    int bits;
    int channels;
    int rate;
};

const Format kFormats[] = {{"16-bit stereo", 16, 2, 8000}, {"8-bit mono", 8, 1, 11025}};

class EditCommands : public testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        const Format& f = kFormats[GetParam()];
        folder = testsupport::testFolder();
        ASSERT_EQ(engine.SetTempPath(folder), 0);
        in = wavefixtures::soxWave(folder + "/in.wav", f.bits, f.channels, kFrames, f.rate);
        other = wavefixtures::soxWave(folder + "/other.wav", f.bits, f.channels, 4321, f.rate);
        ASSERT_FALSE(in.isEmpty());
        ASSERT_FALSE(other.isEmpty());
        original = readFile(in);
    }

    QString path(const char* name) const { return folder + "/" + name; }
    // sox's output, in the input's sample size (a piped input would make it 32 bits).
    QStringList reference() const { return {"-b", QString::number(kFormats[GetParam()].bits), path("ref.wav")}; }

    VirtualBackend backend;
    AudioEngine engine{backend};
    QString folder;
    QString in;
    QString other;
    QByteArray original;
};

struct Case {
    const char* name;
    // Runs the edit (or edits) and returns the file to check.
    std::function<QString()> run;
    // sox's arguments for the same edit, its output last.
    std::function<QStringList()> reference;
};

TEST_P(EditCommands, GiveWhatSoxGives)
{
    auto ok = [](int reason) { EXPECT_EQ(reason, 0); };
    const std::vector<Case> cases = {
        {"cut keeps the rest",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) { return engine.AudioCut(in, kA, kB, 1, c, 0, path("out.wav")); }));
             return path("out.wav");
         },
         [&] { return QStringList{in} + reference() + QStringList{"trim", "0", at(kA), at(kB)}; }},
        {"cut into the clipboard, then paste it",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) { return engine.AudioCut(in, kB, kA, 1, c, 0, path("rest.wav")); }));
             EXPECT_EQ(engine.AudioEditCanPaste(), 1);
             ok(runEdit(engine,
                        [&](uint32_t* c) { return engine.AudioPasteEx(in, kP, 1, c, 0, "", path("out.wav")); }));
             return path("out.wav");
         },
         [&] {
             return QStringList{piped(in, {"trim", "0", at(kP)}), piped(in, {"trim", at(kA), at(kB)}),
                                piped(in, {"trim", at(kP)})}
                  + reference();
         }},
        {"cut into a file",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) {
                 return engine.AudioCutInFile(in, kA, kB, 1, c, 0, path("out.wav"), path("rest.wav"));
             }));
             return path("out.wav");
         },
         [&] { return QStringList{in} + reference() + QStringList{"trim", at(kA), at(kB)}; }},
        {"copy into a file, in milliseconds",
         [&] {
             ok(runEdit(engine,
                        [&](uint32_t* c) { return engine.AudioCopyInFile(in, 250, 1000, 0, c, 0, path("out.wav")); }));
             return path("out.wav");
         },
         [&] {
             const int rate = kFormats[GetParam()].rate;
             return QStringList{in} + reference() + QStringList{"trim", at(rate / 4), at(rate)};
         }},
        {"copy into the clipboard, then paste it at the end",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) { return engine.AudioCopy(in, kA, kB, 1, c, 0); }));
             ok(runEdit(engine, [&](uint32_t* c) {
                 return engine.AudioPasteEx(in, kFrames, 1, c, 0, "", path("out.wav"));
             }));
             return path("out.wav");
         },
         [&] { return QStringList{in, piped(in, {"trim", at(kA), at(kB)})} + reference(); }},
        {"paste a file",
         [&] {
             ok(runEdit(engine,
                        [&](uint32_t* c) { return engine.AudioPasteEx(in, kP, 1, c, 0, other, path("out.wav")); }));
             return path("out.wav");
         },
         [&] {
             return QStringList{piped(in, {"trim", "0", at(kP)}), other, piped(in, {"trim", at(kP)})} + reference();
         }},
        {"paste a file at the start",
         [&] {
             ok(runEdit(engine,
                        [&](uint32_t* c) { return engine.AudioPasteEx(in, 0, 1, c, 0, other, path("out.wav")); }));
             return path("out.wav");
         },
         [&] { return QStringList{other, in} + reference(); }},
        {"clear",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) { return engine.AudioClear(in, kA, kB, 1, c, 0, path("out.wav")); }));
             return path("out.wav");
         },
         [&] { return QStringList{in} + reference() + QStringList{"trim", "0", at(kA), at(kB)}; }},
        {"clear to the end",
         [&] {
             ok(runEdit(engine,
                        [&](uint32_t* c) { return engine.AudioClear(in, kA, kFrames, 1, c, 0, path("out.wav")); }));
             return path("out.wav");
         },
         [&] { return QStringList{in} + reference() + QStringList{"trim", "0", at(kA)}; }},
        {"crop",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) { return engine.AudioCrop(in, kA, kB, 1, c, 0, path("out.wav")); }));
             return path("out.wav");
         },
         [&] { return QStringList{in} + reference() + QStringList{"trim", at(kA), at(kB)}; }},
        {"insert silence",
         [&] {
             ok(runEdit(engine, [&](uint32_t* c) {
                 return engine.AudioInsertSilence(in, kP, 1, c, 0, 250, path("out.wav"));
             }));
             return path("out.wav");
         },
         [&] {
             const int rate = kFormats[GetParam()].rate;
             return QStringList{in} + reference() + QStringList{"pad", QStringLiteral("%1s@%2s").arg(rate / 4).arg(kP)};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString checked = c.run();
        const WaveInfo ours = wavefixtures::pythonWaveInfo(checked);
        const WaveInfo sox = soxReference(c.reference(), path("ref.wav"));
        ASSERT_GT(sox.frames, 0);
        EXPECT_EQ(ours.channels, sox.channels);
        EXPECT_EQ(ours.bits, sox.bits);
        EXPECT_EQ(ours.rate, sox.rate);
        EXPECT_EQ(ours.frames, sox.frames);
        EXPECT_TRUE(ours.samples == sox.samples);
        EXPECT_EQ(readFile(in), original);
        for (const QString& name : edittest::entries(folder))
            if (name != "in.wav" && name != "other.wav" && !name.startsWith("clip"))
                QFile::remove(folder + "/" + name);
    }
}

// Without a result name the edit replaces its file: the new version takes its place whole, and
// nothing else is left behind.
TEST_P(EditCommands, EditInPlaceReplacesTheFileWhole)
{
    const WaveInfo before = wavefixtures::pythonWaveInfo(in);
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioClear(in, kA, kB, 1, c, 0, ""); }), 0);
    const WaveInfo after = wavefixtures::pythonWaveInfo(in);
    const int frameBytes = before.channels * before.bits / 8;
    EXPECT_EQ(after.frames, kFrames - (kB - kA));
    EXPECT_TRUE(after.samples == before.samples.left(kA * frameBytes) + before.samples.mid(kB * frameBytes));
    EXPECT_EQ(edittest::entries(folder), QStringList({"in.wav", "other.wav"}));
}

// Mute: the range's samples of the chosen channels become silence (0, or 128 in 8 bits), all else
// stays; a mono file's one channel is muted whatever the choice.
TEST_P(EditCommands, MuteSilencesTheChosenChannels)
{
    const Format& format = kFormats[GetParam()];
    const WaveInfo source = wavefixtures::pythonWaveInfo(in);
    const int sampleBytes = format.bits / 8;
    const int frameBytes = sampleBytes * format.channels;
    const char silence = format.bits == 8 ? char(128) : char(0);
    struct Mute {
        int code;
        bool left;
        bool right;
    };
    for (const Mute& m : {Mute{3, true, true}, Mute{1, true, false}, Mute{2, false, true}}) {
        SCOPED_TRACE(m.code);
        const QString out = folder + QStringLiteral("/muted%1.wav").arg(m.code);
        ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioEditMute(in, kB, kA, 1, c, 0, m.code, out); }), 0);
        QByteArray expected = source.samples;
        for (int64_t f = kA; f < kB; ++f) {
            char* frame = expected.data() + f * frameBytes;
            if (m.left || format.channels == 1)
                std::memset(frame, silence, std::size_t(sampleBytes));
            if (m.right && format.channels == 2)
                std::memset(frame + sampleBytes, silence, std::size_t(sampleBytes));
        }
        const WaveInfo ours = wavefixtures::pythonWaveInfo(out);
        EXPECT_EQ(ours.frames, kFrames);
        EXPECT_TRUE(ours.samples == expected);
    }
    // An empty range changes nothing.
    const QString same = folder + "/same.wav";
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioEditMute(in, kA, kA, 1, c, 0, 3, same); }), 0);
    EXPECT_TRUE(wavefixtures::pythonWaveInfo(same).samples == source.samples);
    EXPECT_EQ(readFile(in), original);
}

INSTANTIATE_TEST_SUITE_P(Formats, EditCommands, testing::Range(0, int(std::size(kFormats))),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("Stereo16") : std::string("Mono8");
                         });

// Trim Silence on a sox-made mono file (silence, a tone, silence): the silence at both ends of the
// range goes, as sox's silence effect takes it off, and the silence outside the range stays.
TEST(TrimSilence, RemovesTheSilenceAtTheEndsOfTheRange)
{
    VirtualBackend backend;
    AudioEngine engine{backend};
    const QString folder = testsupport::testFolder();
    for (const int bits : {16, 8}) {
        SCOPED_TRACE(bits);
        const QString in = folder + QStringLiteral("/trim%1.wav").arg(bits);
        const QString b = QString::number(bits);
        const testsupport::ToolResult made = testsupport::runSox(
            {"-D", "-r", "8000", "-c", "1", "-n", "-r", "8000", "-c", "1", "-b", b, in, "synth", "1", "sine", "440",
             "pad", "0.25", "0.25", "pad", "0.1", "0.1"});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        // 2800 silent frames, 8000 of the tone, 2800 silent; the range leaves 400 and 1200 out.
        const QString out = folder + QStringLiteral("/trimmed%1.wav").arg(bits);
        ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioEditTrimSilence(in, 400, 12400, 1, c, 0, 3, out); }),
                  0);
        const WaveInfo sox = soxReference({piped(in, {"trim", "0", at(400)}),
                                           piped(in, {"trim", at(400), at(12400), "silence", "1", "0", "0.03%",
                                                      "reverse", "silence", "1", "0", "0.03%", "reverse"}),
                                           piped(in, {"trim", at(12400)}), "-b", b, folder + "/ref.wav"},
                                          folder + "/ref.wav");
        const WaveInfo ours = wavefixtures::pythonWaveInfo(out);
        EXPECT_GE(ours.frames, 400 + 7990 + 1200);
        EXPECT_LE(ours.frames, 400 + 8000 + 1200);
        EXPECT_EQ(ours.frames, sox.frames);
        EXPECT_TRUE(ours.samples == sox.samples);
    }
}

// A frame is silence only when every channel is: a loud right channel keeps a silent left one.
TEST(TrimSilence, AFrameIsLoudWhenAnyChannelIs)
{
    VirtualBackend backend;
    AudioEngine engine{backend};
    const QString folder = testsupport::testFolder();
    const WaveFormatEx stereo = makePcmFormat(8000, 16, 2);
    auto frame = [](int16_t left, int16_t right) { return wavefixtures::pcm16({left, right}); };
    QByteArray samples;
    for (int i = 0; i < 100; ++i)
        samples += frame(int16_t(i % 2 ? 9 : -9), 0); // within 0.03 % of full scale: silence
    samples += frame(0, 10) + frame(500, -500) + frame(-10, 3);
    for (int i = 0; i < 50; ++i)
        samples += frame(0, int16_t(-9));
    const QString in = folder + "/in.wav";
    testsupport::writeFile(in, wavefixtures::pcmWave(stereo, samples));
    const QString out = folder + "/out.wav";
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioEditTrimSilence(in, 0, 153, 1, c, 0, 3, out); }), 0);
    EXPECT_TRUE(wavefixtures::pythonWaveInfo(out).samples == frame(0, 10) + frame(500, -500) + frame(-10, 3));
    const QString all = folder + "/all.wav";
    ASSERT_EQ(runEdit(engine, [&](uint32_t* c) { return engine.AudioEditTrimSilence(in, 0, 153, 1, c, 0, 10, all); }), 0);
    EXPECT_EQ(wavefixtures::pythonWaveInfo(all).frames, 1); // only the frame with 500
}

} // namespace

// The engine's PCM conversion is the codec layer's: a compressed WAV becomes the asked PCM format,
// with the codes of the map for what cannot be converted.
TEST(EngineConversion, ConvertsACompressedWav)
{
    VirtualBackend backend;
    AudioEngine engine{backend};
    const QString folder = testsupport::testFolder();
    const QString adpcm = folder + "/adpcm.wav";
    const testsupport::ToolResult made =
        testsupport::runSox({"-n", "-r", "8000", "-c", "1", "-e", "ima-adpcm", adpcm, "synth", "1", "sine", "440"});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString out = folder + "/pcm.wav";
    ASSERT_EQ(engine.ACMAudioConvertFormatPCM(adpcm, out, makePcmFormat(22050, 16, 2)), 0);
    const WaveInfo converted = wavefixtures::pythonWaveInfo(out, false);
    EXPECT_EQ(converted.rate, 22050);
    EXPECT_EQ(converted.channels, 2);
    EXPECT_EQ(converted.bits, 16);
    const int64_t source = wavefixtures::soxWaveInfo(adpcm, false).frames; // whole blocks of 505 frames
    EXPECT_NEAR(double(converted.frames), double(source) * 22050 / 8000, 2);
    EXPECT_EQ(engine.ACMAudioConvertFormatPCM(folder + "/none.wav", out, makePcmFormat(22050, 16, 2)), 350);
    EXPECT_EQ(engine.ACMAudioConvertFormatPCM(adpcm, folder + "/x.wav", makePcmFormat(22050, 24, 2)), 354);
}
