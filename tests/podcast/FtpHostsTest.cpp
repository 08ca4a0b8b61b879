// The FTP hosts of the builder: the predefined hosts, the user's own hosts and accounts, read from
// and written to their files, also when the files were damaged or edited by hand.
#include "podcast/FtpHosts.h"

#include "common/WebLink.h"
#include "platform/settings/IniFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using namespace podcast;
using testsupport::readFile;
using testsupport::writeFile;

// Texts in failure messages as text rather than as a row of bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QByteArray kPredefined = "[Podhost Basic]\r\n"
                               "FTPAddress=ftp.podhost.example\r\n"
                               "HasUserName=1\r\n"
                               "HasLoginName=0\r\n"
                               "HostWebsiteTemplate=http://%USERNAME%.podhost.example/%username%/\r\n"
                               "LoginNameTemplate=pod-%UserName%\r\n"
                               "AddNewHost=1\r\n"
                               "[Web Space]\r\n"
                               "FTPAddress=upload.webspace.example\r\n"
                               "HasUserName=1\r\n"
                               "HasLoginName=1\r\n"
                               "HostWebsiteTemplate=http://webspace.example/~%username%/\r\n"
                               "[Fixed Host]\r\n"
                               "FTPAddress=ftp.fixed.example\r\n"
                               "HostWebsiteTemplate=http://fixed.example/shows/\r\n"
                               "LoginNameTemplate=guest\r\n";

mode_t modeOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 0777;
}

PodcastRecord customHost(const QString& name)
{
    PodcastRecord r;
    r.HostName = name;
    r.HostType = FtpHostType::None;
    r.FTPAddress = QStringLiteral("ftp.mine.example");
    r.WebsiteLink = QStringLiteral("http://mine.example/pod/");
    r.LoginName = QStringLiteral("anna");
    r.Password = QStringLiteral(" pa55 wörd with a long tail beyond the key's length ");
    r.PortNo = 2121;
    return r;
}

class FtpHostsTest : public ::testing::Test {
protected:
    QString folder = testsupport::testFolder();
    FtpHostFiles files{folder + "/program/HostSettings.ini", folder + "/user/vexal-audio/CustomHost.ini",
                       folder + "/user/vexal-audio/HostInfo.ini"};

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder + "/program"));
        ASSERT_TRUE(QDir().mkpath(folder + "/user/vexal-audio"));
        writeFile(files.predefined, kPredefined);
    }
};

} // namespace

TEST_F(FtpHostsTest, HostTypeOfAName)
{
    FtpHosts hosts(files);
    ASSERT_TRUE(hosts.SaveHostInformation(customHost(QStringLiteral("My Server"))));
    const struct {
        QString name;
        FtpHostType type;
    } cases[] = {
        {QString(), FtpHostType::None},
        {QString::fromLatin1(kEnterYourHost), FtpHostType::None},
        {QStringLiteral("Podhost Basic"), FtpHostType::Predefined},
        {QStringLiteral("PODHOST basic"), FtpHostType::Predefined},
        {QStringLiteral("my server"), FtpHostType::Custom},
        {QStringLiteral("My Server "), FtpHostType::None},
        {QStringLiteral("Nowhere"), FtpHostType::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hosts.UpdateHostType(c.name), c.type) << c.name.toStdString();
}

TEST_F(FtpHostsTest, HostRowsListPredefinedThenCustomThenTheNewHostRow)
{
    const QString enter = QString::fromLatin1(kEnterYourHost);
    const struct {
        const char* name;
        QByteArray predefined; // empty: no file
        QByteArray custom;
        QStringList rows;
    } cases[] = {
        {"shipped file", kPredefined, "[Mine]\r\nFTPAddress=a\r\n[Other]\r\n",
         {"Podhost Basic", "Web Space", "Fixed Host", "Mine", "Other", enter}},
        {"new hosts not allowed", "[A]\r\nAddNewHost=0\r\n[B]\r\nAddNewHost=1\r\n", "[Mine]\r\n", {"A", "B", "Mine"}},
        {"no predefined hosts", {}, "[Mine]\r\n", {"Mine", enter}},
        {"nothing at all", {}, {}, {enter}},
        // Hand-edited files: a host listed twice (in any case, in either file), a section the
        // page itself would show, an empty one, garbage lines.
        {"duplicates and garbage", "garbage before\r\n[A]\r\nAddNewHost=yes please\r\n[a]\r\n[]\r\n=x\r\n[B\r\n",
         "[Mine]\r\n[MINE]\r\n[a]\r\n[<enter your host>]\r\n[Other]\r\n", {"A", "B", "Mine", "Other"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(files.predefined);
        QFile::remove(files.custom);
        FtpHostFiles these = files;
        if (c.predefined.isEmpty())
            these.predefined.clear();
        else
            writeFile(files.predefined, c.predefined);
        if (!c.custom.isEmpty())
            writeFile(files.custom, c.custom);
        EXPECT_EQ(FtpHosts(these).hostRows(), c.rows);
    }
}

TEST_F(FtpHostsTest, PredefinedHostsTakeTheirLinksFromTemplatesAndTheUserName)
{
    const struct {
        const char* host;
        const char* userName; // stored in the accounts file
        const char* loginName;
        QString webLink;
        QString expectedLogin;
    } cases[] = {
        // Every marker, in any case, takes the user name; the login comes from its template.
        {"Podhost Basic", "bob", "typed", "http://bob.podhost.example/bob/", "pod-bob"},
        // Without a user name there is nothing to make the links from.
        {"Podhost Basic", "", "typed", QString(), QString()},
        // The login name is the user's own: kept, also while there is no user name yet.
        {"Web Space", "carol", "carol-ftp", "http://webspace.example/~carol/", "carol-ftp"},
        {"Web Space", "", "carol-ftp", QString(), "carol-ftp"},
        // A host whose links need no user name takes its templates as they stand.
        {"Fixed Host", "", "", "http://fixed.example/shows/", "guest"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " / " + c.userName);
        platform::IniFile accounts(files.accounts);
        ASSERT_TRUE(accounts.writeStrings(QString::fromLatin1(c.host),
                                          {{"username", c.userName}, {"loginname", c.loginName}}));
        PodcastRecord r;
        r.UploadPath = QStringLiteral("/kept");
        FtpHosts(files).UpdateHostInformation(r, QString::fromLatin1(c.host));
        EXPECT_EQ(r.HostType, FtpHostType::Predefined);
        EXPECT_EQ(r.HostName, QString::fromLatin1(c.host));
        EXPECT_EQ(r.WebsiteLink, c.webLink);
        EXPECT_EQ(r.LoginName, c.expectedLogin);
        EXPECT_EQ(r.UserName, QString::fromLatin1(c.userName));
        EXPECT_EQ(r.PortNo, kDefaultFtpPort);
        EXPECT_EQ(r.UploadPath, QStringLiteral("/kept"));
    }
}

TEST_F(FtpHostsTest, SavedHostsReadBackAndTheProgramsFileIsNeverWritten)
{
    const QByteArray shipped = readFile(files.predefined);
    FtpHosts hosts(files);
    const PodcastRecord mine = customHost(QStringLiteral("My Server"));
    ASSERT_TRUE(hosts.SaveHostInformation(mine));

    const platform::IniFile custom(files.custom);
    const QString stored = custom.readString(mine.HostName, QStringLiteral("Password"));
    EXPECT_EQ(stored, common::HexXorEncode(mine.Password, QString::fromLatin1(common::kHostPasswordKey)));
    EXPECT_EQ(stored, stored.toUpper());
    EXPECT_FALSE(readFile(files.custom).contains("pa55")) << "the password is never stored as it is";

    PodcastRecord back;
    hosts.UpdateHostInformation(back, QStringLiteral("my server"));
    EXPECT_EQ(back.HostType, FtpHostType::Custom);
    EXPECT_EQ(back.FTPAddress, mine.FTPAddress);
    EXPECT_EQ(back.WebsiteLink, mine.WebsiteLink);
    EXPECT_EQ(back.LoginName, mine.LoginName);
    EXPECT_EQ(back.Password, mine.Password);
    EXPECT_EQ(back.PortNo, 2121);

    // A predefined host's account goes to the accounts file.
    PodcastRecord account;
    hosts.UpdateHostInformation(account, QStringLiteral("Web Space"));
    account.UserName = QStringLiteral("carol");
    account.LoginName = QStringLiteral("carol-ftp");
    account.Password = QStringLiteral("hunter2");
    account.PortNo = 0;
    ASSERT_TRUE(hosts.SaveHostInformation(account));
    PodcastRecord again;
    hosts.UpdateHostInformation(again, QStringLiteral("Web Space"));
    EXPECT_EQ(again.UserName, QStringLiteral("carol"));
    EXPECT_EQ(again.LoginName, QStringLiteral("carol-ftp"));
    EXPECT_EQ(again.Password, QStringLiteral("hunter2"));
    EXPECT_EQ(again.PortNo, kDefaultFtpPort);
    EXPECT_EQ(again.WebsiteLink, QStringLiteral("http://webspace.example/~carol/"));
    EXPECT_EQ(readFile(files.predefined), shipped);
    EXPECT_FALSE(platform::IniFile(files.custom).sectionExists(QStringLiteral("Web Space")));

    // "<Enter Your Host>" starts an empty new host.
    hosts.UpdateHostInformation(again, QString::fromLatin1(kEnterYourHost));
    EXPECT_TRUE(again.HostName.isEmpty());
    EXPECT_EQ(again.HostType, FtpHostType::None);
    EXPECT_TRUE(again.FTPAddress.isEmpty() && again.WebsiteLink.isEmpty() && again.LoginName.isEmpty()
                && again.Password.isEmpty() && again.UploadPath.isEmpty());
    EXPECT_EQ(again.PortNo, kDefaultFtpPort);
}

TEST_F(FtpHostsTest, UserFilesAreReadableByTheUserAlone)
{
    FtpHosts hosts(files);
    ASSERT_TRUE(hosts.SaveHostInformation(customHost(QStringLiteral("Mine"))));
    EXPECT_EQ(modeOf(files.custom), 0600u);
    PodcastRecord account;
    hosts.UpdateHostInformation(account, QStringLiteral("Podhost Basic"));
    account.Password = QStringLiteral("secret");
    ASSERT_TRUE(hosts.SaveHostInformation(account));
    EXPECT_EQ(modeOf(files.accounts), 0600u);

    // A file an older version left readable by all is made private at the next save.
    ASSERT_EQ(::chmod(QFile::encodeName(files.custom).constData(), 0644), 0);
    ASSERT_TRUE(hosts.SaveHostInformation(customHost(QStringLiteral("Second"))));
    EXPECT_EQ(modeOf(files.custom), 0600u);
    ASSERT_EQ(::chmod(QFile::encodeName(files.custom).constData(), 0644), 0);
    ASSERT_TRUE(hosts.removeCustomHost(QStringLiteral("Second")));
    EXPECT_EQ(modeOf(files.custom), 0600u);
    EXPECT_EQ(hosts.customNames(), QStringList{QStringLiteral("Mine")});
}

TEST_F(FtpHostsTest, DamagedFilesAreReadAsFarAsTheyAreSound)
{
    const struct {
        const char* name;
        QByteArray custom;
        QString address;
        QString password;
        quint16 port;
    } cases[] = {
        {"missing keys", "[Mine]\r\n", QString(), QString(), kDefaultFtpPort},
        {"garbage lines", "junk\r\n[Mine]\r\nnonsense\r\n  FTPAddress = ftp.a.example  \r\n;PortNo=99\r\n==\r\n",
         QStringLiteral("ftp.a.example"), QString(), kDefaultFtpPort},
        {"first of duplicate sections", "[Mine]\r\nFTPAddress=first\r\n[mine]\r\nFTPAddress=second\r\nPortNo=7\r\n",
         QStringLiteral("first"), QString(), kDefaultFtpPort},
        {"port not a number", "[Mine]\r\nPortNo=twenty\r\n", QString(), QString(), kDefaultFtpPort},
        {"port out of range", "[Mine]\r\nPortNo=70000\r\n", QString(), QString(), kDefaultFtpPort},
        {"port zero", "[Mine]\r\nPortNo=0\r\n", QString(), QString(), kDefaultFtpPort},
        {"negative port", "[Mine]\r\nPortNo=-21\r\n", QString(), QString(), kDefaultFtpPort},
        {"large port", "[Mine]\r\nPortNo=2121\r\n", QString(), QString(), 2121},
        {"damaged password", "[Mine]\r\nPassword=303537ZZ30\r\n", QString(), QStringLiteral("abc"), kDefaultFtpPort},
        {"Windows-1252 file", "[Mine]\r\nFTPAddress=ftp.caf\xE9.example\r\nloginname=Andr\xE9\r\n",
         QStringLiteral("ftp.café.example"), QString(), kDefaultFtpPort},
        {"no line end, LF only", "[Mine]\nFTPAddress=lf.example\nPassword=303537", QStringLiteral("lf.example"),
         QStringLiteral("abc"), kDefaultFtpPort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(files.custom, c.custom);
        FtpHosts hosts(files);
        EXPECT_EQ(hosts.customNames(), QStringList{QStringLiteral("Mine")});
        PodcastRecord r;
        hosts.UpdateHostInformation(r, QStringLiteral("Mine"));
        EXPECT_EQ(r.HostType, FtpHostType::Custom);
        EXPECT_EQ(r.FTPAddress, c.address);
        EXPECT_EQ(r.Password, c.password);
        EXPECT_EQ(r.PortNo, c.port);
    }

    // Predefined flags that are not 0 or 1, and a missing accounts file.
    writeFile(files.predefined,
              "[Odd]\r\nHasUserName=yes\r\nHasLoginName=7\r\nHostWebsiteTemplate=http://o.example/\r\n");
    PodcastRecord odd;
    FtpHosts(files).UpdateHostInformation(odd, QStringLiteral("Odd"));
    EXPECT_EQ(odd.HasUserName, 0);
    EXPECT_EQ(odd.HasLoginName, 1);
    EXPECT_EQ(odd.WebsiteLink, QStringLiteral("http://o.example/"));
    EXPECT_EQ(odd.PortNo, kDefaultFtpPort);
}

TEST_F(FtpHostsTest, RemovingTakesEveryCopyOfTheHostAndLeavesTheOthers)
{
    writeFile(files.custom, "[Mine]\r\nFTPAddress=a\r\n[Keep]\r\nFTPAddress=k\r\n[MINE]\r\nFTPAddress=b\r\n");
    FtpHosts hosts(files);
    ASSERT_TRUE(hosts.removeCustomHost(QStringLiteral("mine")));
    EXPECT_EQ(hosts.customNames(), QStringList{QStringLiteral("Keep")});
    EXPECT_EQ(platform::IniFile(files.custom).readString(QStringLiteral("Keep"), QStringLiteral("FTPAddress")),
              QStringLiteral("k"));
    EXPECT_TRUE(hosts.removeCustomHost(QStringLiteral("Nowhere")));
    // A predefined host is not the user's to remove.
    const QByteArray shipped = readFile(files.predefined);
    EXPECT_TRUE(hosts.removeCustomHost(QStringLiteral("Podhost Basic")));
    EXPECT_EQ(readFile(files.predefined), shipped);
    EXPECT_EQ(hosts.UpdateHostType(QStringLiteral("Podhost Basic")), FtpHostType::Predefined);
}

TEST_F(FtpHostsTest, HostsThatCannotBeSavedAreRefusedAndNothingIsWritten)
{
    FtpHosts hosts(files);
    ASSERT_TRUE(hosts.SaveHostInformation(customHost(QStringLiteral("Mine"))));
    const QByteArray before = readFile(files.custom);
    const char* refused[] = {"", "<Enter Your Host>", "[bracket]", "a]b", " padded "};
    for (const char* name : refused) {
        SCOPED_TRACE(name);
        QString why;
        EXPECT_FALSE(hosts.SaveHostInformation(customHost(QString::fromUtf8(name)), &why));
        EXPECT_FALSE(why.isEmpty());
    }
    EXPECT_EQ(readFile(files.custom), before);

    // A value that cannot be one line: the whole host is refused, not half of it.
    PodcastRecord broken = customHost(QStringLiteral("Mine"));
    broken.FTPAddress = QStringLiteral("new.example");
    broken.LoginName = QStringLiteral("two\nlines");
    EXPECT_FALSE(hosts.SaveHostInformation(broken));
    EXPECT_EQ(readFile(files.custom), before);

    // No folder can be made for the user's files.
    writeFile(folder + "/blocked", "a file where the folder should be");
    FtpHostFiles blocked = files;
    blocked.custom = folder + "/blocked/CustomHost.ini";
    QString why;
    EXPECT_FALSE(FtpHosts(blocked).SaveHostInformation(customHost(QStringLiteral("Mine")), &why));
    EXPECT_TRUE(why.contains(QStringLiteral("blocked"))) << why.toStdString();
}
