// The MP3-to-WAV and WMA-to-WAV windows over their decoding libraries, with MP3 and WMA files made
// by ffmpeg: a conversion with its progress, every way of cancelling, bad input, the checks the
// WMA window makes before it starts, and what is left on disk afterwards (the WAV only after a
// complete conversion, the user's file never changed).

#include "common/ErrCodes.h"
#include "common/ImportJobs.h"
#include "common/MP3ToWaveUnit.h"
#include "common/WmaToWave.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/UrlOpener.h"

#include "tests/platform/codecs/CodecFixtures.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using codecfixtures::ffmpegTone;
using codecfixtures::folderEntries;
using testsupport::ScriptedInteraction;

using testsupport::hashOf;

namespace {

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class RecordedUrls : public platform::UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    QList<QUrl> urls;
};

// Runs body once the window is up, from the event loop of its modal run.
void whenShown(QDialog& window, std::function<void()> body)
{
    auto* timer = new QTimer(&window);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &window, [timer, &window, body] {
        if (!window.isVisible())
            return;
        timer->stop();
        body();
    });
    timer->start();
}

// Keeps the window as a picture and checks that it shows a bar partly filled in dark green and an
// enabled "&Cancel".
void screenshot(ImportProgressDialog& window, const QString& name)
{
    QTest::qWait(ImportProgressDialog::kPercentIntervalMs + 100);
    EXPECT_GT(window.ProgressBar->value(), 0);
    EXPECT_LT(window.ProgressBar->value(), 100);
    EXPECT_EQ(window.CancelButton->text(), "&Cancel");
    EXPECT_TRUE(window.CancelButton->isEnabled());
    const QImage image = window.grab().toImage();
    ASSERT_TRUE(QDir::current().mkpath("screenshots"));
    const QString path = QDir::current().filePath("screenshots/" + name + ".png");
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    std::printf("%s: %s\n", qPrintable(name), qPrintable(path));
    const QRect bar = window.ProgressBar->geometry();
    EXPECT_TRUE(window.rect().contains(bar));
    EXPECT_TRUE(window.rect().contains(window.CancelButton->geometry()));
    int green = 0;
    for (int x = bar.left(); x <= bar.right(); ++x) {
        const QColor c = image.pixelColor(x, bar.center().y());
        if (c.green() > 100 && c.red() < 40 && c.blue() < 40)
            ++green;
    }
    EXPECT_GT(green, 0) << "no dark green in the bar";
}

class ImportWindowsTest : public ::testing::Test {
protected:
    QString folder = testsupport::testFolder();
    ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    RecordedUrls urls;
    // Holds each conversion after its first block until the test releases it.
    codecfixtures::Gate gate;
    platform::codecs::DecodeEnvironment environment{{}, gate.hook()};

    // An empty working file, as the track loader makes one before the import.
    QString workingFile()
    {
        const QString path = folder + "/LODwork.tmp";
        testsupport::writeFile(path, {});
        return path;
    }

    WmaImportServices wmaServices(int64_t free = -1)
    {
        WmaImportServices services;
        services.recordingFormat = [] { return WaveFormatEx{}; };
        services.tempFolder = [this] { return folder; };
        services.freeSpace = [free](const QString&) { return free; };
        services.environment = environment;
        return services;
    }
};

TEST_F(ImportWindowsTest, Mp3ConvertsWithItsProgressAndLeavesTheMp3AsItWas)
{
    // Long enough that the first block is a small part of it, so the bar stops part of the way.
    const QString mp3 = ffmpegTone(folder + "/tone.mp3", 12, 44100, 2, {"-c:a", "libmp3lame", "-b:a", "128k"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray before = hashOf(mp3);
    const QString wav = workingFile();
    Tmp3towaveForm window(messages, environment);
    whenShown(window, [&] {
        ASSERT_TRUE(gate.waitReached());
        EXPECT_EQ(window.windowTitle(), "Preparing Audio File tone.mp3");
        screenshot(window, "mp3-to-wave-converting");
        gate.release();
    });
    EXPECT_EQ(window.ConvertMp3ToWave(mp3, wav), 0);
    EXPECT_FALSE(window.isVisible());
    const auto info = testsupport::runSox({"--i", wav});
    ASSERT_EQ(info.exitCode, 0) << info.err.constData();
    EXPECT_TRUE(info.out.contains("Channels       : 2")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("Sample Rate    : 44100")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("16-bit")) << info.out.constData();
    EXPECT_EQ(hashOf(mp3), before);
    EXPECT_EQ(folderEntries(folder), QStringList({"LODwork.tmp", "tone.mp3"}));
}

// Cancel, Escape and the title bar all stop the conversion: 431, shown by the caller as the
// "aborted" warning, and no WAV left.
TEST_F(ImportWindowsTest, EveryWayOfClosingAnMp3ConversionCancelsIt)
{
    const QString mp3 = ffmpegTone(folder + "/tone.mp3", 2, 44100, 1, {"-c:a", "libmp3lame", "-b:a", "64k"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray before = hashOf(mp3);
    const struct {
        const char* name;
        std::function<void(Tmp3towaveForm&)> close;
    } cases[] = {
        {"Cancel", [](Tmp3towaveForm& w) { QTest::mouseClick(w.CancelButton, Qt::LeftButton); }},
        {"Escape", [](Tmp3towaveForm& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"title bar", [](Tmp3towaveForm& w) { w.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        codecfixtures::Gate held;
        Tmp3towaveForm window(messages, platform::codecs::DecodeEnvironment{{}, held.hook()});
        const QString wav = workingFile();
        whenShown(window, [&] {
            ASSERT_TRUE(held.waitReached());
            c.close(window);
            QTest::qWait(50);
            EXPECT_TRUE(window.isVisible()) << "closed before its worker ended";
            EXPECT_FALSE(window.CancelButton->isEnabled());
            held.release();
        });
        const int result = window.ConvertMp3ToWave(mp3, wav);
        EXPECT_EQ(result, kMp3ImportAborted);
        EXPECT_EQ(messages.messageText(Mp3ToWavErrorToMessageId(result)), "Warning: User has aborted the process.");
        EXPECT_FALSE(QFileInfo::exists(wav));
        EXPECT_EQ(hashOf(mp3), before);
        EXPECT_EQ(folderEntries(folder), QStringList({"tone.mp3"}));
    }
}

TEST_F(ImportWindowsTest, BadMp3InputAndAMissingWorkerLeaveNoWave)
{
    gate.release();
    testsupport::writeFile(folder + "/noise.mp3", QByteArray(5000, '\x17'));
    const QByteArray before = hashOf(folder + "/noise.mp3");
    Tmp3towaveForm window(messages, environment);
    const QString wav = workingFile();
    const int result = window.ConvertMp3ToWave(folder + "/noise.mp3", wav);
    EXPECT_NE(result, 0);
    EXPECT_NE(Mp3ToWavErrorToMessageId(result), 0);
    EXPECT_FALSE(QFileInfo::exists(wav));
    EXPECT_EQ(hashOf(folder + "/noise.mp3"), before);

    window.setThreadStarter([](std::thread&, std::function<void()>) { return false; });
    interaction.expectMessageBox(platform::IDOK, "The system might be low on resources");
    EXPECT_EQ(window.ConvertMp3ToWave(folder + "/noise.mp3", workingFile()), kImportNoThreadMessageId);
    EXPECT_EQ(folderEntries(folder), QStringList({"noise.mp3"}));
}

TEST_F(ImportWindowsTest, WmaConvertsWithItsProgress)
{
    const QString wma = ffmpegTone(folder + "/tone.wma", 12, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
    ASSERT_FALSE(wma.isEmpty());
    const QByteArray before = hashOf(wma);
    const QString wav = workingFile();
    TWmatoWaveForm window(messages, urls, wmaServices());
    whenShown(window, [&] {
        ASSERT_TRUE(gate.waitReached());
        EXPECT_EQ(window.windowTitle(), "Importing WMA File ");
        screenshot(window, "wma-to-wave-converting");
        gate.release();
    });
    EXPECT_EQ(window.ConvertWmaToWave(wma, wav), 0);
    EXPECT_EQ(window.ProgressBar->value(), 100);
    const auto probe = codecfixtures::ffprobe(wav);
    EXPECT_EQ(probe["stream"].toObject()["codec_name"].toString(), "pcm_s16le");
    EXPECT_EQ(probe["stream"].toObject()["sample_rate"].toString(), "44100");
    EXPECT_EQ(probe["stream"].toObject()["channels"].toInt(), 2);
    EXPECT_NEAR(probe["format"].toObject()["duration"].toString().toDouble(), 12.0, 0.1);
    EXPECT_EQ(hashOf(wma), before);
    EXPECT_TRUE(interaction.prompts().empty());
}

TEST_F(ImportWindowsTest, ACancelledWmaImportSaysSoAndLeavesNoWave)
{
    const QString wma = ffmpegTone(folder + "/tone.wma", 2, 22050, 1, {"-c:a", "wmav2", "-b:a", "64k"});
    ASSERT_FALSE(wma.isEmpty());
    const QByteArray before = hashOf(wma);
    TWmatoWaveForm window(messages, urls, wmaServices());
    whenShown(window, [&] {
        ASSERT_TRUE(gate.waitReached());
        QTest::mouseClick(window.CancelButton, Qt::LeftButton);
        gate.release();
    });
    interaction.expectMessageBox(platform::IDOK, "Import WMA File Aborted by the User.");
    EXPECT_EQ(window.ConvertWmaToWave(wma, workingFile()), 3);
    EXPECT_EQ(hashOf(wma), before);
    EXPECT_EQ(folderEntries(folder), QStringList({"tone.wma"}));
}

// What the window checks before it starts, and a file that fails while it converts: each says
// why, none leaves a WAV, and the WMA file stays as it was.
TEST_F(ImportWindowsTest, WmaRefusalsAndFailuresSayWhyAndLeaveNoWave)
{
    gate.release();
    const QString wma = ffmpegTone(folder + "/tone.wma", 2, 44100, 2, {"-c:a", "wmav2", "-b:a", "128k"});
    ASSERT_FALSE(wma.isEmpty());
    testsupport::writeFile(folder + "/noise.wma", QByteArray(5000, '\x17'));
    const QString cut = folder + "/cut.wma";
    codecfixtures::truncateCopy(wma, cut, QFileInfo(wma).size() / 2);

    const struct {
        const char* name;
        QString source;
        bool decoders;
        int64_t free;
        int answer;
        const char* message;
        int result;
    } cases[] = {
        {"no decoder, Yes", wma, false, -1, platform::IDYES, "Windows Media Audio9 Codec is required", 489},
        {"no decoder, No", wma, false, -1, platform::IDNO, "Windows Media Audio9 Codec is required", 489},
        {"not a WMA file", folder + "/noise.wma", true, -1, platform::IDOK, "The file has Copy protection", 489},
        // 2 s at 44,100 Hz, 16 bits, stereo need about 352,800 bytes.
        {"no room", wma, true, 300'000, platform::IDOK, "not enough free space on your temporary drive", 489},
        {"cut short", cut, true, -1, platform::IDOK, "WMA File format is not proper.", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = hashOf(c.source);
        WmaImportServices services = wmaServices(c.free);
        services.decoderAvailable = [&c] { return c.decoders; };
        TWmatoWaveForm window(messages, urls, services);
        interaction.expectMessageBox(c.answer, c.message);
        urls.urls.clear();
        EXPECT_EQ(window.ConvertWmaToWave(c.source, workingFile()), c.result);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(interaction.prompts().back().caption, "Wexo Ravadur");
        EXPECT_EQ(urls.urls.size(), c.answer == platform::IDYES ? 1 : 0);
        EXPECT_EQ(hashOf(c.source), before);
        EXPECT_EQ(folderEntries(folder), QStringList({"cut.wma", "noise.wma", "tone.wma"}));
    }
    // Just enough room converts.
    TWmatoWaveForm window(messages, urls, wmaServices(400'000));
    EXPECT_EQ(window.ConvertWmaToWave(wma, workingFile()), 0);
}

} // namespace
