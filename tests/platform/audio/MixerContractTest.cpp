// The mixer library's contract, run on the sound server (the tests' private server, changed from
// outside with pactl) and on the mixer in memory, which later windows' tests use in its place.
#include "platform/audio/FakeMixerBackend.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/audio/PulseMixerBackend.h"

#include "tests/platform/audio/MessageRecorder.h"
#include "tests/platform/audio/PulseTestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace platform::audio;
using testsupport::MessageRecorder;

namespace {

constexpr auto Out = MixerDirection::Output;
constexpr auto In = MixerDirection::Input;
constexpr uint32_t Norm = MixerBackend::NormalVolume;

// Both worlds have the devices of the tests' server: outputs va_null ("Test_Output_A") and
// va_null2, inputs va_mono (one channel, "Test_Mono") and va_pipe ("Test_Microphone"), with the
// defaults va_null and va_pipe.
class FakeWorld {
public:
    FakeWorld()
    {
        const auto add = [&](MixerDirection d, const char* name, const char* description, std::vector<ChannelSide> sides) {
            MixerDevice device;
            device.name = name;
            device.description = description;
            device.sides = std::move(sides);
            m_fake->addDevice(d, device);
        };
        add(Out, "va_null", "Test_Output_A", {ChannelSide::Left, ChannelSide::Right});
        add(Out, "va_null2", "Test_Output_B", {ChannelSide::Left, ChannelSide::Right});
        add(In, "va_pipe", "Test_Microphone", {ChannelSide::Left, ChannelSide::Right});
        add(In, "va_mono", "Test_Mono", {ChannelSide::Other});
        m_fake->setDefaultDevice(Out, "va_null");
        m_fake->setDefaultDevice(In, "va_pipe");
    }

    std::shared_ptr<MixerBackend> backend() const { return m_fake; }
    void setVolume(MixerDirection d, const QString& name, const std::vector<uint32_t>& volumes)
    {
        m_fake->setVolumesFromOutside(d, name, volumes);
    }
    std::vector<uint32_t> volume(MixerDirection d, const QString& name) const { return m_fake->device(d, name).volumes; }
    void setDefault(MixerDirection d, const QString& name) { m_fake->setDefaultDevice(d, name); }
    void addOutput(const QString& name)
    {
        MixerDevice device;
        device.name = name;
        device.description = name;
        device.sides = {ChannelSide::Left, ChannelSide::Right};
        m_fake->addDevice(Out, device);
    }
    void removeOutput(const QString& name) { m_fake->removeDevice(Out, name); }
    int settleMs() const { return 150; }

private:
    std::shared_ptr<FakeMixerBackend> m_fake = std::make_shared<FakeMixerBackend>();
};

class PulseWorld {
public:
    PulseWorld() { EXPECT_FALSE(pulsetest::serverAddress().isEmpty()) << "PULSE_SERVER is not set"; }
    ~PulseWorld()
    {
        for (const auto& [name, module] : m_modules)
            pulsetest::unloadModule(module);
        for (const char* sink : {"va_null", "va_null2"})
            pactlSet(Out, sink, {Norm, Norm});
        pactlSet(In, "va_pipe", {Norm, Norm});
        pactlSet(In, "va_mono", {Norm});
        setDefault(Out, "va_null");
        setDefault(In, "va_pipe");
    }

    std::shared_ptr<MixerBackend> backend() const { return m_backend; }
    void setVolume(MixerDirection d, const QString& name, const std::vector<uint32_t>& volumes)
    {
        ASSERT_EQ(pactlSet(d, name, volumes), 0);
    }
    std::vector<uint32_t> volume(MixerDirection d, const QString& name) const
    {
        return pulsetest::pactlVolume(d == Out, name);
    }
    void setDefault(MixerDirection d, const QString& name)
    {
        pulsetest::pactl({d == Out ? "set-default-sink" : "set-default-source", name});
    }
    void addOutput(const QString& name)
    {
        const int module = pulsetest::loadModule("module-null-sink", {"sink_name=" + name, "norewinds=1"});
        ASSERT_GE(module, 0);
        m_modules[name] = module;
    }
    void removeOutput(const QString& name)
    {
        ASSERT_TRUE(pulsetest::unloadModule(m_modules[name]));
        m_modules.erase(name);
    }
    int settleMs() const { return 400; }

private:
    static int pactlSet(MixerDirection d, const QString& name, const std::vector<uint32_t>& volumes)
    {
        QStringList arguments{d == Out ? "set-sink-volume" : "set-source-volume", name};
        for (uint32_t v : volumes)
            arguments << QString::number(v);
        return pulsetest::pactl(arguments).exitCode;
    }

    std::shared_ptr<MixerBackend> m_backend = std::make_shared<PulseMixerBackend>();
    std::map<QString, int> m_modules;
};

template <typename World>
class MixerContract : public testing::Test {
protected:
    void TearDown() override { mixer.reset(); }

    void watch()
    {
        mixer->SetVXMixCallbackWindow(&window);
        mixer->CreateVXMixCallbackThread();
    }
    void settle() { pulsetest::waitUntil([] { return false; }, world.settleMs()); }
    QString inputName()
    {
        QString name;
        EXPECT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
        return name;
    }

    World world;
    std::unique_ptr<MixerLibrary> mixer = std::make_unique<MixerLibrary>(world.backend());
    MessageRecorder window;
};

using Worlds = testing::Types<FakeWorld, PulseWorld>;
class WorldNames {
public:
    template <typename T>
    static std::string GetName(int)
    {
        return std::is_same_v<T, FakeWorld> ? "Fake" : "Pulse";
    }
};
TYPED_TEST_SUITE(MixerContract, Worlds, WorldNames);

} // namespace

TYPED_TEST(MixerContract, ListsDevicesInNameOrderWithMonitorsLeftOut)
{
    auto& mixer = *this->mixer;
    EXPECT_EQ(mixer.GetNumberOfOutputDevices(), 2);
    EXPECT_EQ(mixer.GetNumberOfInputDevices(), 2);
    ASSERT_EQ(mixer.SelectInputDevice(0), 0);
    EXPECT_EQ(this->inputName(), "Test_Mono");
    ASSERT_EQ(mixer.SelectInputDevice(1), 0);
    EXPECT_EQ(this->inputName(), "Test_Microphone");
    ASSERT_EQ(mixer.SelectInputDevice(-1), 0);
    EXPECT_EQ(this->inputName(), "Test_Microphone");
    EXPECT_EQ(mixer.SelectInputDevice(2), 111);
    EXPECT_EQ(mixer.SelectOutputDevice(2), 103);

    // Made last, listed first.
    this->world.addOutput("va_a_first");
    ASSERT_EQ(mixer.GetNumberOfOutputDevices(), 3);
    ASSERT_EQ(mixer.SelectOutputDevice(0), 0);
    ASSERT_EQ(mixer.SetCurrentOutputVolSetting(2, 10000, 10000), 0);
    const uint32_t v = MixerLibrary::volumeFromValue(10000);
    EXPECT_EQ(this->world.volume(Out, "va_a_first"), (std::vector<uint32_t>{v, v}));
    EXPECT_EQ(this->world.volume(Out, "va_null"), (std::vector<uint32_t>{Norm, Norm}));
}

TYPED_TEST(MixerContract, VolumesWrittenAreWhatOtherProgramsRead)
{
    auto& mixer = *this->mixer;
    const uint32_t v20k = MixerLibrary::volumeFromValue(20000), v30k = MixerLibrary::volumeFromValue(30000),
                   v50k = MixerLibrary::volumeFromValue(50000);
    uint32_t left = 0, right = 0;

    ASSERT_EQ(mixer.SelectOutputDevice(0), 0); // va_null
    ASSERT_EQ(mixer.SetCurrentOutputVolSetting(2, 30000, 50000), 0);
    EXPECT_EQ(this->world.volume(Out, "va_null"), (std::vector<uint32_t>{v30k, v50k}));
    ASSERT_EQ(mixer.GetCurrentOutputVolSetting(2, &left, &right), 0);
    EXPECT_EQ(left, 30000u);
    EXPECT_EQ(right, 50000u);

    ASSERT_EQ(mixer.SelectInputDevice(1), 0); // va_pipe
    ASSERT_EQ(mixer.SetCurrentInputVolSetting(2, 50000, 20000), 0);
    EXPECT_EQ(this->world.volume(In, "va_pipe"), (std::vector<uint32_t>{v50k, v20k}));

    // The one-channel input: two channels are refused, one works.
    ASSERT_EQ(mixer.SelectInputDevice(0), 0); // va_mono
    EXPECT_EQ(mixer.GetCurrentInputVolSetting(2, &left, &right), 107);
    ASSERT_EQ(mixer.SetCurrentInputVolSetting(1, 20000, 0), 0);
    EXPECT_EQ(this->world.volume(In, "va_mono"), (std::vector<uint32_t>{v20k}));
    ASSERT_EQ(mixer.GetCurrentInputVolSetting(1, &left, nullptr), 0);
    EXPECT_EQ(left, 20000u);

    // Set above 100 % by someone else: read as the maximum.
    this->world.setVolume(Out, "va_null", {Norm * 3 / 2, Norm});
    ASSERT_EQ(mixer.GetCurrentOutputVolSetting(2, &left, &right), 0);
    EXPECT_EQ(left, 65535u);
}

TYPED_TEST(MixerContract, OtherProgramsChangesArriveButOurOwnDoNot)
{
    auto& mixer = *this->mixer;
    auto& window = this->window;
    this->watch();
    ASSERT_EQ(mixer.SelectOutputDevice(0), 0);  // va_null
    ASSERT_EQ(mixer.SelectInputDevice(-1), 0);  // the default, va_pipe
    ASSERT_EQ(mixer.SetCurrentOutputVolSetting(2, 40000, 30000), 0);
    ASSERT_EQ(mixer.SetCurrentInputVolSetting(2, 20000, 20000), 0);
    ASSERT_EQ(mixer.SetCurrentOutputVolSetting(2, 41000, 30000), 0);
    this->settle();
    EXPECT_TRUE(window.messages.empty());

    this->world.setVolume(Out, "va_null", {Norm / 2, Norm / 4});
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7E9) == 1; }));
    uint32_t left = 0, right = 0;
    ASSERT_EQ(mixer.GetCurrentOutputVolSetting(2, &left, &right), 0);
    EXPECT_EQ(left, 32768u);
    EXPECT_EQ(right, 16384u);

    this->world.setVolume(In, "va_pipe", {Norm / 2, Norm / 2});
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7EA) == 1; }));
    this->world.setVolume(Out, "va_null2", {Norm / 8, Norm / 8}); // not ours

    this->world.setDefault(In, "va_mono");
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7EB) == 1 && window.count(0x7EA) == 2; }));
    EXPECT_EQ(this->inputName(), "Test_Mono");

    this->settle();
    EXPECT_EQ(window.count(0x7E9), 1);
    EXPECT_EQ(window.count(0x7EA), 2);
    EXPECT_EQ(window.count(0x7EB), 1);
    EXPECT_EQ(window.messages.size(), 4u);
}

TYPED_TEST(MixerContract, ADeviceThatGoesAwayGivesItsCodes)
{
    auto& mixer = *this->mixer;
    this->world.addOutput("va_temp"); // after va_null and va_null2
    ASSERT_EQ(mixer.SelectOutputDevice(2), 0);
    ASSERT_EQ(mixer.SetCurrentOutputVolSetting(2, 1000, 1000), 0);
    this->world.removeOutput("va_temp");
    uint32_t left = 0, right = 0;
    EXPECT_EQ(mixer.GetCurrentOutputVolSetting(2, &left, &right), 104);
    EXPECT_EQ(mixer.SetCurrentOutputVolSetting(2, 1000, 1000), 104);
    EXPECT_EQ(mixer.GetOutputVolumeBounds(nullptr, &right), 115);
    EXPECT_EQ(mixer.SelectOutputDevice(2), 103);
}
