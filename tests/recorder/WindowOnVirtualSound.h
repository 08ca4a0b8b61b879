#pragma once
// The recording window on a sound backend (the virtual one, or the tests' sound server), with
// scripted dialogs, and what its tests use to drive it: importing tracks through the File menu,
// clicking named controls, reading them.

#include "recorder/LiveOverdubbing.h"
#include "recorder/TrackSave.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "controls/ProgressBar.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

#include <memory>
#include <type_traits>
#include <optional>

namespace windowtest {

template <class Backend> class WindowOnSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        ASSERT_TRUE(QDir().mkpath(temp));
        if constexpr (std::is_same_v<Backend, platform::audio::VirtualBackend>)
            backend.setPeriod(100);
        recorder::RecordingWindowServices services{store, messages, engine, music, runner, [this] { return temp; }};
        services.freeSpace = [this](const QString&) { return freeBytes; };
        services.chooseRecordingFormat = [this](QWidget*) {
            ++formatQuestions;
            return chosenFormat;
        };
        services.preventSaturation = [this] { return preventSaturation; };
        services.alwaysTestLevels = [this] { return alwaysTestLevels; };
        services.outputDevice = [this] { return outputDevice; };
        services.saveWindows = [this](recorder::TrackSaveServices& save, QWidget*) {
            save.askSongInformation = [this](TID3InfoRecord& info) {
                return askSongInformation && askSongInformation(info);
            };
        };
        services.mixAfterBlock = [this](int64_t done) {
            if (mixAfterBlock)
                mixAfterBlock(done);
        };
        adjustServices(services);
        window = std::make_unique<recorder::TLiveOvedubbingForm>(services);
        progressWindow.setMainWindow(window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // A test's own services, before the window is made.
    virtual void adjustServices(recorder::RecordingWindowServices&) {}

    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(interaction.allConsumed());
    }

    static platform::StringTable strings()
    {
        platform::StringTable table;
        EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
        return table;
    }

    template <class T = QObject> T* named(recorder::Control control) const
    {
        return window->findChild<T*>(QString::fromLatin1(recorder::controlName(control)));
    }

    void clickMenuItem(recorder::Control item)
    {
        auto* action = named<QAction>(item);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << recorder::controlName(item);
        auto* menu = qobject_cast<QMenu*>(action->parent());
        ASSERT_NE(menu, nullptr);
        menu->popup(window->mapToGlobal(QPoint(10, 24)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }

    void click(recorder::Control button) { QTest::mouseClick(named<QWidget>(button), Qt::LeftButton); }

    // Puts the file on a track through File > Open Voice (Music) Track.
    void importTrack(recorder::TrackSide side, const QString& file)
    {
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {file};
        interaction.expectOpenFile(result, side == recorder::TrackSide::Voice ? "Voice Track" : "Music Track");
        clickMenuItem(side == recorder::TrackSide::Voice ? recorder::Control::OpenVoiceTrack
                                                          : recorder::Control::OpenMusicTrack);
        ASSERT_TRUE(interaction.allConsumed());
        ASSERT_TRUE(window->trackRoads().track(side));
    }

    platform::MemorySettingsStore store;
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{strings(), interaction, QString::fromLatin1(kRecorderCaption)};
    Backend backend;
    platform::audio::AudioEngine engine{backend};
    platform::audio::MusicTrackLibrary music{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Recorder};
    JobRunner runner{progressWindow};
    QString folder;
    QString temp = testsupport::testFolder() + "/temp/";
    // What the free-space function and the recording format question answer.
    int64_t freeBytes = int64_t(1) << 40;
    std::optional<WaveFormatEx> chosenFormat = makePcmFormat(8000, 16, 2);
    int formatQuestions = 0;
    bool preventSaturation = false;
    bool alwaysTestLevels = false;
    int outputDevice = -1; // the preferences' output device index
    // The song information dialog of a mix-down (none: cancelled), and what a mix's worker does after
    // each block.
    recorder::AskSongInformationFn askSongInformation;
    std::function<void(int64_t done)> mixAfterBlock;
    std::unique_ptr<recorder::TLiveOvedubbingForm> window;
};

using WindowOnVirtualSound = WindowOnSound<platform::audio::VirtualBackend>;

} // namespace windowtest
