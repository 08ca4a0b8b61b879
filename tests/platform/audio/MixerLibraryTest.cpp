// The mixer library on the mixer in memory: volume values, result codes, channel layouts, the
// single record source, and which changes are reported. The same rules against the sound server
// are in MixerContractTest.cpp.
#include "platform/audio/FakeMixerBackend.h"
#include "platform/audio/MixerLibrary.h"

#include "tests/platform/audio/MessageRecorder.h"
#include "tests/platform/audio/PulseTestSupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <functional>

using namespace platform::audio;
using testsupport::MessageRecorder;

namespace {

constexpr auto Out = MixerDirection::Output;
constexpr auto In = MixerDirection::Input;
constexpr auto L = ChannelSide::Left;
constexpr auto R = ChannelSide::Right;
constexpr auto O = ChannelSide::Other;
constexpr uint32_t Norm = MixerBackend::NormalVolume;

MixerDevice device(const QString& name, const QString& description, std::vector<ChannelSide> sides,
                   std::vector<uint32_t> volumes = {})
{
    MixerDevice d;
    d.name = name;
    d.description = description;
    d.sides = std::move(sides);
    d.volumes = std::move(volumes);
    return d;
}

class MixerOnFake : public testing::Test {
protected:
    void SetUp() override { build(); }

    // A new library on a new mixer with two outputs and two inputs.
    void build()
    {
        mixer.reset();
        fake = std::make_shared<FakeMixerBackend>();
        fake->addDevice(Out, device("speakers", "Speakers", {L, R}));
        fake->addDevice(Out, device("headphones", "Headphones", {L, R}));
        fake->addDevice(In, device("mic", "Microphone", {O}));
        fake->addDevice(In, device("line", "Line In", {L, R}));
        fake->setDefaultDevice(Out, "speakers");
        fake->setDefaultDevice(In, "line");
        mixer = std::make_unique<MixerLibrary>(fake);
    }

    void watch()
    {
        mixer->SetVXMixCallbackWindow(&window);
        mixer->CreateVXMixCallbackThread();
    }

    // Gives the library's thread time to report what it would report.
    void settle() { pulsetest::waitUntil([] { return false; }, 150); }

    std::shared_ptr<FakeMixerBackend> fake = std::make_shared<FakeMixerBackend>();
    std::unique_ptr<MixerLibrary> mixer;
    MessageRecorder window;
};

} // namespace

TEST(MixerVolumeValue, MapsTheServersVolumeOntoTheBoundsExactly)
{
    struct Case {
        uint32_t volume, value;
    };
    const Case cases[] = {
        {0, 0}, {1, 1}, {32768, 32768}, {Norm - 1, 65534}, {Norm, 65535}, {Norm * 3 / 2, 65535}, {0xFFFFFFFF, 65535},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MixerLibrary::valueFromVolume(c.volume), c.value) << c.volume;
    EXPECT_EQ(MixerLibrary::volumeFromValue(65535), Norm);
    EXPECT_EQ(MixerLibrary::volumeFromValue(70000), Norm); // clamped: never amplifies
    for (uint32_t value = 0; value <= 65535; ++value)
        ASSERT_EQ(MixerLibrary::valueFromVolume(MixerLibrary::volumeFromValue(value)), value);
}

TEST_F(MixerOnFake, DevicesAreCountedAndSelectedByIndexInNameOrder)
{
    EXPECT_EQ(mixer->GetNumberOfOutputDevices(), 2);
    EXPECT_EQ(mixer->GetNumberOfInputDevices(), 2);
    QString name;
    ASSERT_EQ(mixer->SelectInputDevice(0), 0);
    ASSERT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
    EXPECT_EQ(name, "Line In"); // "line" sorts before "mic"
    ASSERT_EQ(mixer->SelectInputDevice(-1), 0);
    ASSERT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
    EXPECT_EQ(name, "Line In"); // the default
    ASSERT_EQ(mixer->SelectInputDevice(1), 0);
    ASSERT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
    EXPECT_EQ(name, "Microphone");
}

TEST_F(MixerOnFake, CallsGiveTheCodeOfWhatIsWrong)
{
    uint32_t a = 0, b = 0;
    int n = 0;
    QString text;
    struct Case {
        const char* what;
        std::function<void()> before;
        std::function<int()> call;
        int code;
    };
    const auto selectBoth = [&] {
        mixer->SelectOutputDevice(0);
        mixer->SelectInputDevice(0);
    };
    const auto goneBoth = [&] {
        selectBoth();
        fake->removeDevice(Out, "headphones");
        fake->removeDevice(In, "line");
    };
    const Case cases[] = {
        {"output volume, none selected", {}, [&] { return mixer->GetCurrentOutputVolSetting(2, &a, &b); }, 106},
        {"set output volume, none selected", {}, [&] { return mixer->SetCurrentOutputVolSetting(2, 1, 1); }, 106},
        {"output bounds, none selected", {}, [&] { return mixer->GetOutputVolumeBounds(nullptr, &a); }, 115},
        {"input volume, none selected", {}, [&] { return mixer->GetCurrentInputVolSetting(2, &a, &b); }, 114},
        {"input bounds, none selected", {}, [&] { return mixer->GetInputVolumeBounds(nullptr, &a); }, 116},
        {"sources, none selected", {}, [&] { return mixer->GetNumberOfInputSources(&n); }, 114},
        {"output index too large", {}, [&] { return mixer->SelectOutputDevice(2); }, 103},
        {"output index below -1", {}, [&] { return mixer->SelectOutputDevice(-2); }, 103},
        {"input index too large", {}, [&] { return mixer->SelectInputDevice(2); }, 111},
        {"default output missing", [&] { fake->setDefaultDevice(Out, "unplugged"); },
         [&] { return mixer->SelectOutputDevice(-1); }, 103},
        {"default input missing", [&] { fake->setDefaultDevice(In, {}); }, [&] { return mixer->SelectInputDevice(-1); }, 111},
        {"output gone", goneBoth, [&] { return mixer->GetCurrentOutputVolSetting(2, &a, &b); }, 104},
        {"set output gone", goneBoth, [&] { return mixer->SetCurrentOutputVolSetting(2, 1, 1); }, 104},
        {"output bounds gone", goneBoth, [&] { return mixer->GetOutputVolumeBounds(&a, &b); }, 115},
        {"input gone", goneBoth, [&] { return mixer->GetCurrentInputVolSetting(1, &a, nullptr); }, 112},
        {"source name gone", goneBoth, [&] { return mixer->GetInputSourceDescription(0, &text); }, 112},
        {"input bounds gone", goneBoth, [&] { return mixer->GetInputVolumeBounds(&a, &b); }, 116},
        {"three channels", selectBoth, [&] { return mixer->GetCurrentOutputVolSetting(3, &a, &b); }, 109},
        {"no right out argument", selectBoth, [&] { return mixer->GetCurrentInputVolSetting(2, &a, nullptr); }, 109},
        {"set zero channels", selectBoth, [&] { return mixer->SetCurrentInputVolSetting(0, 1, 1); }, 109},
        {"source 1 of 1", selectBoth, [&] { return mixer->SelectInputSource(1); }, 109},
        {"no count argument", selectBoth, [&] { return mixer->GetNumberOfInputSources(nullptr); }, 109},
        {"server refuses", [&] { selectBoth(); fake->setRefusingChanges(true); },
         [&] { return mixer->SetCurrentOutputVolSetting(2, 1, 1); }, 108},
        {"no server, select output", [&] { fake->setServerRunning(false); },
         [&] { return mixer->SelectOutputDevice(0); }, 105},
        {"no server, select input", [&] { fake->setServerRunning(false); }, [&] { return mixer->SelectInputDevice(0); }, 113},
        {"no server, output volume", [&] { selectBoth(); fake->setServerRunning(false); },
         [&] { return mixer->GetCurrentOutputVolSetting(2, &a, &b); }, 105},
        {"no server, set input volume", [&] { selectBoth(); fake->setServerRunning(false); },
         [&] { return mixer->SetCurrentInputVolSetting(2, 1, 1); }, 113},
        {"no server, output count", [&] { fake->setServerRunning(false); }, [&] { return mixer->GetNumberOfOutputDevices(); }, 0},
        {"deselected output", [&] { selectBoth(); mixer->DeselectOutputDevice(); },
         [&] { return mixer->GetCurrentOutputVolSetting(2, &a, &b); }, 106},
        {"deselected input", [&] { selectBoth(); mixer->DeselectInputDevice(); },
         [&] { return mixer->GetMicrophoneSourceIndex(&n); }, 114},
    };
    for (const Case& c : cases) {
        build();
        if (c.before)
            c.before();
        EXPECT_EQ(c.call(), c.code) << c.what;
    }
}

TEST_F(MixerOnFake, ChannelLayoutsMapOntoLeftAndRight)
{
    const uint32_t half = Norm / 2, quarter = Norm / 4;
    struct Case {
        const char* what;
        std::vector<ChannelSide> sides;
        std::vector<uint32_t> volumes;
        int channels;
        int code;
        uint32_t left, right; // read back
        uint32_t setLeft, setRight;
        std::vector<uint32_t> written;
    };
    const uint32_t v30k = MixerLibrary::volumeFromValue(30000), v50k = MixerLibrary::volumeFromValue(50000);
    const Case cases[] = {
        {"stereo", {L, R}, {half, quarter}, 2, 0, 32768, 16384, 30000, 50000, {v30k, v50k}},
        {"stereo read as one", {L, R}, {half, quarter}, 1, 0, 32768, 32768, 30000, 0, {v30k, v30k}},
        {"mono", {O}, {half}, 1, 0, 32768, 32768, 50000, 0, {v50k}},
        {"mono asked for two", {O}, {half}, 2, 107, 0, 0, 1, 1, {half}},
        {"above 100 % reads as the maximum", {L, R}, {Norm * 2, Norm}, 2, 0, 65535, 65535, 65535, 70000, {Norm, Norm}},
        {"5.1: front and rear per side, centre and bass take the louder",
         {L, R, O, O, L, R}, {quarter, quarter, 0, 0, half, 0}, 2, 0, 32768, 16384, 30000, 50000,
         {v30k, v50k, v50k, v50k, v30k, v50k}},
        {"no sides: first and second channel", {O, O, O}, {half, quarter, Norm}, 2, 0, 32768, 16384, 30000, 50000,
         {v30k, v50k, v50k}},
    };
    for (const Case& c : cases) {
        fake->addDevice(Out, device("z_layout", "Layout", c.sides, c.volumes));
        ASSERT_EQ(mixer->SelectOutputDevice(2), 0);
        uint32_t left = 0, right = 0;
        EXPECT_EQ(mixer->GetCurrentOutputVolSetting(c.channels, &left, &right), c.code) << c.what;
        if (c.code == 0) {
            EXPECT_EQ(left, c.left) << c.what;
            EXPECT_EQ(right, c.right) << c.what;
        }
        EXPECT_EQ(mixer->SetCurrentOutputVolSetting(c.channels, c.setLeft, c.setRight), c.code) << c.what;
        EXPECT_EQ(fake->device(Out, "z_layout").volumes, c.written) << c.what;
        fake->removeDevice(Out, "z_layout");
    }
}

TEST_F(MixerOnFake, TheInputDeviceIsItsOwnSingleSource)
{
    const QString longName = QString(70, QChar('n'));
    fake->addDevice(In, device("a_long", longName, {L, R}));
    ASSERT_EQ(mixer->SelectInputDevice(0), 0);
    int count = -1, microphone = -1;
    QString name;
    EXPECT_EQ(mixer->GetNumberOfInputSources(&count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
    EXPECT_EQ(name, longName.left(64));
    EXPECT_TRUE(mixer->IsCurrentInputSourceSelected(0));
    EXPECT_FALSE(mixer->IsCurrentInputSourceSelected(1));
    EXPECT_EQ(mixer->SelectInputSource(0), 0);
    EXPECT_EQ(mixer->GetMicrophoneSourceIndex(&microphone), 0);
    EXPECT_EQ(microphone, 0);
    uint32_t minimum = 1, maximum = 0;
    EXPECT_EQ(mixer->GetInputVolumeBounds(&minimum, &maximum), 0);
    EXPECT_EQ(minimum, 0u);
    EXPECT_EQ(maximum, 65535u);
}

TEST_F(MixerOnFake, ReportsOtherProgramsChangesButNotItsOwn)
{
    watch();
    ASSERT_EQ(mixer->SelectOutputDevice(0), 0); // headphones
    ASSERT_EQ(mixer->SelectInputDevice(-1), 0); // the default: line
    ASSERT_EQ(mixer->SetCurrentOutputVolSetting(2, 1000, 2000), 0);
    ASSERT_EQ(mixer->SetCurrentInputVolSetting(1, 3000, 0), 0);
    fake->setVolumesFromOutside(Out, "speakers", {1, 1}); // not the chosen device
    fake->setPort(In, "mic", "jack");                    // nor this one
    settle();
    EXPECT_TRUE(window.messages.empty());

    fake->setVolumesFromOutside(Out, "headphones", {Norm / 2, Norm / 2});
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7E9) == 1; }));
    uint32_t left = 0, right = 0;
    EXPECT_EQ(mixer->GetCurrentOutputVolSetting(2, &left, &right), 0);
    EXPECT_EQ(left, 32768u);

    fake->setVolumesFromOutside(In, "line", {Norm, Norm / 4});
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7EA) == 1; }));

    fake->setPort(In, "line", "rear jack");
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7EB) == 1; }));

    // The input follows the default device: a new default is a new source, with its own volume.
    fake->setDefaultDevice(In, "mic");
    ASSERT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7EB) == 2 && window.count(0x7EA) == 2; }));
    QString name;
    EXPECT_EQ(mixer->GetInputSourceDescription(0, &name), 0);
    EXPECT_EQ(name, "Microphone");

    settle();
    ASSERT_EQ(window.messages.size(), 5u);
    for (const MessageRecorder::Message& m : window.messages) {
        EXPECT_EQ(m.thread, QThread::currentThread());
        EXPECT_EQ(m.wParam, 0);
        EXPECT_EQ(m.lParam, 0);
    }
}

TEST_F(MixerOnFake, ARefusedWriteLeavesTheKnownVolume)
{
    watch();
    ASSERT_EQ(mixer->SelectOutputDevice(0), 0);
    fake->setRefusingChanges(true);
    ASSERT_EQ(mixer->SetCurrentOutputVolSetting(2, 1000, 1000), 108);
    fake->setRefusingChanges(false);
    // Another program sets what this mixer failed to write: that is news.
    const uint32_t volume = MixerLibrary::volumeFromValue(1000);
    fake->setVolumesFromOutside(Out, "headphones", {volume, volume});
    EXPECT_TRUE(pulsetest::waitUntil([&] { return window.count(0x7E9) == 1; }));
}

TEST_F(MixerOnFake, NothingIsReportedWithoutTheThreadOrAfterDeselecting)
{
    mixer->SetVXMixCallbackWindow(&window);
    ASSERT_EQ(mixer->SelectOutputDevice(0), 0);
    fake->setVolumesFromOutside(Out, "headphones", {1, 1});
    settle();
    EXPECT_TRUE(window.messages.empty()); // no thread yet

    mixer->CreateVXMixCallbackThread();
    mixer->DeselectOutputDevice();
    fake->setVolumesFromOutside(Out, "headphones", {2, 2});
    settle();
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(MixerOnFake, ClosesWhileOtherProgramsKeepChangingVolumes)
{
    watch();
    ASSERT_EQ(mixer->SelectOutputDevice(0), 0);
    std::atomic<bool> stop{false};
    std::thread other([&] {
        for (uint32_t v = 0; !stop; ++v)
            fake->setVolumesFromOutside(Out, "headphones", {v % Norm, v % Norm});
    });
    QThread::msleep(50);
    mixer.reset();
    stop = true;
    other.join();
    settle();
    EXPECT_TRUE(window.messages.empty()); // what was posted but not delivered went with the library
}
