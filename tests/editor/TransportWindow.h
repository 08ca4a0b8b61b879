#pragma once
// The editor's main window on a sound backend (the virtual one, or the tests' sound server) with
// scripted dialogs, for the transport tests: opening files, clicking named controls, and what the
// window shows.

#include "editor/MainForm.h"
#include "editor/SourceImport.h"

#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "controls/EQMeter.h"
#include "controls/ProgressBar.h"
#include "controls/Waveform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MixerLibrary.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <memory>
#include <optional>

namespace transporttest {

class NoBrowser : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

template <class Backend> class TransportWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp)); }
    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(interaction.allConsumed());
    }

    void makeWindow()
    {
        EditorWindowServices services{
            messages, settings, runner, library,
            [this](QWidget* parent) -> std::unique_ptr<SourceDecoder> {
                SourceImportServices decoder;
                decoder.tempFolder = [this] { return temp; };
                return std::make_unique<SourceImport>(messages, browser, std::move(decoder), parent);
            },
            [this] { return temp; },
            [this](QWidget*) {
                ++formatQuestions;
                if (newFormat)
                    chosenFormat = *newFormat;
                return newFormat;
            }};
        services.engine = &engine;
        services.recordingFormat = [this] { return chosenFormat; };
        services.alwaysTestLevels = [this] { return alwaysTestLevels; };
        services.mixer = mixer;
        window = std::make_unique<TMainForm>(services);
        progressWindow.setMainWindow(window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // A sine made by sox at 8000 Hz, 16 bits; effects follow the synthesis.
    QString tone(const QString& name, double seconds, int channels = 1, double volume = 0.6,
                 const QStringList& effects = {})
    {
        const QString path = folder + "/" + name;
        EXPECT_EQ(testsupport::runSox(QStringList{"-n", "-r", "8000", "-c", QString::number(channels), "-b", "16",
                                                  path, "synth", QString::number(seconds), "sine", "440", "vol",
                                                  QString::number(volume)} +
                                      effects)
                      .exitCode,
                  0);
        return path;
    }

    // File > Open with the scripted dialog answering path; waits for the working copy.
    void open(const QString& path)
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {path};
        interaction.expectOpenFile(chosen);
        auto* action = window->findChild<QAction*>("FileOpenMenu");
        ASSERT_NE(action, nullptr);
        action->trigger();
        ASSERT_TRUE(interaction.allConsumed());
        const TDocumentRecord* document = window->workspace().documents().current();
        ASSERT_NE(document, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return document->isWorkspaceReady(); }, 5000));
    }

    template <class T = QWidget> T* named(const char* name) const { return window->findChild<T*>(name); }

    void click(const char* button)
    {
        auto* widget = named(button);
        ASSERT_NE(widget, nullptr) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    TDocumentRecord* document() const { return window->workspace().documents().current(); }
    controls::TQzv32WaveDisplay* display() const { return window->currentDisplay(); }
    QString positionText() const { return named<QLabel>("PositionBox")->text(); }
    QColor lampColor(const char* name) const { return named<QLabel>(name)->palette().color(QPalette::Window); }

    QString folder = testsupport::testFolder();
    QString temp = folder + "/temp/";
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages = makeEditorMessages(interaction);
    platform::MemorySettingsStore settings;
    Backend backend;
    platform::audio::AudioEngine engine{backend};
    EngineEditLibrary<platform::audio::AudioEngine> library{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Editor};
    JobRunner runner{progressWindow};
    NoBrowser browser;
    std::optional<WaveFormatEx> newFormat = makePcmFormat(8000, 16, 1);
    WaveFormatEx chosenFormat = makePcmFormat(44100, 16, 2);
    int formatQuestions = 0;
    bool alwaysTestLevels = false;
    platform::audio::MixerLibrary* mixer = nullptr;
    std::unique_ptr<TMainForm> window;
};

} // namespace transporttest
