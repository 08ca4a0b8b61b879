// The windows of the save roads offscreen: the WAV-to-MP3 dialog over the build's encoder library,
// the WMA export window over FFmpeg's encoders and the song information dialog, driven through
// their named controls; their output read back by ffprobe, and what is left on disk after a
// cancel or a failure.
#include "recorder/ID3InfoRules.h"
#include "recorder/ID3Information.h"
#include "recorder/WavToMP3Unit.h"

#include "common/ErrCodes.h"
#include "common/ExportToWma.h"
#include "common/RecorderPreferences.h"
#include "common/WmaExportRules.h"
#include "platform/base/ProgramFolder.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/UrlOpener.h"
#include "tests/platform/codecs/EncodeSupport.h"
#include "tests/recorder/SaveWindowsSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>


using namespace recorder;
using namespace savewindows;
using platform::codecs::songInfoText;

namespace {

class SaveWindowsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    QString folder = testsupport::testFolder();
    platform::ProgramFolderOverride programFolder{encodetest::programBin()};
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    platform::MemorySettingsStore settings;
    RecordedUrls urls;

    QString tone(int rate = 44100, int channels = 2, double seconds = 2.0)
    {
        const QString path = QStringLiteral("%1/tone-%2-%3.wav").arg(folder).arg(rate).arg(channels);
        EXPECT_FALSE(encodetest::toneWave(path, rate, 16, channels, seconds).isEmpty());
        return path;
    }
    QString stored(const char* name) const
    {
        const auto value = settings.readValue(QString::fromLatin1(kRecorderSettingsKey), QString::fromLatin1(name));
        if (!value.ok())
            return {};
        if (const auto* text = std::get_if<QString>(&value.value))
            return *text;
        if (const auto* number = std::get_if<qint32>(&value.value))
            return QString::number(*number);
        return {};
    }
};

// "Save" mode with a rate the encoder takes converts at once, with no click, and keeps the choice.
TEST_F(SaveWindowsTest, Mp3SaveModeConvertsWithoutAClick)
{
    const QString wave = tone();
    const QString mp3 = folder + "/show.mp3";
    TWaveToMP3ConversionForm form(messages, settings, urls);
    ASSERT_EQ(form.ConvertWaveToMp3(wave, mp3), 0);
    EXPECT_FALSE(form.WarningMessage->isVisibleTo(&form));
    bool cancelled = true;
    EXPECT_EQ(form.ShowWaveToMp3Conversion("save", cancelled, 96), 0);
    EXPECT_FALSE(cancelled);
    const auto info = encodetest::probe(mp3);
    EXPECT_EQ(info.value("format.format_name"), "mp3");
    EXPECT_EQ(info.value("streams.stream.0.bit_rate").toInt(), 96000);
    EXPECT_NEAR(info.value("format.duration").toDouble(), 2.0, 0.15);
    EXPECT_EQ(stored("MP3 Export Codec"), kLameCodecName);
    EXPECT_EQ(stored("MP3 Export BitRate"), "96");
    EXPECT_EQ(mp3CodecUsedThisRun(), kLameCodecName);
}

// A preset the encoder refuses (a rate above 160 at 22,050 Hz, or none kept) leaves the choice to
// the user, who is offered only what the encoder takes; Cancel then writes nothing.
TEST_F(SaveWindowsTest, Mp3SaveModeWithARefusedPresetWaitsForTheUser)
{
    const QString wave = tone(22050, 1);
    const QString mp3 = folder + "/show.mp3";
    TWaveToMP3ConversionForm form(messages, settings, urls);
    ASSERT_EQ(form.ConvertWaveToMp3(wave, mp3), 0);
    whenShown(form, [&] {
        EXPECT_TRUE(form.CodecNamesComboBox->isEnabled());
        EXPECT_TRUE(form.BitRateComboBox->isEnabled());
        EXPECT_TRUE(form.StartButton->isEnabled());
        EXPECT_EQ(form.BitRateComboBox->itemText(form.BitRateComboBox->count() - 1), "160");
        EXPECT_EQ(form.BitRateComboBox->currentText(), "128");
        EXPECT_EQ(form.windowTitle(), "Vexal Audio MP3 Conversion");
        saveScreenshot(form, "wave-to-mp3-choice");
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    });
    bool cancelled = false;
    EXPECT_EQ(form.ShowWaveToMp3Conversion("Save", cancelled, 192), 129);
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(QFile::exists(mp3));
}

// Cancel while the encoder runs stops it; the window waits for its worker and nothing is left.
TEST_F(SaveWindowsTest, Mp3CancelWhileEncoding)
{
    const QString wave = tone();
    const QString mp3 = folder + "/show.mp3";
    std::atomic<bool> started{false};
    Mp3EncoderCalls calls;
    calls.lameEncode = [&](const QString& wav, const QString& target, int kbps, Mp3EncodeWords* words) {
        words->percent = 40;
        started = true;
        while (!words->abort)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return EncodeWaveToMp3(wav, target, kbps, words);
    };
    TWaveToMP3ConversionForm form(messages, settings, urls, calls);
    ASSERT_EQ(form.ConvertWaveToMp3(wave, mp3), 0);
    whenShown(form, [&] {
        QTest::mouseClick(form.StartButton, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.ProgressBar1->value() == 40; }));
        EXPECT_FALSE(form.StartButton->isEnabled());
        EXPECT_FALSE(form.CodecNamesComboBox->isEnabled());
        saveScreenshot(form, "wave-to-mp3-encoding");
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    bool cancelled = false;
    EXPECT_EQ(form.ShowWaveToMp3Conversion("", cancelled, 0), 129);
    EXPECT_TRUE(started);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(encodetest::folderEntries(folder), "tone-44100-2.wav");
}

// Failures: no encoder offers the component; a format no rate takes is refused; a folder that
// takes no file is said so and leaves nothing behind.
TEST_F(SaveWindowsTest, Mp3WithoutEncoderOrWritableFolder)
{
    const QString wave = tone(44100, 1, 0.5);
    {
        const QString empty = folder + "/empty";
        ASSERT_TRUE(QDir().mkpath(empty));
        platform::ProgramFolderOverride noEncoder(empty);
        TWaveToMP3ConversionForm form(messages, settings, urls);
        ui.expectMessageBox(platform::IDYES, "does not have the suitable component required to use MP3");
        EXPECT_EQ(form.ConvertWaveToMp3(wave, folder + "/show.mp3"), -1);
        ASSERT_EQ(urls.urls.size(), 1);
        EXPECT_EQ(urls.urls[0].toString(), QString::fromLatin1(kMp3ComponentPage));
    }
    {
        // 24-bit samples: no rate of the encoder takes them.
        const QString deep = folder + "/deep.wav";
        ASSERT_FALSE(encodetest::toneWave(deep, 44100, 24, 2, 0.2).isEmpty());
        TWaveToMP3ConversionForm form(messages, settings, urls);
        ui.expectMessageBox(platform::IDOK, "The selected codec cannot produce MP3 files with given source format");
        EXPECT_EQ(form.ConvertWaveToMp3(deep, folder + "/deep.mp3"), -1);
        QFile::remove(deep);
    }
    // Tests may run with every permission, so the folder that takes no file is one that is a file.
    const QString notAFolder = folder + "/file";
    testsupport::writeFile(notAFolder, "x");
    TWaveToMP3ConversionForm form(messages, settings, urls);
    ASSERT_EQ(form.ConvertWaveToMp3(wave, notAFolder + "/show.mp3"), 0);
    ui.expectMessageBox(platform::IDOK, kLameCannotCreateMessage);
    bool cancelled = true;
    EXPECT_EQ(form.ShowWaveToMp3Conversion("Save", cancelled, 128), LameCode::CannotCreate);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(encodetest::folderEntries(folder), "empty file tone-44100-1.wav");
}

TEST_F(SaveWindowsTest, WmaExportRefusesOtherNamesThenExports)
{
    const QString wave = tone();
    const QString wma = folder + "/show.wma";
    TWMAExportForm form(messages, settings, urls);
    whenShown(form, [&] {
        EXPECT_EQ(form.exportFileNameEdit->text(), folder + "/show.mp3");
        ASSERT_GT(form.outputFormatCombo->count(), 1);
        EXPECT_EQ(form.outputFormatCombo->currentIndex(), form.outputFormatCombo->count() - 1);
        saveScreenshot(form, "wma-export");
        ui.expectMessageBox(platform::IDOK, "Invalid FileName.  Select other file to export.");
        QTest::mouseClick(form.ExportButton, Qt::LeftButton);
        EXPECT_EQ(ui.prompts().back().caption, "Error");
        form.SetExportFileName(wma);
        ui.expectMessageBox(platform::IDOK, "Exported to file " + wma + " successfully.");
        QTest::mouseClick(form.ExportButton, Qt::LeftButton);
    });
    bool cancelled = true;
    EXPECT_EQ(form.ExportFile(wave, folder + "/show.mp3", cancelled), 0);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(ui.prompts().back().caption, "Export Successful");
    const auto info = encodetest::probe(wma);
    EXPECT_EQ(info.value("format.format_name"), "asf");
    EXPECT_EQ(info.value("streams.stream.0.codec_name"), "wmav2");
    EXPECT_NEAR(info.value("format.duration").toDouble(), 2.0, 0.2);
    EXPECT_EQ(stored("Last WMA Sampling Rate Selected"), "44100");
    EXPECT_EQ(stored("Last WMA Format Index Selected"), QString::number(form.outputFormatCombo->count() - 1));
}

// While the library runs the window cannot be closed; Cancel stops the library and the window
// then closes, reporting the cancel, with nothing written. A failure is shown and is no success.
TEST_F(SaveWindowsTest, WmaExportWhileRunningAndAfterFailure)
{
    const QString wave = tone(44100, 2, 0.5);
    const QString wma = folder + "/show.wma";
    const struct {
        const char* what;
        int32_t endState;
        int32_t error;
        int result;
        bool cancelled;
    } cases[] = {
        {"cancelled", platform::codecs::WmaState::Cancelled, 0, 0, true},
        {"failed", platform::codecs::WmaState::Failed, platform::codecs::WmaCode::WriteError,
         WmaExportMessage::WriteError, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeldWmaLibrary* held = nullptr;
        TWMAExportForm form(messages, settings, urls, [&] {
            auto library = std::make_unique<HeldWmaLibrary>(c.endState, c.error);
            held = library.get();
            return library;
        });
        whenShown(form, [&] {
            form.SetExportFileName(wma);
            QTest::mouseClick(form.ExportButton, Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return form.ProgressBar1->value() == 30; }));
            ui.expectMessageBox(platform::IDOK, "Conversion Process is active. You cannot close at this time.");
            QTest::keyClick(&form, Qt::Key_Escape);
            EXPECT_TRUE(form.isVisible());
            if (c.cancelled) {
                QTest::mouseClick(form.CancelButton, Qt::LeftButton);
            } else {
                ui.expectMessageBox(platform::IDOK, "Error in writing audio data to file.");
                held->end();
            }
        });
        bool cancelled = !c.cancelled;
        EXPECT_EQ(form.ExportFile(wave, wma, cancelled), c.result);
        EXPECT_EQ(cancelled, c.cancelled);
        EXPECT_FALSE(QFile::exists(wma));
    }
}

TEST_F(SaveWindowsTest, WmaExportWithoutLibrary)
{
    TWMAExportForm form(messages, settings, urls, [] { return nullptr; });
    ui.expectMessageBox(platform::IDNO, "Windows Media Audio9 Codec is required");
    bool cancelled = true;
    EXPECT_EQ(form.ExportFile(tone(), folder + "/show.wma", cancelled), kWmaLibraryMissing);
    EXPECT_FALSE(cancelled);
    EXPECT_TRUE(urls.urls.isEmpty());
}

TEST_F(SaveWindowsTest, SongInformationDialog)
{
    TID3InfoRecord record = platform::codecs::emptySongInfo();
    platform::codecs::setSongInfoText(record.title, "Episode 4");
    platform::codecs::setSongInfoText(record.genre, "Other");
    platform::codecs::setSongInfoText(record.track, "4");
    const TID3InfoRecord before = record;

    TID3InfoForm form(messages, urls);
    form.SetTagTarget(&record, false);
    // Cancel after edits leaves the record as it was.
    whenShown(form, [&] {
        EXPECT_EQ(form.titleEdit->text(), "Episode 4");
        EXPECT_EQ(form.genreComboBox->currentIndex(), 12);
        EXPECT_EQ(form.TrackEdit->value(), 4);
        EXPECT_FALSE(form.ID3CheckBox->isVisibleTo(&form));
        EXPECT_FALSE(form.RequiredLabel->isVisibleTo(&form));
        QTest::keyClicks(form.titleEdit, " changed");
        EXPECT_TRUE(form.changed());
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);

    // Track 101 is refused and the window stays; 0 is taken.
    form.SetTagTarget(&record, true, true);
    whenShown(form, [&] {
        EXPECT_TRUE(form.ID3CheckBox->isChecked());
        EXPECT_FALSE(form.changed());
        form.artistEdit->setText(QString::fromUtf8("Zoë"));
        form.genreComboBox->setEditText("My Show");
        form.TrackEdit->setValue(101);
        saveScreenshot(form, "song-information");
        ui.expectMessageBox(platform::IDOK, kBadTrackMessage);
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(ui.prompts().back().caption, "Wexo Ravadur");
        form.TrackEdit->setValue(0);
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_TRUE(form.autofillChecked());
    EXPECT_EQ(songInfoText(record.artist), QString::fromUtf8("Zoë"));
    EXPECT_EQ(songInfoText(record.genre), "My Show");
    EXPECT_EQ(songInfoText(record.track), "0");
    EXPECT_EQ(songInfoText(record.title), "Episode 4");
}

} // namespace
