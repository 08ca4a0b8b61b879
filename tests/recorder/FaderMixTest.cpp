// The fader's automation applied to real samples: a take's moves recorded on the audio clock, then
// the two tracks mixed block by block by the player's MixData with the gains the automation gives
// at each block, as the mix-down does. A Python computation of its own over the three WAVs checks
// every sample of the mix against the gain formula.
#include "platform/audio/MixData.h"
#include "recorder/FaderController.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace recorder;
using namespace testsupport;
using namespace wavefixtures;

namespace {

TEST(FaderMix, EverySampleFollowsTheAutomationAndTheFormula)
{
    constexpr int kChannels = 2;
    constexpr int kBlockFrames = 65'280 / 4; // the mix-down's block of 16-bit stereo
    constexpr int64_t kFrames = 10 * kBlockFrames + 1'234;
    const WaveFormatEx format = waveFormat(WAVE_FORMAT_PCM, kChannels, 8'000, 16);
    const QByteArray voice = sampleBytes(int(kFrames * 4), 3);
    const QByteArray music = sampleBytes(int(kFrames * 4), 7);

    // A take of the whole track with moves between and on block boundaries, to full scale both ways.
    FaderController fader({});
    fader.onVoiceTrimMoved(-4);
    fader.onMusicTrimMoved(6);
    fader.setFader(-6);
    fader.beginTake(0);
    const std::pair<int64_t, int> moves[] = {{100, -6},           {kBlockFrames, 3},       {kBlockFrames + 1, 24},
                                             {3 * kBlockFrames - 5, -24}, {5 * kBlockFrames, 0}, {7 * kBlockFrames + 9, 17}};
    for (const auto& [frame, value] : moves)
        fader.onFaderMoved(frame, value);
    fader.endTake();

    QByteArray mix = voice;
    for (int64_t start = 0; start < kFrames; start += kBlockFrames) {
        const int64_t frames = std::min<int64_t>(kBlockFrames, kFrames - start);
        const EngineGains gains = engineGains(fader.gainsAt(start), GainRoute::Mixed);
        ASSERT_TRUE(gains.volume);
        const platform::audio::MixGains pairs{gains.volume->firstLeft, gains.volume->firstRight,
                                              gains.volume->secondLeft, gains.volume->secondRight};
        int saturated = 0;
        ASSERT_EQ(platform::audio::mixData(mix.data() + start * 4, frames * 4, music.constData() + start * 4,
                                           frames * 4, kChannels, 16, false, &saturated, pairs),
                  0);
    }

    const QDir dir(testFolder());
    const QString voicePath = dir.filePath("voice.wav"), musicPath = dir.filePath("music.wav"),
                  mixPath = dir.filePath("mix.wav");
    writeFile(voicePath, pcmWave(format, voice));
    writeFile(musicPath, pcmWave(format, music));
    writeFile(mixPath, pcmWave(format, mix));
    QStringList arguments{voicePath, musicPath, mixPath, QString::number(kBlockFrames), "-4", "6"};
    for (const TMixFade::Entry& entry : fader.automation()->Entries())
        arguments << QStringLiteral("%1:%2").arg(entry.frame).arg(entry.value);
    EXPECT_EQ(fader.automation()->Entries().size(), 6u); // the move to -6 at frame 100 changed nothing

    const ToolResult result = runPythonScript(QStringLiteral("fader_mix_expected.py"), arguments);
    EXPECT_EQ(result.exitCode, 0) << result.out.constData() << result.err.constData();
    EXPECT_TRUE(result.out.contains("\"blocks\": 11")) << result.out.constData();
}

} // namespace
