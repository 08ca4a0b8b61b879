// The format step and the save of one track without a window: which targets are written and how
// the codes come back, the name the save dialog proposes, and saves that must not start.
#include "recorder/TrackSave.h"

#include "common/AudioFileTag.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace recorder;

namespace {

class TrackSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::testFolder();
        source = folder + "/working.tmp";
        testsupport::writeFile(source, QByteArray(200000, '\x11'));
    }
    void TearDown() override { EXPECT_TRUE(ui.allConsumed()); }

    QString folder;
    QString source;
    testsupport::ScriptedInteraction ui;
    platform::Messages messages = makeRecorderMessages(ui);
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    TrackSaveServices services{runner, messages};
};

// A WAV target is a copy of the working WAV made under "Saving wave file..."; MP3 and WMA targets
// go to their exporters (the MP3 one with the kept bit rate), and without one they are refused
// with 313; anything else is 484, a missing source 184, and nothing is written for any of those.
TEST_F(TrackSaveTest, FormatStepByTargetExtension)
{
    QStringList exported; // "mp3 <rate>" or "wma", with the target's name
    const auto withExporters = [&] {
        services.mp3BitRate = 96;
        services.exportMp3 = [&](const QString& from, const QString& to, int rate) {
            EXPECT_EQ(from, source);
            exported << QStringLiteral("mp3 %1 %2").arg(rate).arg(QFileInfo(to).fileName());
            return SaveCode::Cancelled;
        };
        services.exportWma = [&](const QString& from, const QString& to) {
            EXPECT_EQ(from, source);
            exported << QStringLiteral("wma %1").arg(QFileInfo(to).fileName());
            return 523;
        };
    };
    const struct {
        const char* target;
        bool sourceThere;
        bool exporters;
        int code;
        const char* exported;
    } cases[] = {
        {"show.wav", true, false, 0, ""},
        {"show.WAV", true, false, 0, ""},
        {"show.mp3", true, false, SaveCode::CannotConvertFormat, ""},
        {"show.Wma", true, false, SaveCode::CannotConvertFormat, ""},
        {"show.mp3", true, true, SaveCode::Cancelled, "mp3 96 show.mp3"},
        {"show.Wma", true, true, 523, "wma show.Wma"},
        {"show.ogg", true, true, SaveCode::BadExtension, ""},
        {"show", true, false, SaveCode::BadExtension, ""},
        {"absent.mp3", false, true, SaveCode::SourceMissing, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const QString target = folder + "/" + c.target;
        QFile::remove(target);
        services.exportMp3 = {};
        services.exportWma = {};
        if (c.exporters)
            withExporters();
        exported.clear();
        progress.shown.clear();
        EXPECT_EQ(ConvertWaveToTarget(services, c.sourceThere ? source : folder + "/absent.tmp", target), c.code);
        EXPECT_EQ(exported.join(","), QString::fromLatin1(c.exported));
        EXPECT_EQ(QFileInfo::exists(target), c.code == 0);
        if (c.code == 0) {
            EXPECT_EQ(testsupport::readFile(target), testsupport::readFile(source));
            ASSERT_EQ(progress.shown.size(), 1u);
            EXPECT_EQ(progress.shown[0].caption, QStringLiteral("Saving wave file..."));
        } else {
            EXPECT_TRUE(progress.shown.empty());
        }
    }
}

TEST(Mp3RateOfTracks, VoiceTrackFirst)
{
    TrackRecord voice;
    voice.mp3BitRate = 64;
    TrackRecord music;
    music.mp3BitRate = 192;
    TrackRecord recorded;
    EXPECT_EQ(mp3RateOfTracks(&voice, &music), 64);
    EXPECT_EQ(mp3RateOfTracks(&recorded, &music), 0);
    EXPECT_EQ(mp3RateOfTracks(nullptr, &music), 192);
    EXPECT_EQ(mp3RateOfTracks(nullptr, nullptr), 0);
}

TEST(ProposedSaveName, IsTheLastFileNameUpToItsFirstDot)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/me/talk.mp3.wav", "talk"}, {"/home/me/my show.wav", "my show"}, {"/home/me.d/plain", "plain"},
        {"", ""},
    };
    for (const auto& [last, proposed] : cases)
        EXPECT_EQ(proposedSaveName(QString::fromUtf8(last)), QString::fromUtf8(proposed)) << last;
}

// A track that is saved already is not saved again, and a cancelled dialog leaves the track as it
// was; neither writes anything.
TEST_F(TrackSaveTest, SavesThatDoNotStart)
{
    TrackRecord track;
    track.workingPath = source;
    track.state = kTrackSaved;
    QString last = folder + "/earlier.wav";
    EXPECT_FALSE(SaveTrack(services, TrackSide::Voice, track, last));
    EXPECT_TRUE(ui.prompts().empty());

    track.state = kTrackChanged;
    ui.expectSaveFile(platform::FileDialogResult{}, "Save Music Track As");
    EXPECT_FALSE(SaveTrack(services, TrackSide::Music, track, last));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].request.fileName, QStringLiteral("earlier"));
    EXPECT_EQ(track.state, kTrackChanged);
    EXPECT_TRUE(track.savedPath.isEmpty());
    EXPECT_EQ(last, folder + "/earlier.wav");
    EXPECT_TRUE(progress.shown.empty());
}

// After a save the song information is asked for on the track's record: confirmed, it is kept in
// the track and written into the WAV's "id3 " chunk; declined, neither changes.
TEST_F(TrackSaveTest, WavSaveAsksForSongInformation)
{
    const QString wave = folder + "/working.wav";
    testsupport::writeFile(wave, wavefixtures::pcmWave(wavefixtures::waveFormat(), wavefixtures::sampleBytes(800)));
    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm ? "confirmed" : "declined");
        TrackRecord track;
        track.workingPath = wave;
        track.state = kTrackChanged;
        platform::codecs::setSongInfoText(track.songInfo.title, "Old title");
        QString asked;
        services.askSongInformation = [&](TID3InfoRecord& info) {
            asked = platform::codecs::songInfoText(info.title);
            platform::codecs::setSongInfoText(info.title, QString::fromUtf8("Neue Folge – 3"));
            return confirm;
        };
        const QString target = folder + (confirm ? "/yes.wav" : "/no.wav");
        platform::FileDialogResult chosen;
        chosen.accepted = true;
        chosen.files = {target};
        ui.expectSaveFile(chosen, "Save Voice Track As");
        QString last;
        ASSERT_TRUE(SaveTrack(services, TrackSide::Voice, track, last));
        EXPECT_EQ(asked, "Old title");
        const QString kept = confirm ? QString::fromUtf8("Neue Folge – 3") : QStringLiteral("Old title");
        EXPECT_EQ(platform::codecs::songInfoText(track.songInfo.title), kept);
        TID3InfoRecord written = platform::codecs::emptySongInfo();
        EXPECT_EQ(ReadWavId3Chunk(target, written), confirm ? 0 : kNoWavTagCode);
        if (confirm)
            EXPECT_EQ(platform::codecs::songInfoText(written.title), kept);
    }
}

} // namespace
