// The ini engine on disk: creation, atomic updates, changes made by others, failures, and a check
// of our output by Python's configparser.
#include "platform/settings/IniFile.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include <ostream>

using platform::IniFile;
using testsupport::readFile;
using testsupport::writeFile;

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

class IniFileTest : public testing::Test {
protected:
    QString folder = testsupport::testFolder();
    QString path = folder + "/project.pdi";
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsNotCreatedByReads)
{
    const IniFile ini(path);
    EXPECT_EQ(ini.fileState(), IniFile::FileState::Missing);
    EXPECT_EQ(ini.readString("Settings", "FeedName", "none"), u8("none"));
    EXPECT_EQ(ini.readInteger("HostSelection", "PortNo", 21), 21);
    EXPECT_TRUE(ini.readBool("ID3Tag", "UseID3Tag", true));
    EXPECT_FALSE(ini.sectionExists("Settings"));
    EXPECT_FALSE(ini.valueExists("Settings", "FeedName"));
    EXPECT_TRUE(ini.sectionNames().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileAndItsFolderWithCrLf)
{
    const QString nested = folder + "/new/deeper/CustomHost.ini";
    IniFile ini(nested);
    ASSERT_TRUE(ini.writeString("My Host", "FTPAddress", "ftp.example.org"));
    ASSERT_TRUE(ini.writeInteger("My Host", "PortNo", 2121));
    ASSERT_TRUE(ini.writeBool("My Host", "Active", true));
    ASSERT_TRUE(ini.writeBool("My Host", "Hidden", false));
    EXPECT_EQ(readFile(nested), QByteArray("[My Host]\r\nFTPAddress=ftp.example.org\r\nPortNo=2121\r\n"
                                           "Active=1\r\nHidden=0\r\n"));
    EXPECT_EQ(ini.fileState(), IniFile::FileState::Readable);
    EXPECT_EQ(QDir(folder + "/new/deeper").entryList(QDir::Files | QDir::Hidden), QStringList{"CustomHost.ini"});
}

TEST_F(IniFileTest, ValuesPersistForALaterReader)
{
    {
        IniFile ini(path);
        ASSERT_TRUE(ini.writeString("Settings", "FeedName", "show.xml"));
        ASSERT_TRUE(ini.writeInteger("Settings", "PodcastType", -5));
        ASSERT_TRUE(ini.writeBool("ID3Tag", "UseID3Tag", true));
    }
    const IniFile ini(path);
    EXPECT_EQ(ini.readString("settings", "FEEDNAME"), u8("show.xml"));
    EXPECT_EQ(ini.readInteger("Settings", "PodcastType", 0), -5);
    EXPECT_TRUE(ini.readBool("ID3Tag", "UseID3Tag", false));
    EXPECT_FALSE(ini.readBool("Settings", "FeedName", false)); // not a number: the default
    EXPECT_EQ(ini.sectionNames(), (QStringList{"Settings", "ID3Tag"}));
    EXPECT_EQ(ini.keyNames("Settings"), (QStringList{"FeedName", "PodcastType"}));
}

TEST_F(IniFileTest, UpdateKeepsLineEndsCommentsAndOrder)
{
    writeFile(path, "; made by hand\n[A]\nx = 1\njunk\n\n[B]\ny=2\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("a", "X", "10"));
    ASSERT_TRUE(ini.writeString("B", "z", "3"));
    ASSERT_TRUE(ini.writeString("C", "w", "4"));
    EXPECT_EQ(readFile(path), QByteArray("; made by hand\n[A]\nx=10\njunk\n\n[B]\ny=2\nz=3\n[C]\nw=4\n"));
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey)
{
    writeFile(path, "[PodcastItem01]\r\nItemTitle=One\r\n[PodcastItem02]\r\nItemTitle=Two\r\nItemUploaded=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.eraseSection("podcastitem01"));
    ASSERT_TRUE(ini.deleteKey("PodcastItem02", "itemuploaded"));
    ASSERT_TRUE(ini.eraseSection("PodcastItem07"));
    EXPECT_EQ(readFile(path), QByteArray("[PodcastItem02]\r\nItemTitle=Two\r\n"));
    EXPECT_FALSE(ini.sectionExists("PodcastItem01"));
}

TEST_F(IniFileTest, ChangesByOthersAreSeenAtOnce)
{
    writeFile(path, "[A]\nk=1\n");
    IniFile ini(path);
    ASSERT_EQ(ini.readString("A", "k"), u8("1"));

    // Rewritten in place with the same size, within the file system's time stamp tick.
    writeFile(path, "[A]\nk=2\n");
    EXPECT_EQ(ini.readString("A", "k"), u8("2"));

    // Replaced by another file.
    writeFile(folder + "/other", "[A]\nk=3\nj=4\n");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(folder + "/other", path));
    EXPECT_EQ(ini.readString("A", "j"), u8("4"));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(ini.readString("A", "k", "gone"), u8("gone"));
}

TEST_F(IniFileTest, TwoObjectsOnOneFileKeepEachOthersWrites)
{
    IniFile first(path);
    IniFile second(path);
    ASSERT_TRUE(first.writeString("A", "one", "1"));
    ASSERT_TRUE(second.writeString("A", "two", "2"));
    ASSERT_TRUE(first.writeString("B", "three", "3"));
    EXPECT_EQ(second.readString("B", "three"), u8("3"));
    EXPECT_EQ(readFile(path), QByteArray("[A]\r\none=1\r\ntwo=2\r\n[B]\r\nthree=3\r\n"));
}

TEST_F(IniFileTest, WriteKeepsThePermissionsOfTheFile)
{
    writeFile(path, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString("A", "k", "2"));
    struct stat info{};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, RefusedValueLeavesTheFileAndIsLogged)
{
    writeFile(path, "[A]\r\nk=1\r\n");
    IniFile ini(path);
    testsupport::LogCapture log;
    EXPECT_FALSE(ini.writeString("A", "k", "two\r\nlines"));
    EXPECT_FALSE(ini.writeString("A", "", "v"));
    EXPECT_TRUE(log.contains("line break", "va.platform"));
    EXPECT_TRUE(log.contains("the key is empty", "va.platform"));
    EXPECT_EQ(readFile(path), QByteArray("[A]\r\nk=1\r\n"));
}

TEST_F(IniFileTest, OlderWindowsFileIsReadAndWrittenBackAsUtf8)
{
    writeFile(path, "[FeedInfo]\r\nFeedTitle=Caf\xE9 \x80 News\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("FeedInfo", "FeedTitle"), u8("Café € News"));
    ASSERT_TRUE(ini.writeString("FeedInfo", "FeedOwner", "Zoë"));
    EXPECT_EQ(readFile(path),
              QByteArray("[FeedInfo]\r\nFeedTitle=Caf\xC3\xA9 \xE2\x82\xAC News\r\nFeedOwner=Zo\xC3\xAB\r\n"));
    EXPECT_EQ(IniFile(path).readString("FeedInfo", "FeedTitle"), u8("Café € News"));
}

struct FailingLocation {
    const char* name;
    // Makes the location inside the test folder and returns the file path to use.
    QString (*make)(const QString& folder);
    IniFile::FileState state;
};

class IniFileFailure : public testing::TestWithParam<FailingLocation> {};

TEST_P(IniFileFailure, ReadsDefaultsAndRefusesWritesWithoutHarm)
{
    const QString path = GetParam().make(testsupport::testFolder());
    const QFileInfo before(path);
    IniFile ini(path);
    testsupport::LogCapture log;
    EXPECT_EQ(ini.fileState(), GetParam().state);
    EXPECT_EQ(ini.readString("A", "k", "default"), u8("default"));
    EXPECT_EQ(ini.readInteger("A", "k", 7), 7);
    EXPECT_FALSE(ini.writeString("A", "k", "v"));
    EXPECT_FALSE(ini.writeInteger("A", "n", 1));
    // Erasing from a missing file has nothing to do; a file that cannot be read is never touched.
    EXPECT_EQ(ini.eraseSection("A"), GetParam().state == IniFile::FileState::Missing);
    EXPECT_TRUE(log.contains(path, "va.platform"));
    const QFileInfo after(path);
    EXPECT_EQ(after.exists(), before.exists());
    EXPECT_EQ(after.size(), before.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileFailure,
    testing::Values(
        FailingLocation{"UnderARegularFile",
                        [](const QString& folder) {
                            writeFile(folder + "/plain", "x");
                            return folder + "/plain/hosts.ini";
                        },
                        IniFile::FileState::Missing},
        FailingLocation{"AFolder",
                        [](const QString& folder) {
                            QDir().mkpath(folder + "/folder.ini");
                            return folder + "/folder.ini";
                        },
                        IniFile::FileState::Unreadable},
        FailingLocation{"APipe",
                        [](const QString& folder) {
                            const QString pipe = folder + "/pipe.ini";
                            ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
                            return pipe;
                        },
                        IniFile::FileState::Unreadable},
        FailingLocation{"TooLarge",
                        [](const QString& folder) {
                            const QString big = folder + "/big.ini";
                            writeFile(big, "[A]\nk=v\n");
                            QFile(big).resize(IniFile::maxFileSize + 1);
                            return big;
                        },
                        IniFile::FileState::Unreadable}),
    [](const testing::TestParamInfo<FailingLocation>& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, PythonConfigParserReadsWhatWeWrite)
{
    IniFile ini(path);
    const QList<std::tuple<QString, QString, QString>> entries = {
        {"Settings", "PodcastType", "1"},
        {"Settings", "FeedName", "show.xml"},
        {"FeedInfo", "FeedTitle", u8("Zoë's Café – 日本")},
        {"FeedInfo", "FeedDescription", "a\\eb\\nline two; with = signs"},
        {"FeedInfo", "FeedURL", "http://example.org/a?b=c&d=%20"},
        {"FeedInfo", "Empty Value", ""},
        {"Host Name With Spaces", "loginname", "#not a comment"},
    };
    for (const auto& [section, key, value] : entries)
        ASSERT_TRUE(ini.writeString(section, key, value));
    ASSERT_TRUE(ini.writeString("Settings", "PodcastType", "0"));

    const testsupport::ToolResult result = testsupport::runPythonScript("ini_configparser.py", {path});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject sections = QJsonDocument::fromJson(result.out).object();
    EXPECT_EQ(sections.keys(), (QStringList{"FeedInfo", "Host Name With Spaces", "Settings"}));
    for (const auto& [section, key, value] : entries) {
        const QString expected = key == "PodcastType" ? u8("0") : value;
        EXPECT_EQ(sections.value(section).toObject().value(key).toString(), expected) << key.toStdString();
        EXPECT_EQ(ini.readString(section, key), expected);
    }
    EXPECT_EQ(sections.value("Settings").toObject().keys(), (QStringList{"FeedName", "PodcastType"}));
}

} // namespace
