// The recording window's track saves through the real windows: a voice track loaded from an MP3
// saved again as MP3 at the rate it came with, its song information typed into the dialog over
// the window and found in the new file's tag.
#include "recorder/ID3Information.h"
#include "recorder/TrackSaveDialogs.h"

#include "platform/base/ProgramFolder.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/recorder/SaveWindowsSupport.h"
#include "tests/recorder/WindowOnVirtualSound.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>

using namespace recorder;

namespace {

class RecordingWindowSaveTest : public windowtest::WindowOnSound<platform::audio::VirtualBackend> {
protected:
    void adjustServices(RecordingWindowServices& services) override { useSaveWindows(services, urls); }

    platform::ProgramFolderOverride programFolder{encodetest::programBin()};
    savewindows::RecordedUrls urls;
};

TEST_F(RecordingWindowSaveTest, VoiceTrackFromAnMp3IsSavedAtItsRateWithSongInformation)
{
    const QString wave = encodetest::toneWave(folder + "/tone.wav", 44100, 16, 2, 1.5);
    ASSERT_FALSE(wave.isEmpty());
    const QString source = folder + "/interview.mp3";
    ASSERT_EQ(testsupport::runTool("lame", {"--quiet", "-b", "64", wave, source}).exitCode, 0);
    importTrack(TrackSide::Voice, source);
    ASSERT_EQ(window->trackRoads().track(TrackSide::Voice)->mp3BitRate, 64);

    const QString target = folder + "/episode.mp3";
    platform::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.files = {target};
    interaction.expectSaveFile(chosen, "Save Voice Track As");
    bool asked = false;
    savewindows::whenModal("ID3InfoForm", [&](QWidget& dialog) {
        asked = true;
        EXPECT_EQ(dialog.parentWidget(), window.get());
        auto& form = static_cast<TID3InfoForm&>(dialog);
        form.titleEdit->setText(QString::fromUtf8("Épisode 12"));
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
    });
    click(Control::SaveVoiceTrackButton);
    ASSERT_TRUE(interaction.allConsumed());
    EXPECT_TRUE(asked);

    const std::optional<TrackRecord>& track = window->trackRoads().track(TrackSide::Voice);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->state, kTrackSaved);
    EXPECT_EQ(track->savedPath, target);
    EXPECT_EQ(window->windowTitle(), "Wexo Ravadur : episode.mp3");
    const auto info = encodetest::probe(target);
    EXPECT_EQ(info.value("format.format_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), 64000);
    const testsupport::ToolResult tags = testsupport::runPythonScript("tags_read.py", {target});
    ASSERT_EQ(tags.exitCode, 0) << tags.err.toStdString();
    QString title;
    for (const QJsonValue& frame : QJsonDocument::fromJson(tags.out).object().value("frames").toArray())
        if (frame.toObject().value("id").toString() == "TIT2")
            title = frame.toObject().value("text").toArray().at(0).toString();
    EXPECT_EQ(title, QString::fromUtf8("Épisode 12"));
}

} // namespace
