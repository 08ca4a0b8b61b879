// The recording window's volumes on the tests' private sound server: changes made with pactl move
// the sliders without being written back, and a slider moved here reaches the server without
// coming back as news.
#include "recorder/MixerVolumes.h"

#include "platform/audio/PulseMixerBackend.h"
#include "platform/settings/MemorySettingsStore.h"
#include "tests/platform/audio/PulseTestSupport.h"

#include <gtest/gtest.h>

using namespace recorder;
using namespace platform::audio;

namespace {

constexpr uint32_t Norm = MixerBackend::NormalVolume;

int setSinkVolume(const QString& sink, uint32_t left, uint32_t right)
{
    return pulsetest::pactl({"set-sink-volume", sink, QString::number(left), QString::number(right)}).exitCode;
}

TEST(MixerVolumesOnPulse, FollowsTheServerWithoutEcho)
{
    ASSERT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set";
    ASSERT_EQ(setSinkVolume("va_null", Norm / 2, Norm / 2), 0);
    ASSERT_EQ(pulsetest::pactl({"set-default-sink", "va_null"}).exitCode, 0);
    MixerLibrary mixer(std::make_shared<PulseMixerBackend>());
    platform::MemorySettingsStore settings;
    MixerVolumes volumes(mixer, settings);
    int news = 0;
    QObject::connect(&volumes, &MixerVolumes::changed, [&] { ++news; });
    ASSERT_EQ(volumes.init(-1, -1), 0);
    EXPECT_EQ(volumes.positions().playbackLeft, 50);

    EXPECT_EQ(volumes.playbackMoved(VolumeChannel::Left, 25), 0); // locked: both channels
    EXPECT_FALSE(pulsetest::waitUntil([&] { return news > 0; }, 400));
    const uint32_t written = MixerLibrary::volumeFromValue(75 * 65535 / 100);
    EXPECT_EQ(pulsetest::pactlVolume(true, "va_null"), (std::vector<uint32_t>{written, written}));

    ASSERT_EQ(setSinkVolume("va_null", Norm / 3, Norm / 7), 0);
    ASSERT_TRUE(pulsetest::waitUntil([&] { return volumes.positions().playbackRight == 86; }, 5000));
    EXPECT_EQ(volumes.positions().playbackLeft, 67);
    pulsetest::waitUntil([] { return false; }, 400);
    EXPECT_EQ(news, 1);
    EXPECT_EQ(pulsetest::pactlVolume(true, "va_null"), (std::vector<uint32_t>{Norm / 3, Norm / 7}));

    setSinkVolume("va_null", Norm, Norm);
}

} // namespace
