#include "editor/Workspace.h"

#include "common/WaveRead.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace wavefixtures;
using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

namespace {

// The main window as the open road sees it: every call recorded, answers set by the test.
struct FakeHost : WorkspaceHost {
    Workspace* workspace = nullptr;
    int closeAnswer = 0;
    int viewsAnswer = 0;
    int copyAnswer = 0;
    uint64_t nextJob = 41;
    QStringList calls;
    QStringList recent;
    QList<TrackRole> refused;

    int closeDocumentAt(int index) override
    {
        calls << QStringLiteral("close %1").arg(index);
        if (closeAnswer == 0) {
            const auto closed = workspace->documents().takeAt(index);
            for (const QString& file : {closed->workingFile, closed->undoFile, closed->redoFile})
                QFile::remove(file);
        }
        return closeAnswer;
    }
    void trackRefused(TrackRole role) override { refused << role; }
    int createViews(TDocumentRecord& document, const QString& shownFile) override
    {
        calls << "views " + QFileInfo(shownFile).fileName();
        return viewsAnswer;
    }
    void discardViews(TDocumentRecord&) override { calls << "discard"; }
    int startWorkspaceCopy(TDocumentRecord& document) override
    {
        calls << "copy";
        if (copyAnswer == 0)
            document.copyJobId = ++nextJob;
        return copyAnswer;
    }
    void releaseWorkspaceCopy(TDocumentRecord&) override { calls << "release copy"; }
    void cancelWorkspaceCopy(TDocumentRecord&) override { calls << "cancel copy"; }
    void addRecentFile(const QString& path) override { recent << path; }
};

// Decodes by writing a fixed WAV, as the real decoders leave one in the working file.
struct FakeDecoder : SourceDecoder {
    int64_t rate = 128'000;
    int convertAnswer = 0;
    QByteArray decoded = pcmWave(makePcmFormat(8000, 16, 1), pcm16({1, 2, 3, 4, 5, 6, 7, 8}));
    QStringList converted;

    int64_t bitsPerSecond(const QString&, SourceKind) override { return rate; }
    int convert(const QString& source, SourceKind, const QString& target) override
    {
        converted << source;
        if (convertAnswer == 0)
            writeFile(target, decoded);
        return convertAnswer;
    }
};

struct OpenBench {
    QString temp = testFolder() + "/temp ü";
    QString user = testFolder() + "/My Music ✓";
    int64_t freeBytes = 1LL << 40;
    FakeHost host;
    FakeDecoder decoder;
    Workspace workspace{host, decoder, [this] { return temp; }, readWaveFileInformation,
                        [this](const QString&) { return freeBytes; }};

    OpenBench()
    {
        host.workspace = &workspace;
        QDir().mkpath(temp);
        QDir().mkpath(user);
    }
    QStringList tempFiles() const { return QDir(temp).entryList(QDir::Files); }
    // A WAV of `frames` 16-bit mono frames at 8 kHz in the user's folder.
    QString wave(const QString& name, int frames = 8000)
    {
        const QString path = user + "/" + name;
        writeFile(path, pcmWave(makePcmFormat(8000, 16, 1), sampleBytes(frames * 2)));
        return path;
    }
};

} // namespace

TEST(Workspace, OpensWavesByAnyNameAndCopiesThemInTheBackground)
{
    for (const char* name : {"take.wav", "Take One (final).wav", "Überspielung 日本.WAV", "no extension"}) {
        SCOPED_TRACE(name);
        OpenBench s;
        const QString path = s.wave(QString::fromUtf8(name), 12000);
        const WorkspaceResult result = s.workspace.openFile(path);
        ASSERT_EQ(result.code, 0);
        ASSERT_EQ(result.index, 0);
        const TDocumentRecord* document = s.workspace.documents().current();
        ASSERT_TRUE(document);
        EXPECT_EQ(document->documentFile, path);
        EXPECT_EQ(document->displayName, QString::fromUtf8(name));
        EXPECT_EQ(document->saveState, SaveState::Unchanged);
        EXPECT_EQ(document->workspaceState, WorkspaceState::Copying);
        EXPECT_EQ(document->sourceKind, SourceKind::Wave);
        EXPECT_EQ(document->info, (FileInformation{16, 1, 1500, 8000}));
        EXPECT_EQ(document->waveFormat, makePcmFormat(8000, 16, 1));
        EXPECT_EQ(s.host.calls, (QStringList{"copy", "views " + QString::fromUtf8(name), "release copy"}));
        EXPECT_EQ(s.host.recent, QStringList{path});
        // Working, undo and redo are reserved; the copy fills the working file later.
        EXPECT_EQ(s.tempFiles().size(), 3);
        for (const QString& file : {document->workingFile, document->undoFile, document->redoFile})
            EXPECT_EQ(QFileInfo(file).absolutePath(), QDir(s.temp).absolutePath());

        int code = -1;
        EXPECT_EQ(s.workspace.workspaceCopyEnded(document->copyJobId, 0, &code), 0);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(document->workspaceState, WorkspaceState::Ready);
        EXPECT_EQ(document->copyJobId, 0u);
    }
}

TEST(Workspace, OpeningTheOpenFileAgainOnlySelectsIt)
{
    OpenBench s;
    const QString path = s.wave("a b.wav");
    ASSERT_EQ(s.workspace.openFile(path).code, 0);
    s.host.calls.clear();
    const WorkspaceResult again = s.workspace.openFile(s.user + "/./a b.wav");
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.index, 0);
    EXPECT_TRUE(s.host.calls.isEmpty()); // no close, no second copy
    EXPECT_EQ(s.workspace.documents().count(), 1);
    EXPECT_EQ(s.tempFiles().size(), 3);
}

TEST(Workspace, OpeningClosesTheLastDocumentFirst)
{
    OpenBench s;
    ASSERT_EQ(s.workspace.openFile(s.wave("one.wav")).code, 0);
    const WorkspaceResult second = s.workspace.openFile(s.wave("two.wav"));
    ASSERT_EQ(second.code, 0);
    EXPECT_EQ(s.host.calls.mid(3), (QStringList{"close 0", "copy", "views two.wav", "release copy"}));
    ASSERT_EQ(s.workspace.documents().count(), 1);
    EXPECT_EQ(s.workspace.documents().current()->displayName, "two.wav");
    EXPECT_EQ(s.tempFiles().size(), 3);
}

TEST(Workspace, ACancelledCloseGivesTheRecorderBackExactlyTheTrackRefused)
{
    struct Case {
        TrackRole role;
        RememberedTracks before;
        QList<TrackRole> refused;
        RememberedTracks after;
    };
    const Case cases[] = {
        {TrackRole::Normal, {"/m", "/v"}, {}, {"/m", "/v"}},
        {TrackRole::Voice, {"/m", ""}, {TrackRole::Voice}, {"/m", ""}}, // the music track stays the recorder's
        {TrackRole::Music, {"/m", "/v"}, {TrackRole::Music}, {"", "/v"}},
        {TrackRole::Voice, {"", "/v"}, {TrackRole::Voice}, {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.role));
        OpenBench s;
        ASSERT_EQ(s.workspace.openFile(s.wave("open.wav")).code, 0);
        s.workspace.tracks() = c.before;
        s.host.closeAnswer = kCancelled;
        const WorkspaceResult result = s.workspace.openFile(s.wave("handed.wav"), c.role);
        EXPECT_EQ(result.code, kCancelled);
        EXPECT_EQ(result.report, WorkspaceResult::Report::None);
        EXPECT_EQ(s.host.refused, c.refused);
        EXPECT_EQ(s.workspace.tracks().musicTrackFile, c.after.musicTrackFile);
        EXPECT_EQ(s.workspace.tracks().voiceTrackFile, c.after.voiceTrackFile);
        EXPECT_EQ(s.workspace.documents().current()->displayName, "open.wav");
        EXPECT_EQ(s.tempFiles().size(), 3);
    }
}

TEST(Workspace, FailedOpensLeaveNoFilesAndKeepTheCurrentDocument)
{
    enum Step { Missing, NoSpace, Garbage, Truncated, NotPcm, Views, Copy, Decode, Mp3Refused, NoTemp };
    struct Case {
        Step step;
        int code;
        WorkspaceResult::Report report;
        QStringList hostCalls;
    };
    using R = WorkspaceResult::Report;
    const QStringList infoFailure = {"close 0", "copy", "views bad.wav", "cancel copy", "discard"};
    const Case cases[] = {
        {Missing, kFileMissing, R::Message, {}},
        {NoSpace, kNoTempSpace, R::NoTempSpace, {"close 0"}},
        {Garbage, platform::RiffCode::Corrupt, R::FileInformation, infoFailure},
        {Truncated, platform::RiffCode::Corrupt, R::FileInformation, infoFailure},
        {NotPcm, WaveReadCode::NotPcm, R::FileInformation, infoFailure},
        {Views, 141, R::None, {"close 0", "copy", "views bad.wav", "cancel copy"}},
        {Copy, 181, R::Message, {"close 0", "copy"}},
        {Decode, 152, R::None, {"close 0"}}, // the decoder told it
        {Mp3Refused, kMp3NotConvertible, R::Message, {"close 0"}},
        {NoTemp, kNoTempName, R::Message, {"close 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.step));
        OpenBench s;
        // One document open before (it is closed by the open, as the editor holds one file).
        ASSERT_EQ(s.workspace.openFile(s.wave("before.wav")).code, 0);
        s.host.calls.clear();
        s.host.recent.clear();

        QString path = s.user + "/bad.wav";
        const QByteArray good = pcmWave(makePcmFormat(8000, 16, 1), sampleBytes(200));
        switch (c.step) {
        case Missing: path = s.user + "/gone.wav"; break;
        case NoSpace: writeFile(path, good); s.freeBytes = good.size() - 1; break;
        case Garbage: writeFile(path, QByteArray(300, '\xff')); break;
        case Truncated: writeFile(path, good.left(30)); break;
        case NotPcm: writeFile(path, pcmWave(waveFormat(3, 1, 8000, 32), sampleBytes(64))); break;
        case Views: writeFile(path, good); s.host.viewsAnswer = 141; break;
        case Copy: writeFile(path, good); s.host.copyAnswer = 181; break;
        case Decode: path = s.user + "/song.mp3"; writeFile(path, "ID3"); s.decoder.convertAnswer = 152; break;
        case Mp3Refused: path = s.user + "/song.mp3"; writeFile(path, "x"); s.decoder.convertAnswer = 229; break;
        case NoTemp: writeFile(path, good); s.temp = testFolder() + "/no such folder"; break;
        }
        const WorkspaceResult result = s.workspace.openFile(path);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.report, c.report);
        if (c.step == Missing) {
            EXPECT_EQ(result.argument, path);
        }
        EXPECT_EQ(result.index, DocumentList::kNoDocument);
        EXPECT_EQ(s.host.calls, c.hostCalls);
        EXPECT_TRUE(s.host.recent.isEmpty());
        // Nothing of the failed open is left in the temporary folder (the closed document's files
        // went with it).
        EXPECT_EQ(s.tempFiles().size(), c.step == Missing ? 3 : 0);
        EXPECT_EQ(s.workspace.documents().count(), c.step == Missing ? 1 : 0);
    }
}

TEST(Workspace, AFailedOpenBesideOpenDocumentsRestoresTheCurrentOne)
{
    OpenBench s;
    ASSERT_EQ(s.workspace.openFile(s.wave("kept.wav")).code, 0);
    s.host.closeAnswer = 1; // the close road failed, but documents stay open: nothing is opened
    EXPECT_EQ(s.workspace.openFile(s.wave("other.wav")).code, 1);
    EXPECT_EQ(s.workspace.documents().current()->displayName, "kept.wav");
    // With several documents (a host whose close leaves the last one open) the one current before
    // is current again.
    struct KeepingHost : FakeHost {
        int closeDocumentAt(int) override { return 0; }
    } keeping;
    Workspace several(keeping, s.decoder, [&] { return s.temp; });
    ASSERT_EQ(several.openFile(s.wave("first.wav")).code, 0);
    keeping.copyAnswer = 181;
    EXPECT_EQ(several.openFile(s.wave("second.wav")).code, 181);
    ASSERT_EQ(several.documents().count(), 1);
    EXPECT_EQ(several.documents().current()->displayName, "first.wav");
}

TEST(Workspace, CompressedSourcesAreDecodedIntoTheWorkingFile)
{
    struct Case {
        const char* name;
        int64_t rate;
        SourceKind kind;
        int32_t sourceBitRate;
        bool recent;
    };
    const Case cases[] = {
        {"song one.mp3", 128'000, SourceKind::Mp3, 128, true},
        {"Lied ü.MP3", 0, SourceKind::Mp3, 0, true},
        {"talk.wma", 64'000, SourceKind::Wma, 64'000, true},
        {"qel32AB.tmp.mp3", 320'000, SourceKind::Mp3, 320, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenBench s;
        s.decoder.rate = c.rate;
        const QString path = s.user + "/" + QString::fromUtf8(c.name);
        writeFile(path, QByteArray(1000, 'm'));
        const WorkspaceResult result = s.workspace.openFile(path);
        ASSERT_EQ(result.code, 0);
        const TDocumentRecord* document = s.workspace.documents().current();
        EXPECT_EQ(document->sourceKind, c.kind);
        EXPECT_EQ(document->sourceBitRate, c.sourceBitRate);
        EXPECT_EQ(document->workspaceState, WorkspaceState::Ready);
        EXPECT_EQ(document->saveState, SaveState::Unchanged);
        EXPECT_EQ(document->info, (FileInformation{16, 1, 1, 8000}));
        EXPECT_EQ(readFile(document->workingFile), s.decoder.decoded);
        EXPECT_EQ(s.decoder.converted, QStringList{path});
        // Peaks are built from the decoded working file; no background copy.
        EXPECT_EQ(s.host.calls, QStringList{"views " + QFileInfo(document->workingFile).fileName()});
        EXPECT_EQ(s.host.recent.size(), c.recent ? 1 : 0);
    }
}

TEST(Workspace, TemporaryFilesAreNotRecentFiles)
{
    OpenBench s;
    const QString path = s.wave("LOD12AB.tmp");
    ASSERT_EQ(s.workspace.openFile(path, TrackRole::Voice).code, 0);
    EXPECT_TRUE(s.host.recent.isEmpty());
    EXPECT_EQ(s.workspace.documents().current()->displayName, "Voice Track");
    EXPECT_EQ(s.workspace.tracks().voiceTrackFile, path);
}

TEST(Workspace, TheRoomAskedForIsTheWorkingCopysSize)
{
    struct Case {
        const char* name;
        int64_t size;
        int64_t rate;
        int64_t freeBytes;
        int code;
        bool wave = false;
    };
    const Case cases[] = {
        {"a.wav", 1000, 0, 1000, 0, true},
        {"a.wav", 1000, 0, 999, kNoTempSpace, true},
        {"a.mp3", 1000, 128'000, 11'025, 0},
        {"a.mp3", 1000, 128'000, 11'024, kNoTempSpace},
        {"a.wma", 1000, 0, 11'024, kNoTempSpace}, // unknown rate: 128 kbit/s assumed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.freeBytes));
        OpenBench s;
        s.decoder.rate = c.rate;
        s.freeBytes = c.freeBytes;
        const QString path = s.user + "/" + c.name;
        writeFile(path, c.wave ? pcmWave(makePcmFormat(8000, 8, 1), sampleBytes(int(c.size) - 46))
                            : QByteArray(int(c.size), 'x'));
        EXPECT_EQ(s.workspace.openFile(path).code, c.code);
    }
}

TEST(Workspace, ACopyThatFailsLeavesTheDocumentReadOnly)
{
    OpenBench s;
    ASSERT_EQ(s.workspace.openFile(s.wave("x.wav")).code, 0);
    TDocumentRecord* document = s.workspace.documents().current();
    const uint64_t job = document->copyJobId;
    // A job no document waits for (closed meanwhile) changes nothing.
    int code = -1;
    EXPECT_EQ(s.workspace.workspaceCopyEnded(job + 100, 0, &code), DocumentList::kNoDocument);
    EXPECT_EQ(s.workspace.workspaceCopyEnded(0, 0, &code), DocumentList::kNoDocument);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(document->workspaceState, WorkspaceState::Copying);

    EXPECT_EQ(s.workspace.workspaceCopyEnded(job, 153, &code), 0);
    EXPECT_EQ(code, 153);
    EXPECT_EQ(document->workspaceState, WorkspaceState::ReadOnly);
    EXPECT_TRUE(document->isReadOnly());
    EXPECT_EQ(windowCaption(document), "Vexal Audio Zuq Editor: x.wav (Read Only)");
    // The same job's message again finds nothing.
    EXPECT_EQ(s.workspace.workspaceCopyEnded(job, 0, &code), DocumentList::kNoDocument);
    EXPECT_EQ(document->workspaceState, WorkspaceState::ReadOnly);
}

TEST(Workspace, NewDocumentsAreUntitledEmptyWaves)
{
    struct Case {
        WaveFormatEx format;
    };
    const Case cases[] = {{makePcmFormat(44100, 16, 2)}, {makePcmFormat(8000, 8, 1)}, {makePcmFormat(96000, 24, 2)}};
    OpenBench s;
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        SCOPED_TRACE(n);
        const WorkspaceResult result = s.workspace.newDocument(c.format);
        ASSERT_EQ(result.code, 0);
        const TDocumentRecord* document = s.workspace.documents().current();
        ASSERT_TRUE(document);
        EXPECT_EQ(document->documentFile, QStringLiteral("Untitled%1.wav").arg(n));
        EXPECT_EQ(document->displayName, document->documentFile);
        EXPECT_EQ(document->saveState, SaveState::Untitled);
        EXPECT_EQ(document->workspaceState, WorkspaceState::Ready);
        EXPECT_TRUE(document->isEmpty());
        EXPECT_EQ(document->waveFormat, c.format);
        const WaveInfo written = soxWaveInfo(document->workingFile, false);
        EXPECT_EQ(written.channels, c.format.channels);
        EXPECT_EQ(written.bits, c.format.bitsPerSample);
        EXPECT_EQ(written.rate, int(c.format.samplesPerSec));
        EXPECT_EQ(written.frames, 0);
        EXPECT_EQ(QFileInfo(document->undoFile).size(), 0);
        EXPECT_EQ(s.workspace.documents().count(), 1); // the one before was closed
        EXPECT_EQ(s.tempFiles().size(), 3);
        // An empty WAV reads as a document of length 0.
        FileInformation info;
        EXPECT_EQ(readWaveFileInformation(document->workingFile, info), 0);
        EXPECT_EQ(info, (FileInformation{c.format.bitsPerSample, c.format.channels, 0, c.format.samplesPerSec}));
    }
    EXPECT_EQ(s.workspace.documents().untitledCounter(), 3);
}

TEST(Workspace, FailedNewDocumentsLeaveNothing)
{
    struct Case {
        int closeAnswer;
        int viewsAnswer;
        bool tempMissing;
        int code;
    };
    const Case cases[] = {
        {kCancelled, 0, false, kCancelled},
        {0, 144, false, 144},
        {0, 0, true, kNoTempName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        OpenBench s;
        ASSERT_EQ(s.workspace.newDocument(makePcmFormat(8000, 16, 1)).code, 0);
        s.host.closeAnswer = c.closeAnswer;
        s.host.viewsAnswer = c.viewsAnswer;
        const QString temp = s.temp;
        if (c.tempMissing)
            s.temp = testFolder() + "/gone";
        EXPECT_EQ(s.workspace.newDocument(makePcmFormat(8000, 16, 1)).code, c.code);
        EXPECT_EQ(s.workspace.documents().untitledCounter(), 1);
        const int left = c.closeAnswer == kCancelled ? 1 : 0;
        EXPECT_EQ(s.workspace.documents().count(), left);
        EXPECT_EQ(QDir(temp).entryList(QDir::Files).size(), 3 * left);
        EXPECT_EQ(s.workspace.documents().nextUntitledName(), "Untitled2.wav");
    }
}

TEST(Workspace, FileInformationOfHostileWaves)
{
    const QString folder = testFolder();
    struct Case {
        const char* name;
        QByteArray bytes;
        int code;
    };
    const QByteArray zeroRate = pcmWave(waveFormat(1, 1, 0, 16), sampleBytes(16));
    const Case cases[] = {
        {"zero rate.wav", zeroRate, WaveReadCode::CannotRead},
        {"empty.wav", QByteArray(), -1},
        {"riff only.wav", riff("WAVE", {}), -1},
        {"not riff.wav", QByteArray("RIFX") + le32(4) + "WAVE", -1},
        {"fmt past the end.wav", riff("WAVE", chunk("fmt ", fmtBody(makePcmFormat(8000, 16, 1)), 4000)), -1},
        {"huge data size.wav",
         QByteArray("RIFF") + le32(0xFFFFFFF0) + "WAVE" + chunk("fmt ", fmtBody(makePcmFormat(8000, 16, 1))) + "data"
             + le32(0xFFFFFFE0) + sampleBytes(10),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name;
        writeFile(path, c.bytes);
        FileInformation info;
        const int code = readWaveFileInformation(path, info);
        if (c.code == -1) {
            EXPECT_NE(code, 0);
        } else {
            EXPECT_EQ(code, c.code);
        }
        // A data chunk past the end counts the whole frames present.
        if (c.code == 0) {
            EXPECT_EQ(info, (FileInformation{16, 1, 0, 8000}));
        }
    }
    FileInformation info;
    EXPECT_NE(readWaveFileInformation(folder + "/missing.wav", info), 0);
}

TEST(Workspace, FileOpenClosesAHandedOverTrackWhileTheRecorderIsStillRemembered)
{
    struct TrackWatchingHost : FakeHost {
        RememberedTracks atClose;
        int closeDocumentAt(int index) override
        {
            atClose = workspace->tracks();
            return FakeHost::closeDocumentAt(index);
        }
    };
    struct Case {
        const char* opened; // through File > Open
        int closeAnswer;
        int code;
        bool closed;
        RememberedTracks after;
    };
    const Case cases[] = {
        {"other.wav", 0, 0, true, {}},
        {"other.wav", kCancelled, kCancelled, true, {"", "VOICE"}}, // kept: still the voice track, nobody told
        {"gone.wav", 0, kFileMissing, false, {"", "VOICE"}},
        {"voice take.wav", 0, 0, false, {"", "VOICE"}}, // the open track itself: only selected
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opened);
        TrackWatchingHost host;
        FakeDecoder decoder;
        const QString temp = testFolder();
        Workspace workspace(host, decoder, [&] { return temp; });
        host.workspace = &workspace;
        const QString voice = temp + "/voice take.wav";
        writeFile(voice, pcmWave(makePcmFormat(8000, 16, 1), sampleBytes(80)));
        writeFile(temp + "/other.wav", pcmWave(makePcmFormat(8000, 16, 1), sampleBytes(80)));
        ASSERT_EQ(workspace.openFile(voice, TrackRole::Voice).code, 0);
        host.closeAnswer = c.closeAnswer;

        const WorkspaceResult result = workspace.openFileFromMenu(temp + "/" + c.opened);
        EXPECT_EQ(result.code, c.code);
        EXPECT_TRUE(host.refused.isEmpty());
        if (c.closed) {
            // The close saw the voice track remembered, so it can give it back to the recorder.
            EXPECT_EQ(host.atClose.voiceTrackFile, voice);
        } else {
            EXPECT_FALSE(host.calls.contains("close 0"));
        }
        const QString expectedVoice = c.after.voiceTrackFile == QLatin1String("VOICE") ? voice : QString();
        EXPECT_EQ(workspace.tracks().voiceTrackFile, expectedVoice);
        if (c.code == 0) {
            EXPECT_EQ(workspace.documents().current()->displayName,
                      c.after.voiceTrackFile.isEmpty() ? QString::fromUtf8(c.opened) : QString("Voice Track"));
        }
    }
}
