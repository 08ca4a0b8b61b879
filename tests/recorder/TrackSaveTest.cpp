// The format step and the save of one track without a window: which targets are written and how
// the codes come back, the name the save dialog proposes, and saves that must not start.
#include "recorder/TrackSave.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

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
// are refused with a plain message; anything else is 484, a missing source 184, and nothing is
// written for any of them.
TEST_F(TrackSaveTest, FormatStepByTargetExtension)
{
    const struct {
        const char* target;
        bool sourceThere;
        int code;
        const char* message; // shown by the step itself
    } cases[] = {
        {"show.wav", true, 0, ""},
        {"show.WAV", true, 0, ""},
        {"show.mp3", true, SaveCode::FormatNotAvailable, "MP3 or WMA is not available yet"},
        {"show.Wma", true, SaveCode::FormatNotAvailable, "MP3 or WMA is not available yet"},
        {"show.ogg", true, SaveCode::BadExtension, ""},
        {"show", true, SaveCode::BadExtension, ""},
        {"absent.wav", false, SaveCode::SourceMissing, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const QString target = folder + "/" + c.target;
        QFile::remove(target);
        if (*c.message)
            ui.expectMessageBox(platform::IDOK, QString::fromLatin1(c.message));
        progress.shown.clear();
        EXPECT_EQ(ConvertWaveToTarget(services, c.sourceThere ? source : folder + "/absent.tmp", target), c.code);
        EXPECT_TRUE(ui.allConsumed());
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

} // namespace
