// Saving and reverting documents without the windows: which files end up on disk and in which
// state the document is left, for each save state and each answer of the save dialog; the user's
// file kept whole when the save fails or is cancelled; MP3 saves read back by ffprobe; the dialog's
// folder; revert.
#include "editor/DocumentSave.h"

#include "editor/ID3v1.h"
#include "editor/ID3v2.h"

#include "common/EditorMessages.h"
#include "common/JobRunner.h"
#include "platform/codecs/Kestrune.h"
#include "platform/codecs/TagFile.h"
#include "platform/settings/MemorySettingsStore.h"
#include "platform/ui/Messages.h"
#include "tests/common/JobTestSupport.h"
#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <optional>

using testsupport::hashOf;
using testsupport::readFile;
using testsupport::ScriptedInteraction;

namespace {

enum class Dialog { None, Cancel, Wave, Mp3 };

class DocumentSaveTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QDir().mkpath(temp));
        ASSERT_TRUE(QDir().mkpath(music));
    }
    void TearDown() override { EXPECT_TRUE(interaction.allConsumed()); }

    // A tone by sox: the user's file, or (with another frequency) the edited working file.
    QString tone(const QString& path, int frequency, double seconds = 0.5)
    {
        EXPECT_EQ(testsupport::runSox({"-n", "-r", "8000", "-c", "1", "-b", "16", "-t", "wav", path, "synth",
                                       QString::number(seconds), "sine", QString::number(frequency)})
                      .exitCode,
                  0);
        return path;
    }

    TDocumentRecord document(SaveState state, SourceKind kind = SourceKind::Wave)
    {
        TDocumentRecord d;
        d.saveState = state;
        d.sourceKind = kind;
        d.waveFormat = makePcmFormat(8000, 16, 1);
        d.documentFile = state == SaveState::Untitled ? QStringLiteral("Untitled1.wav") : folder + "/song.wav";
        d.workingFile = tone(temp + "/work.tmp", 880);
        d.undoFile = temp + "/undo.tmp";
        d.redoFile = temp + "/redo.tmp";
        testsupport::writeFile(d.undoFile, "undo");
        if (state != SaveState::Untitled)
            tone(d.documentFile, 440);
        return d;
    }

    void answer(Dialog dialog, const QString& name)
    {
        if (dialog == Dialog::None)
            return;
        platform::FileDialogResult result;
        result.accepted = dialog != Dialog::Cancel;
        result.files = {folder + "/" + name};
        result.filterIndex = dialog == Dialog::Mp3 ? 2 : 1;
        interaction.expectSaveFile(result);
    }

    DocumentSaver saver(CopyFunction copy = CopyScratchFileWithProgress)
    {
        return DocumentSaver({messages, settings, runner, [this] { return music; },
                              [this](TDocumentRecord&) { return workingReady; }, std::move(copy)});
    }

    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QString folder = testsupport::testFolder() + "/docs";
    QString temp = testsupport::testFolder() + "/temp";
    QString music = testsupport::testFolder() + "/Music";
    ScriptedInteraction interaction;
    platform::Messages messages = makeEditorMessages(interaction);
    platform::MemorySettingsStore settings;
    jobtest::ScriptedProgressHost progress;
    JobRunner runner{progress};
    bool workingReady = true;
};

// Every save road of a WAV document, from the state it is in and the answer of the dialog, to the
// files in its folder and the state it is left in. The user's file is replaced only by a whole new
// one, and nothing else is left in the folder.
TEST_F(DocumentSaveTest, SaveRoadsLeaveTheFilesAndStatesOfTheTable)
{
    const CopyFunction fullDisk = [](const QString&, const QString&, std::atomic<int32_t>&,
                                     const std::atomic<int32_t>&) { return 153; };
    struct Case {
        const char* name;
        SaveState state;
        SaveMode mode;
        Dialog dialog;
        QString typed;
        bool diskFull;
        int result;
        SaveState after;
        QString file;        // the document file afterwards ("song.wav" in the folder when titled)
        QStringList onDisk;  // the folder's files afterwards
        bool savedIsWorking; // the document file holds the working file's audio
    };
    const std::vector<Case> cases = {
        {"unchanged: nothing to save", SaveState::Unchanged, SaveMode::Save, Dialog::None, {}, false, 0,
         SaveState::Unchanged, "song.wav", {"song.wav"}, false},
        {"modified: over its file", SaveState::Modified, SaveMode::Save, Dialog::None, {}, false, 0,
         SaveState::Unchanged, "song.wav", {"song.wav"}, true},
        {"modified, the disk full: 146, the file kept", SaveState::Modified, SaveMode::Save, Dialog::None, {}, true,
         kCannotSaveFile, SaveState::Modified, "song.wav", {"song.wav"}, false},
        {"untitled, dialog cancelled", SaveState::Untitled, SaveMode::Save, Dialog::Cancel, "take", false, 129,
         SaveState::Untitled, "Untitled1.wav", {}, false},
        {"untitled, a name without extension", SaveState::Untitled, SaveMode::Save, Dialog::Wave, "take", false, 0,
         SaveState::Unchanged, "take.wav", {"take.wav"}, true},
        {"save as, the extension in capitals", SaveState::Modified, SaveMode::SaveAs, Dialog::Wave, "copy.WAV", false,
         0, SaveState::Unchanged, "copy.WAV", {"copy.WAV", "song.wav"}, true},
        {"save as of an unchanged one", SaveState::Unchanged, SaveMode::SaveAs, Dialog::Wave, "copy", false, 0,
         SaveState::Unchanged, "copy.wav", {"copy.wav", "song.wav"}, true},
        {"save as cancelled", SaveState::Modified, SaveMode::SaveAs, Dialog::Cancel, "copy", false, 129,
         SaveState::Modified, "song.wav", {"song.wav"}, false},
        {"save as, the disk full", SaveState::Modified, SaveMode::SaveAs, Dialog::Wave, "copy", true,
         kCannotSaveFile, SaveState::Modified, "song.wav", {"song.wav"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        TDocumentRecord d = document(c.state);
        const QByteArray before = c.state == SaveState::Untitled ? QByteArray() : hashOf(d.documentFile);
        answer(c.dialog, c.typed);
        DocumentSaver save = saver(c.diskFull ? fullDisk : CopyFunction(CopyScratchFileWithProgress));
        EXPECT_EQ(save.save(d, c.mode), c.result);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(d.saveState, c.after);
        EXPECT_EQ(QFileInfo(d.documentFile).fileName(), c.file);
        EXPECT_EQ(files(), c.onDisk);
        if (c.savedIsWorking) {
            EXPECT_EQ(hashOf(d.documentFile), hashOf(d.workingFile));
        } else if (c.state != SaveState::Untitled) {
            EXPECT_EQ(hashOf(folder + "/song.wav"), before);
        }
    }
}

// A WAV whose working copy is not there is saved from its own file; the song information of the
// user's file survives edits, which write WAVs without it.
TEST_F(DocumentSaveTest, TheSongInformationOfTheFileGoesWithTheSave)
{
    TDocumentRecord d = document(SaveState::Modified);
    editor::TID3v2 tag;
    tag.SetTitle(QStringLiteral("Episode Seven"));
    tag.SetArtist(QStringLiteral("Ana Ruiz"));
    ASSERT_EQ(platform::codecs::writeWaveTagChunk(d.documentFile, tag.TagBytes()), 0);
    answer(Dialog::Wave, "copy");
    ASSERT_EQ(saver().save(d, SaveMode::SaveAs), 0);
    const std::optional<QByteArray> chunk = platform::codecs::readWaveTagChunk(folder + "/copy.wav");
    ASSERT_TRUE(chunk.has_value());
    editor::TID3v2 back;
    ASSERT_TRUE(back.ReadFromBytes(*chunk));
    EXPECT_EQ(back.Title(), QStringLiteral("Episode Seven"));
    EXPECT_EQ(back.Artist(), QStringLiteral("Ana Ruiz"));
    EXPECT_EQ(wavefixtures::soxWaveInfo(folder + "/copy.wav", false).frames,
              wavefixtures::soxWaveInfo(d.workingFile, false).frames);

    // Without its working copy the audio comes from the document file.
    workingReady = false;
    TDocumentRecord other = document(SaveState::Modified);
    answer(Dialog::Wave, "again");
    ASSERT_EQ(saver().save(other, SaveMode::SaveAs), 0);
    EXPECT_EQ(hashOf(folder + "/again.wav"), hashOf(folder + "/song.wav"));
}

// A folder that takes no files refuses the save with 146 and gets nothing; the document stays as
// it was.
TEST_F(DocumentSaveTest, AFolderThatCannotBeWrittenGives146)
{
    const QString locked = testsupport::testFolder() + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QStringList targets = {QStringLiteral("/proc/song.wav"), QStringLiteral("/proc/song.mp3")};
    // Root writes into a locked folder all the same.
    if (!QFileInfo(locked).isWritable())
        targets << locked + "/song.wav" << locked + "/song.mp3";
    ASSERT_EQ(platform::codecs::FindLAMEEncoder(QStringLiteral(VA_PROGRAM_BIN)), 0);
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        TDocumentRecord d = document(SaveState::Modified);
        platform::FileDialogResult result;
        result.accepted = true;
        result.files = {target};
        result.filterIndex = target.endsWith(".mp3") ? 2 : 1;
        interaction.expectSaveFile(result);
        EXPECT_EQ(saver().save(d, SaveMode::SaveAs), kCannotSaveFile);
        EXPECT_EQ(d.saveState, SaveState::Modified);
        EXPECT_EQ(d.documentFile, folder + "/song.wav");
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    EXPECT_TRUE(QDir(locked).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// The first dialog opens in the music folder; later ones where the last file was saved.
TEST_F(DocumentSaveTest, TheDialogStartsWhereTheLastSaveWent)
{
    TDocumentRecord d = document(SaveState::Modified);
    answer(Dialog::Wave, "one");
    ASSERT_EQ(saver().save(d, SaveMode::SaveAs), 0);
    const QString other = testsupport::testFolder() + "/other";
    ASSERT_TRUE(QDir().mkpath(other));
    platform::FileDialogResult result;
    result.accepted = true;
    result.files = {other + "/two.wav"};
    interaction.expectSaveFile(result);
    ASSERT_EQ(saver().save(d, SaveMode::SaveAs), 0);
    answer(Dialog::Cancel, "three");
    EXPECT_EQ(saver().save(d, SaveMode::SaveAs), 129);

    std::vector<platform::FileDialogRequest> asked;
    for (const ScriptedInteraction::Prompt& prompt : interaction.prompts())
        asked.push_back(prompt.request);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].initialFolder, music);
    EXPECT_EQ(asked[0].fileName, QStringLiteral("song"));
    EXPECT_EQ(asked[1].initialFolder, folder);
    EXPECT_EQ(asked[1].fileName, QStringLiteral("one"));
    EXPECT_EQ(asked[2].initialFolder, other);
    EXPECT_EQ(asked[0].filter, QString::fromLatin1(kSaveFilter));
    EXPECT_EQ(asked[0].defaultExtension, QStringLiteral("wav"));
}

// The dialog asks before replacing the name the user typed; the extension added afterwards may
// name another file that exists, and the user is asked about that one before it is replaced. No
// cancels the save and leaves that file as it was.
TEST_F(DocumentSaveTest, AnExistingFileNamedByTheAddedExtensionIsReplacedOnlyWhenTheUserSaysSo)
{
    struct Case {
        const char* name;
        QString typed;
        std::optional<int> answer; // the question's answer; none when nothing is to be asked
        int result;
        QString file;              // the document file afterwards
        bool replaced;             // the file the extension names holds the working file's audio
    };
    const std::vector<Case> cases = {
        {"no: cancelled", "song", platform::IDNO, 129, "song.wav", false},
        {"yes: replaced", "song", platform::IDYES, 0, "song.wav", true},
        {"a new name asks nothing", "other", std::nullopt, 0, "other.wav", false},
        {"the dialog asked for the name typed", "song.wav", std::nullopt, 0, "song.wav", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        TDocumentRecord d = document(SaveState::Modified);
        d.documentFile = tone(folder + "/episode.wav", 440);
        tone(folder + "/song.wav", 330);
        const QByteArray before = hashOf(folder + "/song.wav");
        answer(Dialog::Wave, c.typed);
        if (c.answer)
            interaction.expectMessageBox(*c.answer, QDir::toNativeSeparators(folder + "/song.wav") + " already exists");
        EXPECT_EQ(saver().save(d, SaveMode::SaveAs), c.result);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(QFileInfo(d.documentFile).fileName(), c.result == 0 ? c.file : QStringLiteral("episode.wav"));
        EXPECT_EQ(d.saveState, c.result == 0 ? SaveState::Unchanged : SaveState::Modified);
        if (c.replaced)
            EXPECT_EQ(hashOf(folder + "/song.wav"), hashOf(d.workingFile));
        else
            EXPECT_EQ(hashOf(folder + "/song.wav"), before);
    }

    // The same for an MP3 typed without its extension.
    ASSERT_EQ(platform::codecs::FindLAMEEncoder(QStringLiteral(VA_PROGRAM_BIN)), 0);
    TDocumentRecord d = document(SaveState::Modified);
    const QByteArray mp3 = QByteArray("an MP3 the user keeps");
    testsupport::writeFile(folder + "/show.mp3", mp3);
    answer(Dialog::Mp3, "show");
    interaction.expectMessageBox(platform::IDNO, "show.mp3 already exists");
    EXPECT_EQ(saver().save(d, SaveMode::SaveAs), 129);
    EXPECT_EQ(readFile(folder + "/show.mp3"), mp3);
    EXPECT_EQ(d.documentFile, folder + "/song.wav");
}

class Mp3SaveTest : public DocumentSaveTest {
protected:
    void SetUp() override
    {
        DocumentSaveTest::SetUp();
        ASSERT_EQ(platform::codecs::FindLAMEEncoder(QStringLiteral(VA_PROGRAM_BIN)), 0);
    }
};

// A WAV saved as MP3 is an MP3 that ffprobe reads with the working file's rate, channels and
// length and the document's song information, at the highest usual rate the encoder takes for it;
// saving the MP3 document again encodes at its bit rate over the file, keeping its tag.
TEST_F(Mp3SaveTest, SavedMp3sAreReadBackByFfprobe)
{
    TDocumentRecord d = document(SaveState::Modified);
    editor::TID3v2 tag;
    tag.SetTitle(QStringLiteral("Pilot"));
    ASSERT_EQ(platform::codecs::writeWaveTagChunk(d.documentFile, tag.TagBytes()), 0);
    tone(d.workingFile, 660, 2.0);
    answer(Dialog::Mp3, "pilot");
    ASSERT_EQ(saver().save(d, SaveMode::SaveAs), 0);
    EXPECT_EQ(d.documentFile, folder + "/pilot.mp3");
    EXPECT_EQ(d.sourceKind, SourceKind::Mp3);
    QJsonObject probe = codecfixtures::ffprobe(d.documentFile);
    QJsonObject stream = probe["stream"].toObject();
    // The encoder takes less than the usual rate at 8 kHz: the highest it takes below it.
    EXPECT_LE(d.sourceBitRate, int32_t(kDefaultMp3BitRate));
    EXPECT_EQ(stream["bit_rate"].toString().toInt(), d.sourceBitRate * 1000);
    EXPECT_EQ(stream["codec_name"].toString(), QStringLiteral("mp3"));
    EXPECT_EQ(stream["sample_rate"].toString(), QStringLiteral("8000"));
    EXPECT_EQ(stream["channels"].toInt(), 1);
    // The encoder's delay and last frame add up to a fifth of a second at this rate.
    const auto duration = [&probe] { return probe["format"].toObject()["duration"].toString().toDouble(); };
    EXPECT_GE(duration(), 2.0);
    EXPECT_LT(duration(), 2.3);
    EXPECT_EQ(probe["format"].toObject()["tags"].toObject()["title"].toString(), QStringLiteral("Pilot"));
    editor::TID3v1 old;
    ASSERT_TRUE(old.ReadFromFile(d.documentFile));
    EXPECT_TRUE(old.Exists());
    EXPECT_EQ(old.Title(), QStringLiteral("Pilot"));

    // Edited again and saved over the MP3 at 32 kbit/s.
    d.saveState = SaveState::Modified;
    d.sourceBitRate = 32;
    tone(d.workingFile, 660, 1.0);
    ASSERT_EQ(saver().save(d, SaveMode::Save), 0);
    probe = codecfixtures::ffprobe(d.documentFile);
    EXPECT_GE(duration(), 1.0);
    EXPECT_LT(duration(), 1.3);
    EXPECT_EQ(probe["stream"].toObject()["bit_rate"].toString(), QStringLiteral("32000"));
    EXPECT_EQ(probe["format"].toObject()["tags"].toObject()["title"].toString(), QStringLiteral("Pilot"));
    EXPECT_EQ(files(), QStringList({"pilot.mp3", "song.wav"}));
}

// Cancelling the encoding leaves the MP3 the user had, and no part of the new one.
TEST_F(Mp3SaveTest, ACancelledMp3SaveKeepsTheOldFile)
{
    TDocumentRecord d = document(SaveState::Modified, SourceKind::Mp3);
    d.documentFile = codecfixtures::lameTone(folder + "/song.mp3", 1.0, 8000, 1, 32);
    QFile::remove(folder + "/song.wav");
    d.sourceBitRate = 32;
    tone(d.workingFile, 660, 300.0);
    const QByteArray before = hashOf(d.documentFile);
    progress.pressCancelAt = [](int tick) { return tick == 3; };
    EXPECT_EQ(saver().save(d, SaveMode::Save), 129);
    EXPECT_EQ(d.saveState, SaveState::Modified);
    EXPECT_EQ(hashOf(d.documentFile), before);
    EXPECT_EQ(files(), QStringList({"song.mp3"}));
}

// Without the encoder library an MP3 cannot be saved: the user is told so and nothing is written.
TEST_F(DocumentSaveTest, WithoutTheEncoderNoMp3IsWritten)
{
    const QString empty = testsupport::testFolder();
    ASSERT_NE(platform::codecs::FindLAMEEncoder(empty), 0);
    TDocumentRecord d = document(SaveState::Modified);
    answer(Dialog::Mp3, "song");
    interaction.expectMessageBox(platform::IDOK, "MP3 encoder");
    EXPECT_EQ(saver().save(d, SaveMode::SaveAs), 129);
    EXPECT_EQ(d.saveState, SaveState::Modified);
    EXPECT_EQ(files(), QStringList({"song.wav"}));
}

// Revert copies the user's file over the working file, reads its length again and leaves nothing
// to undo.
TEST_F(DocumentSaveTest, RevertBringsBackTheFile)
{
    TDocumentRecord d = document(SaveState::Modified);
    tone(d.documentFile, 440, 0.25);
    d.info.lengthMs = 500;
    EXPECT_EQ(saver().revert(d), 0);
    EXPECT_EQ(hashOf(d.workingFile), hashOf(d.documentFile));
    EXPECT_EQ(d.saveState, SaveState::Unchanged);
    EXPECT_EQ(d.info.lengthMs, 250u);
    EXPECT_EQ(QFileInfo(d.undoFile).size(), 0);

    // A document file gone since: 142, the working file untouched.
    tone(d.workingFile, 880);
    const QByteArray working = hashOf(d.workingFile);
    d.saveState = SaveState::Modified;
    QFile::remove(d.documentFile);
    EXPECT_EQ(saver().revert(d), kCannotRevert);
    EXPECT_EQ(hashOf(d.workingFile), working);
    EXPECT_EQ(d.saveState, SaveState::Modified);

    // A document file that is there but no longer a WAV that can be read: 142 as well, and the
    // edits, undo included, are still there.
    testsupport::writeFile(d.documentFile, "RIFF and nothing of a wave after it");
    testsupport::writeFile(d.undoFile, "undo");
    EXPECT_EQ(saver().revert(d), kCannotRevert);
    EXPECT_EQ(hashOf(d.workingFile), working);
    EXPECT_EQ(d.saveState, SaveState::Modified);
    EXPECT_EQ(readFile(d.undoFile), QByteArray("undo"));
}

} // namespace
