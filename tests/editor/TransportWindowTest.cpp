// The editor's transport in the main window on the virtual sound backend: the roads between
// stopped, playing, paused and recording by buttons and keys, the end of a playback, seeking,
// recording into a new document and into a document at the caret (checked by sox), the level
// meters and clip lamps, an input that goes away during a take, and the level test in the format
// the user chose; the mixer's sliders on the mixer in memory.
#include "tests/editor/TransportWindow.h"

#include "editor/ErrCodes.h"

#include "common/WaveUtil.h"
#include "platform/audio/FakeMixerBackend.h"
#include "platform/audio/VirtualBackend.h"

#include <QSlider>

#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using transporttest::TransportWindow;

class TransportWindowTest : public TransportWindow<platform::audio::VirtualBackend> {
protected:
    void SetUp() override
    {
        TransportWindow::SetUp();
        backend.setPeriod(100);
        engine.SetTempPath(temp);
    }

    bool outputOpen() const
    {
        const int n = backend.outputStreamCount();
        return n > 0 && backend.outputOpen(n - 1);
    }
    bool outputPaused() const { return outputOpen() && backend.outputPaused(backend.outputStreamCount() - 1); }
    bool inputOpen() const
    {
        const int n = backend.inputStreamCount();
        return n > 0 && backend.inputOpen(n - 1);
    }
    static bool eventually(const std::function<bool()>& condition, int ms = 5000)
    {
        return QTest::qWaitFor(condition, ms);
    }
    // The 16-bit mono samples of a WAV as sox reads them.
    static std::vector<int16_t> samplesOf(const QString& path)
    {
        const wavefixtures::WaveInfo info = wavefixtures::soxWaveInfo(path);
        std::vector<int16_t> samples(size_t(info.samples.size()) / 2);
        std::memcpy(samples.data(), info.samples.constData(), samples.size() * 2);
        return samples;
    }
};

enum class Act { Play, Pause, Stop, Record, Space, Escape, AltP, AltR };

struct RoadCase {
    const char* name;
    TransportState from;
    Act act;
    TransportState expected;
    bool outputOpen;
    bool outputPaused;
    bool inputOpen;
};

// Each road from a state by a button or a key, on a document with audio: the state the window is
// in afterwards and the streams the engine has open.
TEST_F(TransportWindowTest, RoadsBetweenTheStates)
{
    using S = TransportState;
    const RoadCase cases[] = {
        {"play", S::Stopped, Act::Play, S::Playing, true, false, false},
        {"space plays", S::Stopped, Act::Space, S::Playing, true, false, false},
        {"alt+p plays", S::Stopped, Act::AltP, S::Playing, true, false, false},
        {"escape while stopped", S::Stopped, Act::Escape, S::Stopped, false, false, false},
        {"record", S::Stopped, Act::Record, S::Recording, false, false, true},
        {"alt+r records", S::Stopped, Act::AltR, S::Recording, false, false, true},
        {"pause", S::Playing, Act::Pause, S::Paused, true, true, false},
        {"alt+p pauses", S::Playing, Act::AltP, S::Paused, true, true, false},
        {"stop", S::Playing, Act::Stop, S::Stopped, false, false, false},
        {"space stops", S::Playing, Act::Space, S::Stopped, false, false, false},
        {"escape stops", S::Playing, Act::Escape, S::Stopped, false, false, false},
        {"no recording while playing", S::Playing, Act::Record, S::Playing, true, false, false},
        {"alt+r while playing", S::Playing, Act::AltR, S::Playing, true, false, false},
        {"pause again resumes", S::Paused, Act::Pause, S::Playing, true, false, false},
        {"alt+p resumes", S::Paused, Act::AltP, S::Playing, true, false, false},
        {"stop while paused", S::Paused, Act::Stop, S::Stopped, false, false, false},
        {"space while paused stops", S::Paused, Act::Space, S::Stopped, false, false, false},
        {"stop recording", S::Recording, Act::Stop, S::Stopped, false, false, false},
        {"record again stops", S::Recording, Act::Record, S::Stopped, false, false, false},
        {"escape stops the recording", S::Recording, Act::Escape, S::Stopped, false, false, false},
        {"alt+r stops the recording", S::Recording, Act::AltR, S::Stopped, false, false, false},
        {"no playback while recording", S::Recording, Act::Play, S::Recording, false, false, true},
        {"space while recording", S::Recording, Act::Space, S::Recording, false, false, true},
    };
    makeWindow();
    open(tone("song.wav", 1.0));
    const auto act = [&](Act a) {
        const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(display(), k, m); };
        switch (a) {
        case Act::Play: click("PlayButton"); break;
        case Act::Pause: click("PauseButton"); break;
        case Act::Stop: click("StopButton"); break;
        case Act::Record: click("StartStopRecordingButton"); break;
        case Act::Space: key(Qt::Key_Space); break;
        case Act::Escape: key(Qt::Key_Escape); break;
        case Act::AltP: key(Qt::Key_P, Qt::AltModifier); break;
        case Act::AltR: key(Qt::Key_R, Qt::AltModifier); break;
        }
    };
    for (const RoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(window->transportState(), S::Stopped);
        display()->setFocus();
        // Into the state the road starts from; a recording into the document asks first.
        if (c.from == S::Playing || c.from == S::Paused)
            act(Act::Play);
        if (c.from == S::Paused)
            act(Act::Pause);
        const bool recordAsked = c.from == S::Recording || c.expected == S::Recording;
        if (recordAsked)
            interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
        if (c.from == S::Recording)
            act(Act::Record);
        ASSERT_EQ(window->transportState(), c.from);

        act(c.act);
        EXPECT_EQ(window->transportState(), c.expected);
        EXPECT_EQ(outputOpen(), c.outputOpen);
        EXPECT_EQ(outputPaused(), c.outputPaused);
        EXPECT_EQ(inputOpen(), c.inputOpen);
        EXPECT_TRUE(interaction.allConsumed());
        // Back to stopped for the next road; an empty take changes nothing.
        if (window->transportState() != S::Stopped)
            act(Act::Stop);
        ASSERT_EQ(window->transportState(), S::Stopped);
        EXPECT_EQ(document()->saveState, SaveState::Unchanged);
    }
}

// A playback that reaches the end puts the caret there; one of a selection ends with the caret at
// the selection's end, the selection kept; the buttons and the podcast items come back as they
// were.
TEST_F(TransportWindowTest, PlaybackToTheEnd)
{
    makeWindow();
    open(tone("song.wav", 1.0));
    const bool podcast = named<QAction>("SaveAsPodcastMenu")->isEnabled();
    const bool upload = named<QAction>("UploadPodcastMenu")->isEnabled();
    click("PlayButton");
    // The keys go on reaching the window, not the button clicked.
    EXPECT_EQ(window->focusWidget(), display());
    EXPECT_FALSE(named<QAction>("SaveAsPodcastMenu")->isEnabled());
    EXPECT_FALSE(named("PlayButton")->isVisible());
    EXPECT_TRUE(named("PauseButton")->isVisible());
    backend.advance(4000);
    ASSERT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == 4000; }));
    backend.advance(5000);
    ASSERT_TRUE(eventually([&] { return window->transportState() == TransportState::Stopped; }));
    EXPECT_EQ(display()->CaretPositionBySamples(), 8000u);
    EXPECT_EQ(positionText(), QStringLiteral("000:01:000"));
    EXPECT_TRUE(named("PlayButton")->isVisible());
    EXPECT_FALSE(named("PauseButton")->isVisible());
    EXPECT_FALSE(named("StopButton")->isEnabled());
    // The podcast items the playback took away are back.
    EXPECT_EQ(named<QAction>("SaveAsPodcastMenu")->isEnabled(), podcast);
    EXPECT_EQ(named<QAction>("UploadPodcastMenu")->isEnabled(), upload);

    display()->SetSelection(2000, 4000);
    click("PlayButton");
    backend.advance(1000);
    ASSERT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == 3000; }));
    // The selection is still shown while it plays.
    EXPECT_EQ(display()->SelectionStartPos(), 2000u);
    backend.advance(3000);
    ASSERT_TRUE(eventually([&] { return window->transportState() == TransportState::Stopped; }));
    EXPECT_EQ(display()->CaretPositionBySamples(), 4000u);
    EXPECT_EQ(display()->SelectionStartPos(), 2000u);
    EXPECT_EQ(display()->SelectionEndPos(), 4000u);
}

// Closing the document stops its playback: nothing plays a file that is gone, and no transport
// button is left on without a document.
TEST_F(TransportWindowTest, ClosingTheDocumentStopsItsPlayback)
{
    makeWindow();
    open(tone("song.wav", 1.0));
    click("PlayButton");
    backend.advance(1000);
    named<QAction>("FileCloseMenu")->trigger();
    EXPECT_EQ(document(), nullptr);
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(outputOpen());
    for (const char* button : {"PlayButton", "PlayFromStartButton", "StopButton", "FastForwardButton"})
        EXPECT_FALSE(named(button)->isEnabled()) << button;
}

// Forward and rewind move by 5 % of the file while it plays; forward near the end stops the
// playback rather than seeking past it.
TEST_F(TransportWindowTest, ForwardAndRewind)
{
    makeWindow();
    open(tone("song.wav", 1.0));
    click("PlayButton");
    click("FastForwardButton");
    EXPECT_EQ(display()->CaretPositionBySamples(), 400u);
    click("FastForwardButton");
    EXPECT_EQ(display()->CaretPositionBySamples(), 800u);
    click("RewindButton");
    EXPECT_EQ(display()->CaretPositionBySamples(), 400u);
    backend.advance(200);
    ASSERT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == 600; }));
    click("SkipToStartButton");
    EXPECT_EQ(display()->CaretPositionBySamples(), 0u);
    EXPECT_EQ(window->transportState(), TransportState::Playing);
    backend.advance(7700);
    ASSERT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == 7700; }));
    click("FastForwardButton");
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(outputOpen());
}

// A paused playback seeks as a running one: the seek buttons move the player, and the playback
// resumes from where they put it; a seek to the end of what is played stops it.
TEST_F(TransportWindowTest, SeekingWhilePausedMovesThePlayback)
{
    struct Case {
        const char* name;
        uint32_t selectionStart, selectionEnd; // played, when not empty
        int played;                            // frames heard before the pause
        const char* button;
        uint32_t caret;                        // after the seek; the playback stopped when 0 and stops is set
        bool stops;
    };
    const Case cases[] = {
        {"forward", 0, 0, 1000, "FastForwardButton", 1400, false},
        {"rewind", 0, 0, 1000, "RewindButton", 600, false},
        {"skip to start", 0, 0, 1000, "SkipToStartButton", 0, false},
        {"skip to the selection's start", 3000, 5000, 1000, "SkipToStartButton", 3000, false},
        {"forward past the end", 0, 0, 7700, "FastForwardButton", 8000, true},
        {"skip to end", 0, 0, 1000, "SkipToEndButton", 8000, true},
    };
    makeWindow();
    open(tone("song.wav", 1.0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        display()->setCaretPositionBySamples(0);
        display()->SetSelection(c.selectionStart, c.selectionEnd);
        click("PlayButton");
        backend.advance(c.played);
        const uint32_t heard = c.selectionStart + uint32_t(c.played);
        ASSERT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == heard; }));
        click("PauseButton");
        ASSERT_EQ(window->transportState(), TransportState::Paused);
        click(c.button);
        if (c.stops) {
            EXPECT_EQ(window->transportState(), TransportState::Stopped);
            EXPECT_FALSE(outputOpen());
            continue;
        }
        EXPECT_EQ(display()->CaretPositionBySamples(), c.caret);
        EXPECT_EQ(engine.AudioGetPosition(kPositionFrames), int64_t(c.caret));
        click("PauseButton");
        ASSERT_EQ(window->transportState(), TransportState::Playing);
        backend.advance(100);
        EXPECT_TRUE(eventually([&] { return display()->CaretPositionBySamples() == c.caret + 100; }))
            << display()->CaretPositionBySamples();
        click("StopButton");
        ASSERT_EQ(window->transportState(), TransportState::Stopped);
    }
}

// Revert during a playback stops it before the working file is replaced, and the file's audio is
// back.
TEST_F(TransportWindowTest, RevertStopsThePlaybackFirst)
{
    makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(song);
    const std::vector<int16_t> before = samplesOf(song);
    // A take inserted changes the document.
    interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
    click("StartStopRecordingButton");
    backend.advance(500);
    click("StopButton");
    ASSERT_TRUE(eventually([&] { return display()->TotalSamples() == 8500; }));
    ASSERT_EQ(document()->saveState, SaveState::Modified);
    display()->SetSelection(0, 0);
    click("PlayButton");
    backend.advance(1000);
    ASSERT_EQ(window->transportState(), TransportState::Playing);
    named<QAction>("FileRevertMenu")->trigger();
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(outputOpen());
    ASSERT_TRUE(eventually([&] { return display()->TotalSamples() == 8000; }));
    EXPECT_EQ(samplesOf(document()->workingFile), before);
    EXPECT_EQ(document()->saveState, SaveState::Unchanged);
}

// File > Close during a recording stops it, the take going into the document, which is then
// closed as any changed one: Cancel keeps it open, No closes it.
TEST_F(TransportWindowTest, CloseStopsTheRecordingFirst)
{
    makeWindow();
    open(tone("song.wav", 1.0));
    interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    backend.advance(500);
    interaction.expectMessageBox(platform::IDCANCEL, "has changed");
    named<QAction>("FileCloseMenu")->trigger();
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(inputOpen());
    ASSERT_NE(document(), nullptr);
    EXPECT_EQ(display()->TotalSamples(), 8500u);
    EXPECT_FALSE(named<QAction>("SaveAsPodcastMenu")->isEnabled());

    interaction.expectMessageBox(platform::IDNO, "has changed");
    named<QAction>("FileCloseMenu")->trigger();
    EXPECT_EQ(document(), nullptr);
}

// Stop, clicked during a playback and during a recording, leaves the focus on the display, where
// the transport keys reach the window.
TEST_F(TransportWindowTest, StopLeavesTheFocusOnTheDisplay)
{
    makeWindow();
    open(tone("song.wav", 1.0));
    for (const bool recording : {false, true}) {
        SCOPED_TRACE(recording ? "recording" : "playing");
        if (recording)
            interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
        click(recording ? "StartStopRecordingButton" : "PlayButton");
        backend.advance(100);
        click("StopButton");
        EXPECT_EQ(window->transportState(), TransportState::Stopped);
        EXPECT_EQ(window->focusWidget(), display());
    }
}

// Record without a document makes one in the format chosen, records into it and shows the take.
TEST_F(TransportWindowTest, RecordingIntoANewDocument)
{
    makeWindow();
    backend.setInputSine(500, 0.5);
    click("StartStopRecordingButton");
    EXPECT_EQ(formatQuestions, 1);
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    EXPECT_TRUE(named("RecordingLabel")->isVisible());
    EXPECT_FALSE(named("PlayButton")->isEnabled());
    backend.advance(4000);
    ASSERT_TRUE(eventually([&] { return positionText() == QStringLiteral("000:00:500"); }));
    click("StopButton");
    ASSERT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(named("RecordingLabel")->isVisible());

    const wavefixtures::WaveInfo take = wavefixtures::soxWaveInfo(document()->workingFile);
    EXPECT_EQ(take.rate, 8000);
    EXPECT_EQ(take.channels, 1);
    EXPECT_EQ(take.frames, 4000);
    EXPECT_EQ(display()->TotalSamples(), 4000u);
    EXPECT_EQ(document()->saveState, SaveState::Untitled);
    EXPECT_FALSE(document()->isEmpty());
    EXPECT_TRUE(named<QAction>("FileSaveMenu")->isEnabled());
    EXPECT_TRUE(named<QAction>("SaveAsPodcastMenu")->isEnabled());
    EXPECT_TRUE(named("PlayButton")->isEnabled());
    EXPECT_TRUE(named("StartStopRecordingButton")->isEnabled());
}

// The format chosen with the recording-format button becomes the format of an untitled empty
// document and of what is recorded into it.
TEST_F(TransportWindowTest, RecordingFormatButtonSetsTheFormatOfANewDocument)
{
    makeWindow();
    named<QAction>("FileNewMenu")->trigger();
    ASSERT_NE(document(), nullptr);
    newFormat = makePcmFormat(11025, 8, 2);
    click("RecSettingsButton");
    EXPECT_EQ(document()->waveFormat.samplesPerSec, 11025u);
    backend.setInputSine(500, 0.5);
    click("StartStopRecordingButton");
    backend.advance(1100);
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Stopped);
    const wavefixtures::WaveInfo take = wavefixtures::soxWaveInfo(document()->workingFile);
    EXPECT_EQ(take.rate, 11025);
    EXPECT_EQ(take.bits, 8);
    EXPECT_EQ(take.channels, 2);
    EXPECT_EQ(take.frames, 1100);
}

// Into a document with audio: Yes inserts the take at the caret as an edit that can be undone,
// and selects it; Cancel records nothing; No records into a new document.
TEST_F(TransportWindowTest, RecordingIntoADocumentAtTheCaret)
{
    makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(song);
    const std::vector<int16_t> before = samplesOf(song);
    ASSERT_EQ(before.size(), 8000u);
    display()->setCaretPositionBySamples(2000);

    interaction.expectMessageBox(platform::IDCANCEL, "record in the currently open file");
    click("StartStopRecordingButton");
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_FALSE(inputOpen());

    interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    // A selection made during the take does not move where it goes.
    display()->SetSelection(100, 300);
    backend.advance(1000); // silence
    click("StartStopRecordingButton");
    ASSERT_TRUE(eventually([&] { return display()->TotalSamples() == 9000; }));

    const std::vector<int16_t> after = samplesOf(document()->workingFile);
    ASSERT_EQ(after.size(), 9000u);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 2000, after.begin()));
    EXPECT_TRUE(std::all_of(after.begin() + 2000, after.begin() + 3000, [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::equal(before.begin() + 2000, before.end(), after.begin() + 3000));
    EXPECT_EQ(display()->SelectionStartPos(), 2000u);
    EXPECT_EQ(display()->SelectionEndPos(), 3000u);
    EXPECT_EQ(document()->saveState, SaveState::Modified);
    EXPECT_TRUE(named<QAction>("EditUndoMenu")->isEnabled());
    EXPECT_TRUE(named<QAction>("FileSaveMenu")->isEnabled());
    // The take file is gone: the document's own files are the only WAVs left beside them.
    const QDir workFolder(QFileInfo(document()->workingFile).absolutePath());
    for (const QFileInfo& file : workFolder.entryInfoList(QDir::Files)) {
        const QString path = file.absoluteFilePath();
        if (path != document()->workingFile && path != document()->undoFile && path != document()->redoFile) {
            EXPECT_FALSE(testsupport::readFile(path).startsWith("RIFF")) << path.toStdString();
        }
    }
    named<QAction>("EditUndoMenu")->trigger();
    ASSERT_TRUE(eventually([&] { return display()->TotalSamples() == 8000; }));
    EXPECT_EQ(samplesOf(document()->workingFile), before);

    const QString songWorkingFile = document()->workingFile;
    // No: a new document takes the recording; the changed song is closed for it, unsaved.
    interaction.expectMessageBox(platform::IDNO, "record in the currently open file");
    interaction.expectMessageBox(platform::IDNO, "has changed");
    click("StartStopRecordingButton");
    EXPECT_EQ(formatQuestions, 1);
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    EXPECT_NE(document()->workingFile, songWorkingFile);
    EXPECT_EQ(document()->saveState, SaveState::Untitled);
    backend.advance(500);
    click("StartStopRecordingButton");
    EXPECT_EQ(wavefixtures::soxWaveInfo(document()->workingFile).frames, 500);
}

// A take that cannot be inserted (the disk is full) is not lost: the document stays as it was,
// unchanged, and the take stays in its file, which the user is told about.
TEST_F(TransportWindowTest, ATakeThatCannotBeInsertedIsKept)
{
    makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(song);
    const std::vector<int16_t> before = samplesOf(song);
    interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
    click("StartStopRecordingButton");
    backend.setInputSine(500, 0.5);
    backend.advance(1000);
    {
        // Room for the take and the working file, not for the two together.
        wavefixtures::FileSizeLimit full(17000);
        interaction.expectMessageBox(platform::IDOK);
        interaction.expectMessageBox(platform::IDOK, "It was kept in");
        click("StartStopRecordingButton");
        ASSERT_TRUE(eventually([&] { return interaction.allConsumed(); }));
    }
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_EQ(samplesOf(document()->workingFile), before);
    EXPECT_EQ(document()->saveState, SaveState::Unchanged);
    EXPECT_FALSE(named<QAction>("EditUndoMenu")->isEnabled());
    const QString told = interaction.prompts().back().text;
    const QString take = told.mid(told.indexOf("kept in ") + 8).chopped(1);
    const wavefixtures::WaveInfo kept = wavefixtures::soxWaveInfo(take);
    EXPECT_EQ(kept.frames, 1000) << take.toStdString();
    EXPECT_EQ(kept.rate, 8000);
}

// A take whose file cannot be read is not inserted: message 370, and the file stays where it is
// and the user is told where.
TEST_F(TransportWindowTest, ATakeThatCannotBeReadIsKeptAndItsPlaceTold)
{
    makeWindow();
    const QString song = tone("song.wav", 1.0);
    open(song);
    const std::vector<int16_t> before = samplesOf(song);
    const QDir workFolder(QFileInfo(document()->workingFile).absolutePath());
    const QStringList beforeTake = workFolder.entryList(QDir::Files);
    interaction.expectMessageBox(platform::IDYES, "record in the currently open file");
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    QStringList made = workFolder.entryList(QDir::Files);
    for (const QString& name : beforeTake)
        made.removeAll(name);
    ASSERT_EQ(made.size(), 1) << made.join(' ').toStdString();
    const QString take = workFolder.filePath(made.front());
    // Something else takes the take's name: what is there is no WAV.
    ASSERT_TRUE(QFile::remove(take));
    testsupport::writeFile(take, "not a wave");
    backend.setInputSine(500, 0.5);
    backend.advance(1000);
    interaction.expectMessageBox(platform::IDOK, "Error code 370");
    interaction.expectMessageBox(platform::IDOK, "It was kept in " + take);
    click("StartStopRecordingButton");
    ASSERT_TRUE(eventually([&] { return interaction.allConsumed(); }));
    EXPECT_EQ(window->transportState(), TransportState::Stopped);
    EXPECT_EQ(samplesOf(document()->workingFile), before);
    EXPECT_EQ(testsupport::readFile(take), QByteArray("not a wave"));
}

// The meters show the levels heard; a level above 95 lights its lamp, which goes out 3 s after
// the last such level, and at once when the playback stops.
TEST_F(TransportWindowTest, MetersAndClipLamps)
{
    makeWindow();
    // Full scale for half a second, then silence.
    open(tone("loud.wav", 0.5, 1, 1.0, {"gain", "-n", "pad", "0", "1.5"}));
    const QColor off = lampColor("LeftClipLamp");
    auto* meter = named<controls::TEQMeter>("EQMeter1");
    click("PlayButton");
    // Each poll of the levels sees what was heard since the one before: the clock runs on while
    // the window polls.
    ASSERT_TRUE(eventually([&] {
        backend.advance(20);
        return lampColor("LeftClipLamp") != off && meter->barValue(0) >= 90;
    }));
    // Mono is heard on both sides.
    EXPECT_NE(lampColor("RightClipLamp"), off);
    ASSERT_LT(display()->CaretPositionBySamples(), 3500u);
    QElapsedTimer sinceClip;
    sinceClip.start();
    backend.advance(5000 - display()->CaretPositionBySamples()); // the rest of the loud part, then silence
    ASSERT_TRUE(eventually([&] { return lampColor("LeftClipLamp") == off; }, 6000));
    EXPECT_GE(sinceClip.elapsed(), 2500);
    EXPECT_EQ(lampColor("RightClipLamp"), off);
    EXPECT_EQ(window->transportState(), TransportState::Playing);
    click("StopButton");

    click("PlayFromStartButton");
    ASSERT_TRUE(eventually([&] {
        backend.advance(20);
        return lampColor("LeftClipLamp") != off;
    }));
    click("StopButton");
    EXPECT_EQ(lampColor("LeftClipLamp"), off);
    EXPECT_EQ(meter->barValue(0), 0);
}

// An input that goes away during a take ends it with what was recorded until then, which goes
// into the document; the user is told.
TEST_F(TransportWindowTest, AnInputGoneDuringATakeKeepsTheTake)
{
    makeWindow();
    backend.setInputSine(500, 0.5);
    click("StartStopRecordingButton");
    ASSERT_EQ(window->transportState(), TransportState::Recording);
    backend.advance(3000);
    interaction.expectMessageBox(platform::IDOK,
                                 messages.messageText(editor::PlayerErrorToMessageId(204)).left(20));
    backend.removeDevice(QStringLiteral("virtual-in"));
    ASSERT_TRUE(eventually([&] { return window->transportState() == TransportState::Stopped; }));
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(wavefixtures::soxWaveInfo(document()->workingFile).frames, 3000);
    EXPECT_EQ(display()->TotalSamples(), 3000u);
    EXPECT_FALSE(named("RecordingLabel")->isVisible());
    EXPECT_TRUE(named("StartStopRecordingButton")->isEnabled());
}

// With "Always Test Levels" the level test runs from the start and after a playback, in the format last chosen in the
// recording-format dialog (not a fixed one), and a playback ends it.
TEST_F(TransportWindowTest, LevelTestInTheChosenFormat)
{
    alwaysTestLevels = true;
    makeWindow();
    // The window shown tests the levels at once.
    EXPECT_EQ(window->transportState(), TransportState::LevelTest);
    newFormat = makePcmFormat(8000, 8, 1);
    click("RecSettingsButton");
    open(tone("song.wav", 1.0));
    click("PlayButton");
    click("StopButton");
    ASSERT_EQ(window->transportState(), TransportState::LevelTest);
    ASSERT_TRUE(inputOpen());
    backend.advance(1000);
    // One byte a frame: 8-bit mono.
    EXPECT_EQ(backend.inputAudio(backend.inputStreamCount() - 1).size(), 1000);
    click("PlayButton");
    EXPECT_EQ(window->transportState(), TransportState::Playing);
    EXPECT_FALSE(inputOpen());
}

// The mixer's sliders show the chosen devices' volumes and balance, write what they are moved to,
// and follow changes made elsewhere; a one-channel input is written as one channel.
TEST_F(TransportWindowTest, MixerSliders)
{
    using platform::audio::ChannelSide;
    using platform::audio::MixerDirection;
    constexpr uint32_t Norm = platform::audio::MixerBackend::NormalVolume;
    auto fake = std::make_shared<platform::audio::FakeMixerBackend>();
    const auto add = [&](MixerDirection d, const char* name, const char* description, std::vector<ChannelSide> sides) {
        platform::audio::MixerDevice device;
        device.name = name;
        device.description = description;
        device.sides = std::move(sides);
        fake->addDevice(d, device);
    };
    add(MixerDirection::Output, "out_a", "Speakers", {ChannelSide::Left, ChannelSide::Right});
    add(MixerDirection::Input, "in_mic", "Microphone", {ChannelSide::Left, ChannelSide::Right});
    add(MixerDirection::Input, "in_mono", "Mono Input", {ChannelSide::Other});
    fake->setDefaultDevice(MixerDirection::Output, "out_a");
    fake->setDefaultDevice(MixerDirection::Input, "in_mic");
    fake->setVolumesFromOutside(MixerDirection::Output, "out_a", {Norm / 2, Norm / 4});
    platform::audio::MixerLibrary library(fake);
    ASSERT_EQ(library.SelectOutputDevice(-1), 0);
    ASSERT_EQ(library.SelectInputDevice(-1), 0);
    mixer = &library;
    makeWindow();

    auto* playbackVolume = named<QSlider>("PlaybackVolumeTrackBar");
    auto* playbackBalance = named<QSlider>("PlaybackBalanceTrackBar");
    auto* recordVolume = named<QSlider>("RecordVolumeTrackBar");
    EXPECT_EQ(playbackVolume->value(), 50);
    EXPECT_EQ(playbackBalance->value(), 25); // the left is twice as loud
    EXPECT_EQ(recordVolume->value(), 0);      // 100 %
    EXPECT_EQ(named<QLabel>("RecSourceLabel")->text(), QStringLiteral("Microphone"));

    const auto output = [&] {
        std::pair<uint32_t, uint32_t> pair;
        EXPECT_EQ(library.GetCurrentOutputVolSetting(2, &pair.first, &pair.second), 0);
        return pair;
    };
    playbackVolume->setValue(20); // 80 %, split by the balance
    EXPECT_EQ(output(), (std::pair<uint32_t, uint32_t>{52428, 26214}));
    playbackBalance->setValue(50);
    EXPECT_EQ(output(), (std::pair<uint32_t, uint32_t>{52428, 52428}));

    // Another program turns the microphone down.
    fake->setVolumesFromOutside(MixerDirection::Input, "in_mic", {Norm / 4, Norm / 4});
    ASSERT_TRUE(eventually([&] { return recordVolume->value() == 75; }));

    ASSERT_EQ(library.SelectInputDevice(1), 0); // the one-channel input
    recordVolume->setValue(60);
    uint32_t mono = 0;
    ASSERT_EQ(library.GetCurrentInputVolSetting(1, &mono, nullptr), 0);
    EXPECT_EQ(mono, 26214u);
    window.reset(); // before the mixer it uses
}

} // namespace
