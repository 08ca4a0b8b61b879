// The main window's Edit > Insert Silence, Mute, Trim Silence and Change Format offscreen: each
// chosen from its menu item, its dialog answered as a user would, and the working file read back
// with sox.
#include "editor/MainForm.h"

#include "editor/FormatChoiceForm.h"
#include "editor/MuteForm.h"
#include "editor/SilenceForm.h"
#include "editor/SourceImport.h"
#include "editor/TrimSilenceForm.h"

#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "controls/ProgressBar.h"
#include "controls/Waveform.h"
#include "platform/audio/EditProcesses.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/UrlOpener.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

using controls::TQzv32WaveDisplay;
using testsupport::ScriptedInteraction;
using wavefixtures::soxWaveInfo;
using wavefixtures::WaveInfo;

namespace {

bool eventually(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

void clickMenuItem(QWidget& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name.toStdString();
    ASSERT_TRUE(action->isEnabled()) << name.toStdString();
    auto* menu = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(menu, nullptr) << name.toStdString();
    menu->popup(window.mapToGlobal(QPoint(10, 24)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Answers the next modal dialog of type Dialog with body (from inside its exec()); *seen tells
// whether it came.
template <typename Dialog>
void answerDialog(std::function<void(Dialog&)> body, bool* seen)
{
    *seen = false;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        body(*dialog);
    });
    timer->start();
}

void clickButton(QWidget& dialog, const char* name)
{
    auto* button = dialog.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

class NoBrowser : public platform::UrlOpener {
public:
    bool openUrl(const QUrl&) override { return false; }
};

class MainWindowSilenceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp)); }
    void TearDown() override { EXPECT_TRUE(interaction.allConsumed()); }

    std::unique_ptr<TMainForm> makeWindow()
    {
        auto window = std::make_unique<TMainForm>(EditorWindowServices{
            messages, settings, runner, library,
            [this](QWidget* parent) -> std::unique_ptr<SourceDecoder> {
                SourceImportServices services;
                services.tempFolder = [this] { return temp; };
                return std::make_unique<SourceImport>(messages, browser, std::move(services), parent);
            },
            [this] { return temp; }, [](QWidget*) { return makePcmFormat(8000, 16, 1); }});
        progressWindow.setMainWindow(window.get());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    // A sox-made file of the tone: `channels` sines, with `padSeconds` of silence on each side.
    QString tone(const QString& name, double seconds, int channels, double padSeconds = 0, int rate = 8000)
    {
        const QString path = folder + "/" + name;
        // The rate and channels before -n too, so that sox synthesises at that rate.
        const QString n = QString::number(channels);
        const QString r = QString::number(rate);
        QStringList arguments{"-D", "-r", r, "-c", n, "-n", "-r", r, "-c", n, "-b", "16", path,
                              "synth", QString::number(seconds), "sine", "440", "sine", "660", "vol", "0.6"};
        if (padSeconds > 0)
            arguments << "pad" << QString::number(padSeconds) << QString::number(padSeconds);
        EXPECT_EQ(testsupport::runSox(arguments).exitCode, 0);
        return path;
    }

    void open(TMainForm& window, const QString& path)
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {path};
        interaction.expectOpenFile(chosen);
        clickMenuItem(window, "FileOpenMenu");
        ASSERT_TRUE(interaction.allConsumed());
        ASSERT_TRUE(eventually([&] { return window.workspace().documents().current()->isWorkspaceReady(); }));
    }

    QString workingFile(const TMainForm& window) const
    {
        return window.workspace().documents().current()->workingFile;
    }

    QString folder = testsupport::testFolder();
    QString temp = folder + "/temp/";
    ScriptedInteraction interaction;
    platform::Messages messages = makeEditorMessages(interaction);
    platform::MemorySettingsStore settings;
    platform::audio::EditProcesses engine{[] { return false; }, [this] { return temp; }};
    EngineEditLibrary<platform::audio::EditProcesses> library{engine};
    controls::TProgressBarForm progressWindow{controls::ControlVariant::Editor};
    JobRunner runner{progressWindow};
    NoBrowser browser;
};

} // namespace

// Without a document, Insert Silence first makes one as File > New does; the silence is then the
// document, selected whole; Undo leaves the empty document.
TEST_F(MainWindowSilenceTest, InsertSilenceStartsADocument)
{
    auto window = makeWindow();
    bool seen = false;
    answerDialog<TInsertSilenceForm>(
        [](TInsertSilenceForm& dialog) {
            dialog.findChild<QLineEdit*>("SilenceTimeEdit")->setText("0.5");
            clickButton(dialog, "OkButton");
        },
        &seen);
    clickMenuItem(*window, "EditInsertSilenceMenu");
    ASSERT_TRUE(seen);
    ASSERT_EQ(window->workspace().documents().count(), 1);
    TQzv32WaveDisplay* display = window->currentDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->TotalSamples(), 4000u);
    EXPECT_EQ(display->SelectionStartPos(), 0u);
    EXPECT_EQ(display->SelectionEndPos(), 4000u);
    const WaveInfo made = soxWaveInfo(workingFile(*window));
    EXPECT_EQ(made.frames, 4000);
    EXPECT_EQ(made.samples, QByteArray(8000, '\0'));
    EXPECT_EQ(settings.readString(QStringLiteral("\\Software\\Vexal Audio\\Zuq Editor\\Settings"),
                                  "Insert Silence Time")
                  .value,
              QStringLiteral("0.5"));

    clickMenuItem(*window, "EditUndoMenu");
    EXPECT_EQ(window->currentDisplay()->TotalSamples(), 0u);
}

// A selection is replaced by the silence, which is then selected; Cancel of the dialog changes
// nothing.
TEST_F(MainWindowSilenceTest, InsertSilenceReplacesTheSelection)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 1.0, 1));
    TQzv32WaveDisplay* display = window->currentDisplay();
    display->SetSelection(2000, 6000);
    display->OnSelection(2000, 6000);
    const QByteArray before = testsupport::hashOf(workingFile(*window));

    bool seen = false;
    answerDialog<TInsertSilenceForm>([](TInsertSilenceForm& dialog) { clickButton(dialog, "CancelButton"); }, &seen);
    clickMenuItem(*window, "EditInsertSilenceMenu");
    ASSERT_TRUE(seen);
    EXPECT_EQ(testsupport::hashOf(workingFile(*window)), before);

    answerDialog<TInsertSilenceForm>(
        [](TInsertSilenceForm& dialog) {
            dialog.findChild<QLineEdit*>("SilenceTimeEdit")->setText("0.25");
            clickButton(dialog, "OkButton");
        },
        &seen);
    clickMenuItem(*window, "EditInsertSilenceMenu");
    ASSERT_TRUE(seen);
    EXPECT_EQ(display->TotalSamples(), 8000u - 4000u + 2000u);
    EXPECT_EQ(display->SelectionStartPos(), 2000u);
    EXPECT_EQ(display->SelectionEndPos(), 4000u);
    const WaveInfo made = soxWaveInfo(workingFile(*window));
    EXPECT_EQ(made.samples.mid(2 * 2000, 2 * 2000), QByteArray(4000, '\0'));
    EXPECT_NE(made.samples.mid(2 * 4000, 2 * 100), QByteArray(200, '\0'));
}

// Mute through its dialog silences the channel chosen; a mono document's dialog offers no choice.
TEST_F(MainWindowSilenceTest, MuteSilencesTheChannelChosen)
{
    auto window = makeWindow();
    open(*window, tone("stereo.wav", 0.5, 2));
    bool seen = false;
    answerDialog<TMuteForm>(
        [](TMuteForm& dialog) {
            QTest::mouseClick(dialog.findChild<QRadioButton*>("LeftChannelRadioButton"), Qt::LeftButton);
            clickButton(dialog, "OkButton");
        },
        &seen);
    clickMenuItem(*window, "EditMuteMenu");
    ASSERT_TRUE(seen);
    const WaveInfo made = soxWaveInfo(workingFile(*window));
    ASSERT_EQ(made.frames, 4000);
    bool leftSilent = true;
    bool rightSounds = false;
    for (int frame = 0; frame < 4000; ++frame) {
        leftSilent = leftSilent && made.samples[4 * frame] == 0 && made.samples[4 * frame + 1] == 0;
        rightSounds = rightSounds || made.samples[4 * frame + 2] != 0 || made.samples[4 * frame + 3] != 0;
    }
    EXPECT_TRUE(leftSilent);
    EXPECT_TRUE(rightSounds);

    window.reset();
    window = makeWindow();
    open(*window, tone("mono.wav", 0.5, 1));
    const QByteArray before = testsupport::hashOf(workingFile(*window));
    answerDialog<TMuteForm>(
        [](TMuteForm& dialog) {
            EXPECT_FALSE(dialog.findChild<QRadioButton*>("LeftChannelRadioButton")->isEnabled());
            clickButton(dialog, "CancelButton");
        },
        &seen);
    clickMenuItem(*window, "EditMuteMenu");
    ASSERT_TRUE(seen);
    EXPECT_EQ(testsupport::hashOf(workingFile(*window)), before);
}

// Trim Silence with the dialog's threshold removes the silence around the tone.
TEST_F(MainWindowSilenceTest, TrimSilenceRemovesTheSilenceAround)
{
    auto window = makeWindow();
    open(*window, tone("padded.wav", 0.5, 1, 0.25));
    ASSERT_EQ(window->currentDisplay()->TotalSamples(), 8000u);
    bool seen = false;
    answerDialog<TTrimSilenceForm>([](TTrimSilenceForm& dialog) { clickButton(dialog, "OkButton"); }, &seen);
    clickMenuItem(*window, "EditTrimSilenceMenu");
    ASSERT_TRUE(seen);
    // The sines start and end at 0: a frame or two at each end counts as silence.
    EXPECT_NEAR(double(window->currentDisplay()->TotalSamples()), 4000.0, 4.0);
}

// Change Format asks for the format in the format dialog and converts the document into it; the
// whole file is shown, and one undo goes back.
TEST_F(MainWindowSilenceTest, ChangeFormatConvertsTheDocument)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5, 2, 0, 12000));
    const QByteArray before = testsupport::hashOf(workingFile(*window));
    bool seen = false;
    answerDialog<TFormatChoiceForm>(
        [](TFormatChoiceForm& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choose Format"));
            auto* list = dialog.findChild<QComboBox*>("AttributesComboBox");
            // The document's own rate is offered, and started on when nothing was chosen before.
            EXPECT_TRUE(list->currentText().startsWith("12,000 Hz, 16 Bit, Stereo")) << list->currentText().toStdString();
            list->setCurrentIndex(list->findText("16,000 Hz, 8 Bit, Mono", Qt::MatchStartsWith));
            ASSERT_GE(list->currentIndex(), 0);
            clickButton(dialog, "OkButton");
        },
        &seen);
    clickMenuItem(*window, "EditChangeFormatMenu");
    ASSERT_TRUE(seen);
    const WaveInfo made = soxWaveInfo(workingFile(*window), false);
    EXPECT_EQ(made.rate, 16000);
    EXPECT_EQ(made.bits, 8);
    EXPECT_EQ(made.channels, 1);
    EXPECT_NEAR(double(window->currentDisplay()->TotalSamples()), 8000.0, 2.0);
    EXPECT_EQ(window->workspace().documents().current()->waveFormat, makePcmFormat(16000, 8, 1));

    clickMenuItem(*window, "EditUndoMenu");
    EXPECT_EQ(testsupport::hashOf(workingFile(*window)), before);
}

// Tools > Record Cleaner chooses the cleaner's item of the Effects menu; without one it does
// nothing.
TEST_F(MainWindowSilenceTest, RecordCleanerChoosesTheCleanerEffect)
{
    auto window = makeWindow();
    open(*window, tone("song.wav", 0.5, 1));
    clickMenuItem(*window, "RecordCleanerMenu");
    auto* effects = window->findChild<QMenu*>("EffectsMenu");
    ASSERT_NE(effects, nullptr);
    int echoes = 0;
    int cleanings = 0;
    QObject::connect(effects->addAction("Echo..."), &QAction::triggered, [&] { ++echoes; });
    QObject::connect(effects->addAction("Glimdra Cleaner..."), &QAction::triggered, [&] { ++cleanings; });
    clickMenuItem(*window, "RecordCleanerMenu");
    EXPECT_EQ(cleanings, 1);
    EXPECT_EQ(echoes, 0);
}
