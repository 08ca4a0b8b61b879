// Saving a track of the recording window as MP3 and as WMA through the real windows: the file
// read back by ffprobe, the song information typed into its dialog read back by mutagen, and a
// cancelled save that leaves the user's old file alone.
#include "recorder/TrackSave.h"
#include "recorder/TrackSaveDialogs.h"

#include "recorder/ID3Information.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/base/ProgramFolder.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/recorder/SaveWindowsSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace recorder;
using namespace savewindows;

namespace {

QJsonObject frameOf(const QString& path, const QString& id)
{
    const testsupport::ToolResult result = testsupport::runPythonScript("tags_read.py", {path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    for (const QJsonValue& frame : QJsonDocument::fromJson(result.out).object().value("frames").toArray())
        if (frame.toObject().value("id").toString() == id)
            return frame.toObject();
    return {};
}

class TrackSaveWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        track.workingPath = folder + "/LODwork.tmp";
        ASSERT_FALSE(encodetest::toneWave(track.workingPath + ".wav", 44100, 16, 2, 2.0).isEmpty());
        ASSERT_TRUE(QFile::rename(track.workingPath + ".wav", track.workingPath));
        track.state = kTrackChanged;
        platform::codecs::setSongInfoText(track.songInfo.album, "Kept album");
        services.exportMp3 = makeMp3Exporter(nullptr, messages, settings, urls);
        services.exportWma = makeWmaExporter(nullptr, messages, settings, urls);
        services.askSongInformation = makeSongInformationAsker(nullptr, messages, urls);
    }
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    void chooseFile(const QString& name, const char* title)
    {
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {folder + "/" + name};
        ui.expectSaveFile(chosen, QString::fromLatin1(title));
    }

    QString folder = testsupport::testFolder();
    platform::ProgramFolderOverride programFolder{encodetest::programBin()};
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    platform::MemorySettingsStore settings;
    RecordedUrls urls;
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    TrackSaveServices services{runner, messages};
    TrackRecord track;
    QString lastName;
};

// The MP3 is written at the kept rate without a click; the song information typed into its dialog
// becomes the tag: ISO-8859-1 text where it fits, UTF-16 where it does not.
TEST_F(TrackSaveWindowsTest, VoiceTrackAsMp3WithSongInformation)
{
    services.mp3BitRate = 128;
    chooseFile("talk.mp3", "Save Voice Track As");
    whenModal("ID3InfoForm", [](QWidget& window) {
        auto& form = static_cast<TID3InfoForm&>(window);
        EXPECT_EQ(form.windowTitle(), "Enter Song Information");
        EXPECT_FALSE(form.ID3CheckBox->isVisibleTo(&form));
        EXPECT_EQ(form.albumEdit->text(), "Kept album");
        form.titleEdit->setText(QString::fromUtf8("Café au lait"));
        form.artistEdit->setText(QString::fromUtf8("東京ラジオ"));
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
    });
    ASSERT_TRUE(SaveTrack(services, TrackSide::Voice, track, lastName));
    const QString mp3 = folder + "/talk.mp3";
    EXPECT_EQ(track.savedPath, mp3);
    EXPECT_EQ(track.savedKind, TrackSourceKind::Mp3);
    EXPECT_EQ(track.state, kTrackSaved);
    EXPECT_EQ(platform::codecs::songInfoText(track.songInfo.title), QString::fromUtf8("Café au lait"));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].request.defaultExtension, "mp3");
    EXPECT_EQ(ui.prompts()[0].request.filter, "MP3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav");

    const auto info = encodetest::probe(mp3);
    EXPECT_EQ(info.value("format.format_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), 128000);
    EXPECT_NEAR(info.value("format.duration").toDouble(), 2.0, 0.15);
    const QJsonObject title = frameOf(mp3, "TIT2");
    EXPECT_EQ(title.value("encoding").toInt(), 0);
    EXPECT_EQ(title.value("text").toArray().at(0).toString(), QString::fromUtf8("Café au lait"));
    const QJsonObject artist = frameOf(mp3, "TPE1");
    EXPECT_EQ(artist.value("encoding").toInt(), 1);
    EXPECT_EQ(artist.value("text").toArray().at(0).toString(), QString::fromUtf8("東京ラジオ"));
    EXPECT_EQ(frameOf(mp3, "TALB").value("text").toArray().at(0).toString(), "Kept album");
}

// WMA: the export window does the work on the name the save chose; a WMA file takes no tag, so
// nothing is asked.
TEST_F(TrackSaveWindowsTest, MusicTrackAsWma)
{
    services.askSongInformation = [](TID3InfoRecord&) {
        ADD_FAILURE() << "song information asked for a WMA file";
        return false;
    };
    chooseFile("bed.wma", "Save Music Track As");
    const QString wma = folder + "/bed.wma";
    whenModal("WMAExportForm", [this, wma](QWidget& window) {
        // The save names the file: a name typed here would be written where the track does not point.
        auto* name = window.findChild<QLineEdit*>("exportFileNameEdit");
        EXPECT_EQ(name->text(), wma);
        EXPECT_TRUE(name->isReadOnly());
        QTest::keyClicks(name, "x");
        EXPECT_EQ(name->text(), wma);
        EXPECT_FALSE(window.findChild<QPushButton*>("BrowseButton")->isEnabled());
        ui.expectMessageBox(platform::IDOK, "Exported to file " + wma + " successfully.");
        QTest::mouseClick(window.findChild<QPushButton*>("ExportButton"), Qt::LeftButton);
    });
    ASSERT_TRUE(SaveTrack(services, TrackSide::Music, track, lastName));
    EXPECT_EQ(track.savedKind, TrackSourceKind::Wma);
    const auto info = encodetest::probe(wma);
    EXPECT_EQ(info.value("format.format_name"), "asf");
    EXPECT_NEAR(info.value("format.duration").toDouble(), 2.0, 0.2);
}

// Cancelling in the MP3 dialog (no kept rate: it waits for a choice) leaves the file that had the
// name as it was and the track unsaved; only the voice side says so.
TEST_F(TrackSaveWindowsTest, CancelledSaveKeepsTheOldFile)
{
    const QString mp3 = folder + "/talk.mp3";
    testsupport::writeFile(mp3, "the user's earlier file");
    const QByteArray before = testsupport::hashOf(mp3);
    for (const TrackSide side : {TrackSide::Voice, TrackSide::Music}) {
        const bool voice = side == TrackSide::Voice;
        SCOPED_TRACE(voice ? "voice" : "music");
        chooseFile("talk.mp3", voice ? "Save Voice Track As" : "Save Music Track As");
        whenModal("WaveToMP3ConversionForm", [](QWidget& window) {
            QTest::mouseClick(window.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        });
        if (voice)
            ui.expectMessageBox(platform::IDOK, "Save operation is aborted.");
        EXPECT_FALSE(SaveTrack(services, side, track, lastName));
        EXPECT_EQ(track.state, kTrackChanged);
        EXPECT_TRUE(track.savedPath.isEmpty());
        EXPECT_EQ(testsupport::hashOf(mp3), before);
    }
    EXPECT_EQ(encodetest::folderEntries(folder), "LODwork.tmp talk.mp3");
}

} // namespace
