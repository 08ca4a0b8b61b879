// The shared utilities: number and position texts, hexadecimal text, names, file size and time,
// the peak cache's name, the simulated click, the conversion to a PCM temporary file, and the
// routines whose answer on this system is fixed.
#include "common/Util.h"

#include "common/WaveUtil.h"
#include "platform/messaging/FakeMessaging.h"
#include "platform/files/FileTime.h"
#include "platform/files/TempName.h"
#include "platform/codecs/PcmConversion.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPushButton>

#include <sys/stat.h>

using testsupport::readFile;
using testsupport::testFolder;
using testsupport::writeFile;

TEST(Util, PadWithZeros)
{
    struct Case {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {
        {"7", 3, "007"}, {"1234", 3, "1234"}, {"123", 3, "123"}, {"", 2, "00"}, {"5", 0, "5"}, {"5", -1, "5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PadWithZeros(c.text, c.width), c.expected) << c.text << " to " << c.width;
}

TEST(Util, MillisecondsToAndFromMinutesSecondsMilliseconds)
{
    struct Case {
        uint32_t ms;
        const char* minutes;
        const char* seconds;
        const char* milliseconds;
    } cases[] = {
        {0, "000", "00", "000"},
        {61005, "001", "01", "005"},
        {59999, "000", "59", "999"},
        {60000, "001", "00", "000"},
        {59940000, "999", "00", "000"},
        {60000000, "1000", "00", "000"},       // past three digits: the text grows
        {4294967295u, "71582", "47", "295"},   // the largest input
    };
    for (const Case& c : cases) {
        QString minutes, seconds, milliseconds;
        MsToMinSecMs(c.ms, minutes, seconds, milliseconds);
        EXPECT_EQ(minutes, c.minutes) << c.ms;
        EXPECT_EQ(seconds, c.seconds) << c.ms;
        EXPECT_EQ(milliseconds, c.milliseconds) << c.ms;
        EXPECT_EQ(MinSecMsToMs(minutes.toLongLong(), seconds.toLongLong(), milliseconds.toLongLong()), int64_t(c.ms));
    }
    EXPECT_EQ(MinSecMsToMs(2, 75, 1500), 2 * 60000 + 75000 + 1500) << "fields past their range still add up";
    EXPECT_EQ(MinSecMsToMs(999, 59, 999), 59999999);
}

TEST(Util, HexToInt)
{
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"1F", 31},   {"1f", 31},     {"1G", 1},   {"", 0},          {"zz", 0},           {"0", 0},
        {"ff", 255},  {" 1F", 0},     {"1F 2", 31}, {"7FFFFFFF", 0x7FFFFFFF}, {"FFFFFFFF", -1},
        {"123456789", 0x23456789}, // a ninth digit wraps around as 32-bit arithmetic does
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexToInt(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Util, NameAndPathText)
{
    struct ExtensionCase {
        const char* text;
        const char* expected;
    } extensions[] = {
        {"take.one.wav", "take"}, {"take.wav", "take"}, {"take", "take"}, {".hidden", ""}, {"", ""},
    };
    for (const ExtensionCase& c : extensions)
        EXPECT_EQ(RemoveFileExtension(c.text), c.expected) << c.text;

    struct SlashCase {
        const char* path;
        const char* expected;
    } slashes[] = {
        {"/tmp", "/tmp/"}, {"/tmp/", "/tmp/"}, {"/", "/"}, {"", ""}, {"a\\", "a\\/"},
    };
    for (const SlashCase& c : slashes) {
        QString path = c.path;
        AddTrailingBackslash(path);
        EXPECT_EQ(path, c.expected) << '"' << c.path << '"';
    }
}

TEST(Util, FixedAnswersOfThisSystem)
{
    EXPECT_EQ(GetWindowsVersionClass(), 7) << "no record-source list";
    EXPECT_FALSE(IsMp3AcmCodecInstalled());
    EXPECT_TRUE(FindInstallFolderByUninstallKey("Wexo Express").isEmpty());
    EXPECT_EQ(GetProductVersion(), QStringLiteral(VA_PRODUCT_VERSION));
    EXPECT_FALSE(GetProductVersion().isEmpty());
}

TEST(Util, FileSizeByName)
{
    const QString folder = testFolder();
    writeFile(folder + "/five.bin", "12345");
    writeFile(folder + "/empty.bin", "");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/pipe").constData(), 0600), 0);
    struct Case {
        QString file;
        int64_t expected;
    } cases[] = {
        {folder + "/five.bin", 5},
        {folder + "/empty.bin", 0},
        {folder + "/missing.bin", 0},
        {folder, 0},             // a folder is no file to open
        {folder + "/pipe", 0},   // and a pipe neither (nor does it hang the caller)
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFileSizeByName(c.file), c.expected) << c.file.toStdString();
}

TEST(Util, FileLastWriteTimeHasNanoseconds)
{
    const QString folder = testFolder();
    const QString file = folder + "/take.wav";
    writeFile(file, "x");
    const int64_t stamp = 1'700'000'000'123'456'789;
    ASSERT_TRUE(platform::setFileWriteTimeNs(file, stamp));

    int64_t time = 0;
    EXPECT_TRUE(GetFileLastWriteTime(file, time));
    EXPECT_EQ(time, stamp);

    int64_t untouched = 42;
    EXPECT_FALSE(GetFileLastWriteTime(folder + "/missing.wav", untouched));
    EXPECT_FALSE(GetFileLastWriteTime(folder, untouched));
    EXPECT_EQ(untouched, 42);
}

TEST(Util, PeakFileNameBesideTheWave)
{
    const QString folder = testFolder();
    QDir().mkpath(folder + "/a.b");
    const QString temp = folder + "/temp/";
    struct Case {
        QString wave;
        QString expected;
    } cases[] = {
        {folder + "/voice.wav", folder + "/voice.vxp"},
        {folder + "/take.one.wav", folder + "/take.one.vxp"},
        {folder + "/a.b/voice", folder + "/a.b/voice.vxp"},   // the folder's dot is no extension
        {folder + "/a.b/.hidden", folder + "/a.b/.hidden.vxp"},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(QFile::exists(c.expected));
        EXPECT_EQ(GetPeakFileName(c.wave, temp), c.expected) << c.wave.toStdString();
        EXPECT_TRUE(QFile::exists(c.expected)) << "an empty cache is left where none was";
        EXPECT_EQ(readFile(c.expected).size(), 0);
    }

    const QByteArray cache("\x01\x00\x00\x00\x00\x00", 6);
    writeFile(folder + "/kept.vxp", cache);
    EXPECT_EQ(GetPeakFileName(folder + "/kept.wav", temp), folder + "/kept.vxp");
    EXPECT_EQ(readFile(folder + "/kept.vxp"), cache) << "an existing cache is opened, not emptied";
    EXPECT_TRUE(GetPeakFileName({}, temp).isEmpty());
}

TEST(Util, PeakFileNameFallsBackToTheTemporaryFolder)
{
    const QString folder = testFolder();
    const QString temp = folder + "/temp";
    QDir().mkpath(temp);
    const auto mark = [](const QString& waveFolder) {
        return QString::fromLatin1(QCryptographicHash::hash(QFile::encodeName(waveFolder), QCryptographicHash::Sha1)
                                       .toHex()
                                       .left(8));
    };

    // A folder that does not exist stands for one that cannot be written (the tests run as root).
    const QString first = GetPeakFileName(folder + "/gone/voice.wav", temp);
    const QString second = GetPeakFileName(folder + "/away/voice.wav", temp + "/");
    EXPECT_EQ(first, temp + "/voice-" + mark(folder + "/gone") + ".vxp");
    EXPECT_EQ(second, temp + "/voice-" + mark(folder + "/away") + ".vxp");
    EXPECT_NE(first, second) << "same-named waves of two folders must not share a cache";

    // A folder where the cache should be is no cache either.
    QDir().mkpath(folder + "/blocked.vxp");
    EXPECT_EQ(GetPeakFileName(folder + "/blocked.wav", temp), temp + "/blocked-" + mark(folder) + ".vxp");
}

TEST(Util, SimulatedClickArrivesThroughTheEventLoop)
{
    QPushButton button(QStringLiteral("Play"));
    button.resize(40, 20);
    button.show();
    int clicked = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicked; });

    SimulateClick(&button);
    EXPECT_EQ(clicked, 0) << "posted, not sent";
    QCoreApplication::processEvents();
    EXPECT_EQ(clicked, 1);

    button.setEnabled(false);
    SimulateClick(&button);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicked, 1) << "a disabled button takes no click";

    SimulateClick(nullptr);
}

namespace {

int convert(const QString& source, const QString& target, const WaveFormatEx& format)
{
    return platform::codecs::ACMAudioConvertFormatPCM(source, target, format);
}

} // namespace

TEST(Util, ConvertToPcmTempFile)
{
    const QString folder = testFolder();
    const QString pcm = wavefixtures::soxWave(folder + "/pcm.wav", 16, 1, 8000);
    const QString adpcm = folder + "/adpcm.wav";
    ASSERT_EQ(testsupport::runSox({pcm, "-e", "ima-adpcm", adpcm}).exitCode, 0);
    const QString temp = folder + "/temp";
    QDir().mkpath(temp);
    const TempWaveNameProvider newName = [&] { return platform::createTempFile(temp, "LOD"); };
    const WaveFormatEx target = makePcmFormat(22050, 16, 2);

    const QString converted = ConvertToPcmTempFile(adpcm, target, newName, convert);
    ASSERT_FALSE(converted.isEmpty());
    EXPECT_TRUE(converted.startsWith(temp + "/LOD"));
    WaveFormatEx format;
    uint32_t frames = 0;
    ASSERT_EQ(ReadWaveFormat(converted, &frames, &format), 0);
    EXPECT_EQ(format, target);
    // ADPCM fills its last block, so the source holds a little more than the 8000 frames made.
    const int64_t sourceFrames = wavefixtures::soxWaveInfo(adpcm, false).frames;
    ASSERT_GE(sourceFrames, 8000);
    EXPECT_NEAR(double(frames), double(sourceFrames) * 22050 / 8000, 1.0) << "the same length at the new rate";

    // A source that cannot be converted leaves no temporary file behind.
    writeFile(folder + "/broken.wav", "RIFF....WAVEjunk");
    EXPECT_TRUE(ConvertToPcmTempFile(folder + "/broken.wav", target, newName, convert).isEmpty());
    EXPECT_TRUE(ConvertToPcmTempFile(folder + "/missing.wav", target, newName, convert).isEmpty());
    EXPECT_EQ(QDir(temp).entryList(QDir::Files).size(), 1) << "only the successful conversion is left";

    // Without a temporary name there is nothing to convert into.
    bool called = false;
    const PcmConversion spy = [&](const QString&, const QString&, const WaveFormatEx&) {
        called = true;
        return 0;
    };
    EXPECT_TRUE(ConvertToPcmTempFile(adpcm, target, [] { return QString(); }, spy).isEmpty());
    EXPECT_FALSE(called);
}

TEST(Util, EditorRunningWhenItsMainWindowIsThere)
{
    struct Case {
        const char* className;
        const char* caption;
        bool expected;
    } cases[] = {
        {nullptr, nullptr, false},
        {"TMainForm", "Vexal Audio Zuq Editor", true},
        {"tmainform", "Vexal Audio Zuq Editor - voice.wav", true},
        {"TMainForm", "Wexo Ravadur", false},
        {"TMainForm", "vexal audio zuq editor", false}, // the caption keeps its case
        {"TAboutBox", "Vexal Audio Zuq Editor", false},
    };
    for (const Case& c : cases) {
        platform::FakeDesktop desktop;
        platform::FakeMessaging editor(desktop);
        platform::FakeMessaging recorder(desktop);
        platform::FakeWindow window(c.caption);
        std::unique_ptr<platform::WindowRegistration> registration;
        if (c.className)
            registration = editor.registerWindow(c.className, window);
        EXPECT_EQ(IsEditorRunning(recorder), c.expected) << (c.className ? c.className : "no window") << " "
                                                         << (c.caption ? c.caption : "");
    }
}
