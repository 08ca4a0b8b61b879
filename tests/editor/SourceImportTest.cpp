// The editor's decoders of MP3 and WMA documents, over MP3 files made by lame and WMA files made by
// ffmpeg: the bit rates the open road sizes the working copy by, conversions under their windows
// (caption, result checked with ffprobe and sox), damaged and cut-short files, a missing decoder,
// cancels, and the open road through the workspace. A conversion that does not complete leaves no
// WAV and tells the user once.

#include "editor/SourceImport.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/ImportProgressDialog.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/ui/UrlOpener.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using codecfixtures::ffmpegTone;
using codecfixtures::folderEntries;
using codecfixtures::lameTone;
using testsupport::hashOf;
using testsupport::ScriptedInteraction;
using testsupport::writeFile;

namespace {

class RecordedUrls : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    QList<QUrl> urls;
};

// Runs body on the conversion window once it is up (from its modal run's event loop).
void whenWindowShown(std::function<void(ImportProgressDialog&)> body)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        auto* window = qobject_cast<ImportProgressDialog*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body(*window);
    });
    timer->start();
}

class SourceImportTest : public testing::Test {
protected:
    SourceImport& decoder()
    {
        if (!m_decoder) {
            SourceImportServices services;
            services.tempFolder = [this] { return temp; };
            services.freeSpace = [this](const QString&) { return freeBytes; };
            services.mp3DecoderAvailable = [this] { return mp3Decoder; };
            services.environment = environment;
            services.threadStarter = starter;
            m_decoder = std::make_unique<SourceImport>(messages, urls, std::move(services));
        }
        return *m_decoder;
    }

    // The document's working file as the workspace reserves it.
    QString workingFile()
    {
        QDir().mkpath(temp);
        const QString path = temp + "/qel32AB.tmp";
        writeFile(path, {});
        return path;
    }

    QString folder = testsupport::testFolder();
    QString temp = folder + "/temp";
    ScriptedInteraction interaction;
    platform::Messages messages = makeEditorMessages(interaction);
    RecordedUrls urls;
    int64_t freeBytes = -1;
    bool mp3Decoder = true;
    // Holds each conversion after its first block until the test releases it.
    codecfixtures::Gate gate;
    platform::codecs::DecodeEnvironment environment{{}, gate.hook()};
    ImportThreadStarter starter = startImportThread;

private:
    std::unique_ptr<SourceImport> m_decoder;
};

} // namespace

TEST_F(SourceImportTest, BitRatesOfTheSources)
{
    const QString mp3 = lameTone(folder + "/song.mp3", 3, 44100, 2, 128);
    const QString wma = ffmpegTone(folder + "/talk.wma", 3, 22050, 1, {"-c:a", "wmav2", "-b:a", "64k"});
    ASSERT_FALSE(mp3.isEmpty());
    ASSERT_FALSE(wma.isEmpty());
    writeFile(folder + "/noise.mp3", QByteArray(5000, '\x17'));
    writeFile(folder + "/noise.wma", QByteArray(5000, '\x17'));
    EXPECT_EQ(decoder().bitsPerSecond(mp3, SourceKind::Mp3), 128'000);
    EXPECT_NEAR(double(decoder().bitsPerSecond(wma, SourceKind::Wma)), 64'000, 2'000);
    EXPECT_EQ(decoder().bitsPerSecond(folder + "/noise.mp3", SourceKind::Mp3), 0);
    EXPECT_EQ(decoder().bitsPerSecond(folder + "/noise.wma", SourceKind::Wma), 0);
    EXPECT_EQ(decoder().bitsPerSecond(folder + "/missing.mp3", SourceKind::Mp3), 0);
    EXPECT_EQ(decoder().bitsPerSecond(mp3, SourceKind::Wave), 0);
    EXPECT_TRUE(interaction.prompts().empty());
}

TEST_F(SourceImportTest, SourcesAreDecodedUnderTheirWindows)
{
    const struct {
        const char* name;
        SourceKind kind;
        int rate;
        int channels;
        const char* caption;
    } cases[] = {
        {"song.mp3", SourceKind::Mp3, 44100, 2, "Vexal Audio Zuq Editor MP3 To Wave Conversion"},
        {"talk.wma", SourceKind::Wma, 22050, 1, "Importing WMA File"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gate.close();
        const QString path = folder + "/" + c.name;
        const QString source = c.kind == SourceKind::Mp3
                                   ? lameTone(path, 4, c.rate, c.channels, 128)
                                   : ffmpegTone(path, 4, c.rate, c.channels, {"-c:a", "wmav2", "-b:a", "64k"});
        ASSERT_FALSE(source.isEmpty());
        const QByteArray before = hashOf(source);
        const QString wav = workingFile();
        QString caption;
        whenWindowShown([&](ImportProgressDialog& window) {
            EXPECT_TRUE(gate.waitReached());
            caption = window.windowTitle();
            EXPECT_TRUE(window.CancelButton->isEnabled());
            gate.release();
        });
        EXPECT_EQ(decoder().convert(source, c.kind, wav), 0);
        EXPECT_EQ(caption, c.caption);
        const QJsonObject probe = codecfixtures::ffprobe(wav);
        EXPECT_EQ(probe["stream"].toObject()["codec_name"].toString(), "pcm_s16le");
        EXPECT_EQ(probe["stream"].toObject()["sample_rate"].toString(), QString::number(c.rate));
        EXPECT_EQ(probe["stream"].toObject()["channels"].toInt(), c.channels);
        EXPECT_NEAR(probe["format"].toObject()["duration"].toString().toDouble(), 4.0, 0.1);
        const auto sox = testsupport::runSox({"--i", "-b", wav});
        EXPECT_EQ(sox.out.trimmed(), "16") << sox.err.constData();
        EXPECT_EQ(hashOf(source), before);
        EXPECT_TRUE(interaction.prompts().empty());
        QFile::remove(wav);
    }
}

// Each failure is told once, leaves no WAV (not even the reserved working file) and the source as
// it was; only the missing MP3 decoder is left to the caller's question.
TEST_F(SourceImportTest, FilesThatDoNotConvertAreToldAndLeaveNoWave)
{
    gate.release();
    const QString mp3 = lameTone(folder + "/song.mp3", 3, 44100, 2, 128);
    const QString wma = ffmpegTone(folder + "/talk.wma", 3, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
    ASSERT_FALSE(mp3.isEmpty());
    ASSERT_FALSE(wma.isEmpty());
    writeFile(folder + "/noise.mp3", QByteArray(5000, '\x17'));
    writeFile(folder + "/noise.wma", QByteArray(5000, '\x17'));
    codecfixtures::truncateCopy(mp3, folder + "/cut.mp3", QFileInfo(mp3).size() / 2);
    codecfixtures::truncateCopy(wma, folder + "/cut.wma", QFileInfo(wma).size() / 2);

    const struct {
        const char* name;
        QString source;
        SourceKind kind;
        bool mp3Decoder;
        int64_t free;
        const char* told; // the message shown, or none
        int result;
    } cases[] = {
        {"no MP3 decoder", mp3, SourceKind::Mp3, false, -1, nullptr, 229},
        {"not an MP3", folder + "/noise.mp3", SourceKind::Mp3, true, -1, "input file is not corrupt", 349},
        {"MP3 cut short", folder + "/cut.mp3", SourceKind::Mp3, true, -1, "input file is not corrupt", 349},
        {"not a WMA", folder + "/noise.wma", SourceKind::Wma, true, -1, "The file has Copy protection", 489},
        {"WMA cut short", folder + "/cut.wma", SourceKind::Wma, true, -1, "WMA File format is not proper.", 489},
        // 3 s at 44,100 Hz, 16 bits, stereo need about 529,200 bytes.
        {"no room for the WMA's WAV", wma, SourceKind::Wma, true, 500'000, "not enough free space", 489},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mp3Decoder = c.mp3Decoder;
        freeBytes = c.free;
        const QByteArray before = hashOf(c.source);
        const QString wav = workingFile();
        if (c.told)
            interaction.expectMessageBox(platform::IDOK, QString::fromLatin1(c.told));
        const size_t prompts = interaction.prompts().size();
        EXPECT_EQ(decoder().convert(c.source, c.kind, wav), c.result);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(interaction.prompts().size(), prompts + (c.told ? 1 : 0));
        if (c.told) {
            EXPECT_EQ(interaction.prompts().back().caption, "Vexal Audio Zuq Editor");
        }
        EXPECT_FALSE(QFileInfo::exists(wav));
        EXPECT_TRUE(folderEntries(temp).isEmpty()) << folderEntries(temp).join(", ").toStdString();
        EXPECT_EQ(hashOf(c.source), before);
    }
}

TEST_F(SourceImportTest, ACancelledConversionSaysSoAndLeavesNoWave)
{
    const QString mp3 = lameTone(folder + "/song.mp3", 3, 44100, 2, 128);
    const QString wma = ffmpegTone(folder + "/talk.wma", 3, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
    ASSERT_FALSE(mp3.isEmpty());
    ASSERT_FALSE(wma.isEmpty());
    const struct {
        QString source;
        SourceKind kind;
        const char* told;
    } cases[] = {
        {mp3, SourceKind::Mp3, "Warning: User has aborted the process."},
        {wma, SourceKind::Wma, "Import WMA File Aborted by the User."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told);
        codecfixtures::Gate held;
        environment = {{}, held.hook()};
        SourceImportServices services;
        services.tempFolder = [this] { return temp; };
        services.environment = environment;
        SourceImport cancelled(messages, urls, services);
        const QString wav = workingFile();
        whenWindowShown([&](ImportProgressDialog& window) {
            EXPECT_TRUE(held.waitReached());
            QTest::mouseClick(window.CancelButton, Qt::LeftButton);
            held.release();
        });
        interaction.expectMessageBox(platform::IDOK, QString::fromLatin1(c.told));
        EXPECT_EQ(cancelled.convert(c.source, c.kind, wav), kCancelled);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_FALSE(QFileInfo::exists(wav));
        EXPECT_TRUE(folderEntries(temp).isEmpty()) << folderEntries(temp).join(", ").toStdString();
    }
}

TEST_F(SourceImportTest, NoWorkerForTheMp3IsToldOnce)
{
    const QString mp3 = lameTone(folder + "/song.mp3", 1, 44100, 1, 64);
    ASSERT_FALSE(mp3.isEmpty());
    starter = [](std::thread&, std::function<void()>) { return false; };
    interaction.expectMessageBox(platform::IDOK, "The system might be low on resources");
    EXPECT_EQ(decoder().convert(mp3, SourceKind::Mp3, workingFile()), kImportNoThreadMessageId);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(interaction.prompts().size(), 1u);
    EXPECT_TRUE(folderEntries(temp).isEmpty());
}

// The messages the MP3 conversion can tell have their texts in the editor's string table.
TEST(SourceImportMessages, EveryMp3FailureHasItsText)
{
    const platform::StringTable& table = editorStringTable();
    for (const int code : {402, 404, 405, 407, 408, 409, 415, 417, 429, 431, 432, 439, 440, 999})
        EXPECT_FALSE(table.text(Mp3ToWavErrorToMessageId(code)).isEmpty()) << code;
    for (const int id : {kMp3NotConvertible, kImportNoThreadMessageId, kWmaImportFailed, kWmaImportAbortedMessageId})
        EXPECT_FALSE(table.text(id).isEmpty()) << id;
}

// The open road with the real decoders: an MP3 becomes a ready document of its own format; a
// damaged one is told by the decoder alone and leaves nothing in the temporary folder.
TEST_F(SourceImportTest, TheWorkspaceOpensThroughTheDecoders)
{
    gate.release();
    struct Host : WorkspaceHost {
        int closeDocumentAt(int) override { return 0; }
        void trackRefused(TrackRole) override {}
        int createViews(TDocumentRecord&, const QString&) override { return 0; }
        void discardViews(TDocumentRecord&) override {}
        int startWorkspaceCopy(TDocumentRecord&) override { return 0; }
        void releaseWorkspaceCopy(TDocumentRecord&) override {}
        void cancelWorkspaceCopy(TDocumentRecord&) override {}
        void addRecentFile(const QString&) override {}
    } host;
    QDir().mkpath(temp);
    Workspace workspace(host, decoder(), [this] { return temp; });
    const QString mp3 = lameTone(folder + "/song.mp3", 2, 32000, 1, 64);
    ASSERT_FALSE(mp3.isEmpty());
    const WorkspaceResult opened = workspace.openFile(mp3);
    ASSERT_EQ(opened.code, 0);
    const TDocumentRecord* document = workspace.documents().current();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->workspaceState, WorkspaceState::Ready);
    EXPECT_EQ(document->sourceBitRate, 64);
    EXPECT_EQ(document->info.samplesPerSec, 32000u);
    EXPECT_EQ(document->info.channels, 1);
    EXPECT_EQ(document->info.bitsPerSample, 16);
    EXPECT_NEAR(double(document->info.lengthMs), 2000, 100);

    Workspace other(host, decoder(), [this] { return temp; });
    writeFile(folder + "/noise.mp3", QByteArray(5000, '\x17'));
    const int files = QDir(temp).entryList(QDir::Files).size();
    interaction.expectMessageBox(platform::IDOK, "input file is not corrupt");
    const WorkspaceResult failed = other.openFile(folder + "/noise.mp3");
    EXPECT_EQ(failed.code, 349);
    EXPECT_EQ(failed.report, WorkspaceResult::Report::None);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(QDir(temp).entryList(QDir::Files).size(), files);
}
