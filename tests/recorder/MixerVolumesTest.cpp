// The recording window's devices and volumes on the mixer in memory: the slider scale, the lock,
// devices that cannot be selected, and changes made by other programs followed without writing
// anything back.
#include "recorder/MixerVolumes.h"
#include "recorder/VolumeScale.h"

#include "platform/audio/FakeMixerBackend.h"
#include "platform/settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace recorder;
using namespace platform::audio;

namespace {

constexpr auto Out = MixerDirection::Output;
constexpr auto In = MixerDirection::Input;
constexpr uint32_t Norm = MixerBackend::NormalVolume;

TEST(VolumeScale, SlidersRunOppositeToTheDevice)
{
    struct Case {
        uint32_t value, maximum;
        int sliderMin, sliderMax, position;
        uint32_t back; // the device value of that position
    };
    const Case cases[] = {
        {65535, 65535, 0, 100, 0, 65535},  {0, 65535, 0, 100, 100, 0},     {32768, 65535, 0, 100, 50, 32767},
        {655, 65535, 0, 100, 99, 655},     {983, 65535, 0, 100, 99, 655},  // 1.4999 rounds to 1
        {1000, 2000, 0, 10, 5, 1000},      {150, 2000, 0, 10, 9, 200},     // 0.75 rounds to 1
        {100, 2000, 0, 10, 10, 0},         // 0.5: halves to even, 0
        {300, 2000, 0, 10, 8, 400},        // 1.5: halves to even, 2
        {0, 0, 0, 100, 0, 0},              // no maximum: the top
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << "/" << c.maximum);
        EXPECT_EQ(sliderFromDevice(c.value, c.maximum, c.sliderMin, c.sliderMax), c.position);
        EXPECT_EQ(deviceFromSlider(c.position, c.maximum, c.sliderMin, c.sliderMax), c.back);
    }
}

class MixerVolumesTest : public testing::Test {
protected:
    MixerVolumesTest()
    {
        const auto add = [&](MixerDirection d, const char* name, const char* description, std::vector<ChannelSide> sides) {
            MixerDevice device;
            device.name = name;
            device.description = description;
            device.sides = std::move(sides);
            fake->addDevice(d, device);
        };
        add(Out, "out_a", "Speakers", {ChannelSide::Left, ChannelSide::Right});
        add(In, "in_mic", "Microphone", {ChannelSide::Left, ChannelSide::Right});
        add(In, "in_mono", "Mono Input", {ChannelSide::Other});
        fake->setDefaultDevice(Out, "out_a");
        fake->setDefaultDevice(In, "in_mic");
        QObject::connect(&volumes, &MixerVolumes::changed, [this] { ++received; });
    }

    using Pair = std::pair<uint32_t, uint32_t>;
    // The chosen devices' values as the mixer reads them.
    Pair output()
    {
        Pair pair;
        EXPECT_EQ(mixer.GetCurrentOutputVolSetting(2, &pair.first, &pair.second), 0);
        return pair;
    }
    Pair input(int channels)
    {
        Pair pair;
        EXPECT_EQ(mixer.GetCurrentInputVolSetting(channels, &pair.first, &pair.second), 0);
        return pair;
    }

    std::shared_ptr<FakeMixerBackend> fake = std::make_shared<FakeMixerBackend>();
    MixerLibrary mixer{fake};
    platform::MemorySettingsStore settings;
    MixerVolumes volumes{mixer, settings};
    int received = 0; // the mixer's messages that reached the volumes
};

TEST_F(MixerVolumesTest, LockedAndFreeChannelsReachTheDevices)
{
    fake->setVolumesFromOutside(Out, "out_a", {Norm / 2, Norm / 4});
    ASSERT_EQ(volumes.init(-1, -1), 0);
    EXPECT_EQ(volumes.sourceName(), "Microphone");
    VolumePositions expected{50, 75, 0, 0, true, true}; // the lock is on when never saved
    EXPECT_EQ(volumes.positions(), expected);

    EXPECT_EQ(volumes.playbackMoved(VolumeChannel::Right, 20), 0); // locked: both channels
    EXPECT_EQ(output(), (Pair{52428, 52428}));
    volumes.lockClicked(false);
    EXPECT_EQ(volumes.playbackMoved(VolumeChannel::Left, 100), 0); // free: the left alone
    EXPECT_EQ(output(), (Pair{0, 52428}));
    EXPECT_EQ(volumes.recordMoved(VolumeChannel::Right, 60), 0);
    EXPECT_EQ(input(2), (Pair{65535, 26214}));
    expected = {100, 20, 0, 60, false, true};
    EXPECT_EQ(volumes.positions(), expected);
    EXPECT_EQ(volumes.lockClicked(true), 0); // the right sliders and channels take the left ones' places
    expected = {100, 100, 0, 0, true, true};
    EXPECT_EQ(volumes.positions(), expected);
    EXPECT_EQ(output(), (Pair{0, 0}));
    EXPECT_EQ(input(2), (Pair{65535, 65535}));

    volumes.lockClicked(false);
    volumes.save();
    EXPECT_FALSE(settings.readBool(QString::fromLatin1(kMixerSettingsKey), "Lock L/R Volume Checked").value);
    EXPECT_TRUE(settings.readInteger(QString::fromLatin1(kMixerSettingsKey), "Last Record Source Selected").ok());
}

TEST_F(MixerVolumesTest, AOneChannelInputMovesBothRecordSliders)
{
    ASSERT_EQ(volumes.init(0, 0), 0); // the microphone, first in name order
    ASSERT_EQ(volumes.selectInput(1), 0);
    EXPECT_EQ(volumes.sourceName(), "Mono Input");
    EXPECT_FALSE(volumes.positions().lockEnabled);
    EXPECT_TRUE(volumes.positions().lock);
    volumes.lockClicked(false); // the box is off: nothing changes
    EXPECT_TRUE(volumes.positions().lock);
    EXPECT_EQ(volumes.recordMoved(VolumeChannel::Left, 40), 0);
    EXPECT_EQ(input(1), (Pair{39321, 39321}));
    EXPECT_EQ(volumes.positions().recordRight, 40);
}

TEST_F(MixerVolumesTest, DevicesThatCannotBeSelectedGiveWayOrTheirCode)
{
    EXPECT_EQ(volumes.init(7, 9), 0); // out of range: the first that can be selected
    EXPECT_EQ(volumes.sourceName(), "Microphone");

    auto empty = std::make_shared<FakeMixerBackend>();
    MixerDevice mic;
    mic.name = "in_mic";
    mic.description = "Microphone";
    mic.sides = {ChannelSide::Left, ChannelSide::Right};
    empty->addDevice(In, mic);
    MixerLibrary noOutputs{empty};
    MixerVolumes withoutOutputs{noOutputs, settings};
    EXPECT_EQ(withoutOutputs.init(-1, -1), 194);
}

TEST_F(MixerVolumesTest, OtherProgramsChangesAreFollowedWithoutEcho)
{
    ASSERT_EQ(volumes.init(-1, -1), 0);
    EXPECT_EQ(volumes.playbackMoved(VolumeChannel::Left, 30), 0);
    EXPECT_EQ(volumes.recordMoved(VolumeChannel::Left, 10), 0);
    QTest::qWait(100);
    EXPECT_EQ(received, 0); // our own writes are not news

    // Values the sliders cannot hold exactly: any write back would change them.
    fake->setVolumesFromOutside(Out, "out_a", {Norm / 3, Norm / 7});
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 1; }));
    EXPECT_EQ(volumes.positions().playbackLeft, 67);
    EXPECT_EQ(volumes.positions().playbackRight, 86);
    fake->setVolumesFromOutside(In, "in_mic", {Norm / 5, Norm / 5});
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 2; }));
    EXPECT_EQ(volumes.positions().recordLeft, 80);
    // The input follows the system's preferred device, which another program changes.
    fake->setVolumesFromOutside(In, "in_mono", {Norm / 2});
    fake->setDefaultDevice(In, "in_mono");
    ASSERT_TRUE(QTest::qWaitFor([&] { return volumes.sourceName() == "Mono Input"; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return volumes.positions().recordLeft == 50; }));
    EXPECT_EQ(volumes.positions().recordRight, 50);
    EXPECT_FALSE(volumes.positions().lockEnabled);
    QTest::qWait(100);
    EXPECT_EQ(fake->device(Out, "out_a").volumes, (std::vector<uint32_t>{Norm / 3, Norm / 7}));
    EXPECT_EQ(fake->device(In, "in_mic").volumes, (std::vector<uint32_t>{Norm / 5, Norm / 5}));
    EXPECT_EQ(fake->device(In, "in_mono").volumes, (std::vector<uint32_t>{Norm / 2}));
}

} // namespace
