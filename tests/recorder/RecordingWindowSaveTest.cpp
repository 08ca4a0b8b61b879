// The recording window's saves through the real windows: a voice track loaded from an MP3 saved
// again as MP3 at the rate it came with, its song information typed into the dialog over the window
// and found in the new file's tag; the two tracks mixed down into an MP3 and a WMA file.
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

// The title of the MP3's ID3v2 tag, as mutagen reads it.
QString mp3Title(const QString& path)
{
    const testsupport::ToolResult tags = testsupport::runPythonScript("tags_read.py", {path});
    EXPECT_EQ(tags.exitCode, 0) << tags.err.toStdString();
    for (const QJsonValue& frame : QJsonDocument::fromJson(tags.out).object().value("frames").toArray())
        if (frame.toObject().value("id").toString() == "TIT2")
            return frame.toObject().value("text").toArray().at(0).toString();
    return {};
}

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
    EXPECT_EQ(mp3Title(target), QString::fromUtf8("Épisode 12"));
}

// The mix goes through the same windows as a track: an MP3 at the voice track's rate with the song
// information typed in, then a WMA (which takes none); each keeps the two tracks beside it.
TEST_F(RecordingWindowSaveTest, TheMixIsWrittenAsMp3AndAsWma)
{
    const QString wave = encodetest::toneWave(folder + "/tone.wav", 44100, 16, 2, 1.5);
    ASSERT_FALSE(wave.isEmpty());
    const QString voice = folder + "/interview.mp3";
    ASSERT_EQ(testsupport::runTool("lame", {"--quiet", "-b", "64", wave, voice}).exitCode, 0);
    importTrack(TrackSide::Voice, voice);
    importTrack(TrackSide::Music, wave);
    const auto chooseMix = [this](const QString& path, int filterIndex) {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {path};
        chosen.filterIndex = filterIndex;
        interaction.expectSaveFile(chosen, "Save Mix file As");
    };

    const QString mp3 = folder + "/show.mp3";
    chooseMix(mp3, 1);
    savewindows::whenModal("ID3InfoForm", [](QWidget& dialog) {
        auto& form = static_cast<TID3InfoForm&>(dialog);
        form.titleEdit->setText(QStringLiteral("Mixed episode"));
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
    });
    click(Control::MixDownToNewFileButton);
    ASSERT_TRUE(interaction.allConsumed());
    EXPECT_EQ(window->trackRoads().mixedFile().path, mp3);
    auto info = encodetest::probe(mp3);
    EXPECT_EQ(info.value("format.format_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), 64000);
    EXPECT_NEAR(info.value("format.duration").toDouble(), 1.5, 0.15);
    EXPECT_EQ(mp3Title(mp3), QStringLiteral("Mixed episode"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/_Vshow.wav"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/_Mshow.wav"));

    const QString wma = folder + "/bed.wma";
    chooseMix(wma, 3);
    savewindows::whenModal("WMAExportForm", [this, wma](QWidget& dialog) {
        interaction.expectMessageBox(platform::IDOK, "Exported to file " + wma + " successfully.");
        QTest::mouseClick(dialog.findChild<QPushButton*>("ExportButton"), Qt::LeftButton);
    });
    click(Control::MixDownToNewFileButton);
    ASSERT_TRUE(interaction.allConsumed());
    EXPECT_EQ(window->trackRoads().mixedFile().path, wma);
    info = encodetest::probe(wma);
    EXPECT_EQ(info.value("format.format_name"), "asf");
    EXPECT_NEAR(info.value("format.duration").toDouble(), 1.5, 0.2);
    EXPECT_TRUE(QFileInfo::exists(folder + "/_Vbed.wav"));
    EXPECT_TRUE(QFileInfo::exists(folder + "/_Mbed.wav"));
}

} // namespace
