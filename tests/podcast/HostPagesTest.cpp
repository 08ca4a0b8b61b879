// The builder's host and FTP pages, driven through their named controls as a user would: the host
// list, the fields each kind of host lets the user edit, the checks of the fields, saving and
// removing hosts, and browsing the remote folder.
#include "tests/podcast/XvqPageFixture.h"

#include "common/HostFiles.h"
#include "platform/base/ProgramFolder.h"
#include "platform/settings/IniFile.h"
#include "podcast/FTPInfoTab.h"
#include "podcast/FtpHosts.h"
#include "podcast/HostSelectionTab.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

using namespace podcast;
using platform::IDNO;
using platform::IDOK;
using platform::IDYES;
using xvqpagetest::control;

namespace {

const QByteArray kPredefined = "[Podhost Basic]\r\n"
                               "FTPAddress=ftp.podhost.example\r\n"
                               "HasUserName=1\r\n"
                               "HasLoginName=0\r\n"
                               "HostWebsiteTemplate=http://%USERNAME%.podhost.example/\r\n"
                               "LoginNameTemplate=pod-%username%\r\n"
                               "AddNewHost=1\r\n"
                               "[Web Space]\r\n"
                               "FTPAddress=upload.webspace.example\r\n"
                               "HasUserName=1\r\n"
                               "HasLoginName=1\r\n"
                               "HostWebsiteTemplate=http://webspace.example/~%username%/\r\n";

const QString kEnter = QString::fromLatin1(kEnterYourHost);

class HostPagesTest : public xvqpagetest::XvqPageFixture {
protected:
    platform::ProgramFolderOverride program{folder};

    void SetUp() override
    {
        testsupport::writeFile(folder + "/HostSettings.ini", kPredefined);
        QFile::remove(common::GetCustomHostIniPath());
        QFile::remove(common::GetHostInfoIniPath());
    }

    void saveCustomHost(const QString& name, const QString& password = QStringLiteral("pw"))
    {
        PodcastRecord r;
        r.HostName = name;
        r.HostType = FtpHostType::None;
        r.FTPAddress = QStringLiteral("ftp.") + name.toLower().remove(' ') + ".example";
        r.WebsiteLink = QStringLiteral("http://mine.example/");
        r.LoginName = QStringLiteral("me");
        r.Password = password;
        r.PortNo = 2121;
        ASSERT_TRUE(FtpHosts().SaveHostInformation(r));
    }

    std::unique_ptr<XvqPageWidget> hostPage(PodcastRecord& record)
    {
        auto page = makePage(XvqPage::HostSelection);
        page->UIUpdate(record, context());
        showActive(*page);
        return page;
    }

    void chooseRow(XvqPageWidget& page, const QString& row)
    {
        auto* list = control<QListWidget>(page, "ExistingHostListBox");
        const auto found = list->findItems(row, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << row.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
        ASSERT_EQ(list->currentItem(), found.front());
    }

    QString text(XvqPageWidget& page, const char* name) { return control<QLineEdit>(page, name)->text(); }
    bool enabled(XvqPageWidget& page, const char* name) { return control<QWidget>(page, name)->isEnabled(); }
};

QStringList rowsOf(QListWidget* list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows.append(list->item(row)->text());
    return rows;
}

} // namespace

TEST_F(HostPagesTest, EachKindOfHostLetsTheUserEditItsOwnFields)
{
    saveCustomHost(QStringLiteral("My Server"), QStringLiteral("s3cret"));
    const struct {
        QString row;
        bool hostName, ftpAddress, userName, loginName, webLink, remove;
        const char* shownAddress;
    } cases[] = {
        {QStringLiteral("Podhost Basic"), false, false, true, false, false, false, "ftp.podhost.example"},
        {QStringLiteral("Web Space"), false, false, true, true, false, false, "upload.webspace.example"},
        {QStringLiteral("My Server"), false, true, false, true, true, true, "ftp.myserver.example"},
        {kEnter, true, true, false, true, true, false, ""},
    };
    PodcastRecord record;
    auto page = hostPage(record);
    EXPECT_EQ(rowsOf(control<QListWidget>(*page, "ExistingHostListBox")),
              (QStringList{"Podhost Basic", "Web Space", "My Server", kEnter}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row.toStdString());
        QSignalSpy edits(page.get(), &XvqPageWidget::informationChanged);
        chooseRow(*page, c.row);
        EXPECT_EQ(edits.count(), 1) << "choosing another host is a change of the podcast";
        EXPECT_EQ(enabled(*page, "HostNameEdit"), c.hostName);
        EXPECT_EQ(enabled(*page, "HostNameLabel"), c.hostName);
        EXPECT_EQ(enabled(*page, "FTPAddressRO"), c.ftpAddress);
        EXPECT_EQ(enabled(*page, "UserNameRO"), c.userName);
        EXPECT_EQ(enabled(*page, "UserNameLabel"), c.userName);
        EXPECT_EQ(enabled(*page, "LoginNameRO"), c.loginName);
        EXPECT_EQ(enabled(*page, "WebLinkRO"), c.webLink);
        EXPECT_EQ(enabled(*page, "DeleteHostButton"), c.remove);
        EXPECT_TRUE(enabled(*page, "PasswordEdit"));
        EXPECT_EQ(text(*page, "FTPAddressRO"), QString::fromLatin1(c.shownAddress));
        EXPECT_EQ(text(*page, "HostNameEdit"), c.row == kEnter ? QString() : c.row);
    }
    chooseRow(*page, QStringLiteral("My Server"));
    auto* password = control<QLineEdit>(*page, "PasswordEdit");
    EXPECT_EQ(password->text(), QStringLiteral("s3cret"));
    EXPECT_EQ(password->echoMode(), QLineEdit::Password) << "the password is never shown";
}

TEST_F(HostPagesTest, TheUserNameMakesThePredefinedHostsLinks)
{
    PodcastRecord record;
    auto page = hostPage(record);
    const struct {
        const char* row;
        const char* typed;
        const char* webLink;
        const char* loginName; // null: the login name field is the user's own
    } cases[] = {
        {"Podhost Basic", "bob", "http://bob.podhost.example/", "pod-bob"},
        {"Web Space", "carol", "http://webspace.example/~carol/", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        chooseRow(*page, QString::fromLatin1(c.row));
        auto* user = control<QLineEdit>(*page, "UserNameRO");
        auto* login = control<QLineEdit>(*page, "LoginNameRO");
        if (c.loginName == nullptr) {
            login->setFocus();
            QTest::keyClicks(login, QStringLiteral("own-login"));
        }
        QSignalSpy hostEdits(page.get(), SIGNAL(hostSettingsChanged()));
        user->setFocus();
        QTest::keyClicks(user, QString::fromLatin1(c.typed));
        EXPECT_GE(hostEdits.count(), 1);
        EXPECT_EQ(text(*page, "WebLinkRO"), QString::fromLatin1(c.webLink));
        EXPECT_EQ(login->text(), c.loginName ? QString::fromLatin1(c.loginName) : QStringLiteral("own-login"));
        // Rubbing the name out empties what was made from it, and only that.
        user->selectAll();
        QTest::keyClick(user, Qt::Key_Backspace);
        EXPECT_TRUE(text(*page, "WebLinkRO").isEmpty());
        EXPECT_EQ(login->text(), c.loginName ? QString() : QStringLiteral("own-login"));
        interaction.expectMessageBox(IDNO, QStringLiteral("Save Changes for Host ") + c.row + "?");
    }
    chooseRow(*page, kEnter);
    EXPECT_TRUE(interaction.allConsumed());
}

TEST_F(HostPagesTest, FieldChecksWhenTheUserLeavesAField)
{
    saveCustomHost(QStringLiteral("My Server"));
    PodcastRecord record;
    auto page = hostPage(record);
    chooseRow(*page, kEnter);
    const struct {
        const char* field;
        const char* typed;
        const char* message; // null: no message
        const char* after;
        bool keepsFocus;
    } cases[] = {
        {"HostNameEdit", "podhost BASIC", "Name matches a host name for which you have already submitted information.  "
                                          "Please create a unique host name and re-enter.", "", true},
        {"HostNameEdit", "my server", "Name matches a host name", "", true},
        {"HostNameEdit", "a]b", "cannot be used", "", true},
        {"HostNameEdit", "  Brand New  ", nullptr, "  Brand New  ", false},
        {"WebLinkRO", "http://mine.example/pod", nullptr, "http://mine.example/pod/", false},
        {"WebLinkRO", "https://mine.example/", nullptr, "https://mine.example/", false},
        {"WebLinkRO", "mine.example/pod", "Invalid Web Link mine.example/pod", "mine.example/pod", true},
        {"WebLinkRO", "http://a b.example/", "Invalid Web Link http://a b.example/", "http://a b.example/", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        auto* field = control<QLineEdit>(*page, c.field);
        field->clear();
        field->setFocus();
        QTest::keyClicks(field, QString::fromUtf8(c.typed));
        if (c.message)
            interaction.expectMessageBox(IDOK, QString::fromUtf8(c.message));
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(field->text(), QString::fromUtf8(c.after));
        if (c.keepsFocus) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
        }
    }
}

TEST_F(HostPagesTest, ANewHostIsSavedWhenThePageIsLeftAndCanBeRemovedAgain)
{
    PodcastRecord record;
    record.AudioFileName = QStringLiteral("ep 1.mp3");
    record.FeedName = QStringLiteral("show.xml");
    record.HTMLFileName = QStringLiteral("show.html");
    record.ArtworkFileName = QStringLiteral("art.jpg");
    auto page = hostPage(record);
    EXPECT_EQ(control<QListWidget>(*page, "ExistingHostListBox")->currentItem()->text(), kEnter);
    EXPECT_FALSE(enabled(*page, "UserNameRO"));
    const struct {
        const char* field;
        const char* typed;
    } typing[] = {{"HostNameEdit", "Home NAS"}, {"FTPAddressRO", " nas.home.example "}, {"LoginNameRO", "me"},
                  {"PasswordEdit", " spaced pass "}, {"WebLinkRO", "http://home.example/pod/"}};
    for (const auto& t : typing) {
        auto* field = control<QLineEdit>(*page, t.field);
        field->setFocus();
        QTest::keyClicks(field, QString::fromUtf8(t.typed));
    }
    interaction.expectMessageBox(IDYES, QStringLiteral("Save Changes for Host Home NAS?"));
    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(record.HostName, QStringLiteral("Home NAS"));
    EXPECT_EQ(record.HostType, FtpHostType::Custom);
    EXPECT_EQ(record.FTPAddress, QStringLiteral("nas.home.example"));
    EXPECT_EQ(record.Password, QStringLiteral(" spaced pass "));
    EXPECT_EQ(record.ItemURL, QStringLiteral("http://home.example/pod/ep%201.mp3"));
    EXPECT_EQ(record.FeedURL, QStringLiteral("http://home.example/pod/show.xml"));
    EXPECT_EQ(record.HTMLFileLink, QStringLiteral("http://home.example/pod/show.html"));
    EXPECT_EQ(record.FeedImageLink, QStringLiteral("http://home.example/pod/art.jpg"));

    PodcastRecord stored;
    FtpHosts().UpdateHostInformation(stored, QStringLiteral("Home NAS"));
    EXPECT_EQ(stored.Password, QStringLiteral(" spaced pass "));
    EXPECT_EQ(stored.LoginName, QStringLiteral("me"));
    auto* list = control<QListWidget>(*page, "ExistingHostListBox");
    EXPECT_EQ(rowsOf(list), (QStringList{"Podhost Basic", "Web Space", "Home NAS", kEnter}));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("Home NAS"));
    auto* remove = control<QPushButton>(*page, "DeleteHostButton");
    ASSERT_TRUE(remove->isEnabled());

    // Leaving again without edits asks nothing.
    ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);

    // No keeps the host; Yes removes it and the row before it becomes the host.
    interaction.expectMessageBox(IDNO, QStringLiteral("Are you sure you want to remove ftp host?"));
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(FtpHosts().UpdateHostType(QStringLiteral("Home NAS")), FtpHostType::Custom);
    interaction.expectMessageBox(IDYES, QStringLiteral("Are you sure you want to remove ftp host?"));
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_TRUE(interaction.allConsumed());
    EXPECT_EQ(FtpHosts().UpdateHostType(QStringLiteral("Home NAS")), FtpHostType::None);
    EXPECT_EQ(rowsOf(list), (QStringList{"Podhost Basic", "Web Space", kEnter}));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("Web Space"));
    EXPECT_EQ(text(*page, "HostNameEdit"), QStringLiteral("Web Space"));
    EXPECT_FALSE(remove->isEnabled()) << "predefined hosts cannot be removed";
    EXPECT_EQ(interaction.prompts().back().flags, platform::MB_YESNO | platform::MB_ICONQUESTION);
    EXPECT_EQ(interaction.prompts().back().caption, QStringLiteral("Wexo Ravadur"));
}

TEST_F(HostPagesTest, EditsOfAHostAreNotDroppedWithoutAsking)
{
    saveCustomHost(QStringLiteral("My Server"), QStringLiteral("old"));
    const struct {
        int answer;
        const char* stored;
    } cases[] = {{IDNO, "old"}, {IDYES, "oldnew"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        saveCustomHost(QStringLiteral("My Server"), QStringLiteral("old"));
        PodcastRecord record;
        auto page = hostPage(record);
        chooseRow(*page, QStringLiteral("My Server"));
        auto* password = control<QLineEdit>(*page, "PasswordEdit");
        password->setFocus();
        password->end(false);
        QTest::keyClicks(password, QStringLiteral("new"));
        interaction.expectMessageBox(c.answer, QStringLiteral("Save Changes for Host My Server?"));
        chooseRow(*page, QStringLiteral("Podhost Basic"));
        EXPECT_TRUE(interaction.allConsumed());
        PodcastRecord stored;
        FtpHosts().UpdateHostInformation(stored, QStringLiteral("My Server"));
        EXPECT_EQ(stored.Password, QString::fromLatin1(c.stored));
        // The new host's values are shown, and leaving the page asks nothing more.
        EXPECT_EQ(text(*page, "HostNameEdit"), QStringLiteral("Podhost Basic"));
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.HostType, FtpHostType::Predefined);
    }
}

TEST_F(HostPagesTest, AnOpenedProjectsHostGetsItsPasswordFromTheHostFiles)
{
    PodcastRecord account;
    FtpHosts().UpdateHostInformation(account, QStringLiteral("Web Space"));
    account.UserName = QStringLiteral("carol");
    account.LoginName = QStringLiteral("carol-ftp");
    account.Password = QStringLiteral("från filen");
    ASSERT_TRUE(FtpHosts().SaveHostInformation(account));

    // What a project keeps of the host.
    PodcastRecord record;
    record.HostName = QStringLiteral("Web Space");
    record.HostType = FtpHostType::Predefined;
    record.FTPAddress = QStringLiteral("upload.webspace.example");
    record.UserName = QStringLiteral("carol");
    record.LoginName = QStringLiteral("carol-project");
    record.WebsiteLink = QStringLiteral("http://webspace.example/~carol/");
    record.UploadPath = QStringLiteral("/shows");
    record.PortNo = 2121;
    auto page = hostPage(record);
    EXPECT_EQ(record.Password, QStringLiteral("från filen"));
    EXPECT_EQ(record.HasUserName, 1);
    EXPECT_EQ(record.LoginName, QStringLiteral("carol-project")) << "the project's own values stay";
    EXPECT_EQ(text(*page, "LoginNameRO"), QStringLiteral("carol-project"));
    EXPECT_EQ(text(*page, "UserNameRO"), QStringLiteral("carol"));
    EXPECT_EQ(control<QListWidget>(*page, "ExistingHostListBox")->currentItem()->text(), QStringLiteral("Web Space"));
    PodcastRecord gathered = record;
    ASSERT_EQ(page->Gather(gathered, context()), StepVerdict::Proceed);
    EXPECT_EQ(gathered.UploadPath, QStringLiteral("/shows"));
    EXPECT_EQ(gathered.PortNo, 2121);
    EXPECT_EQ(gathered.Password, QStringLiteral("från filen"));
}

namespace {

struct FakeChooser : RemoteFolderChooser {
    struct Log {
        int made = 0;
        QStringList connectArguments;
    };
    Log& log;
    bool connects;
    bool chooses;
    FakeChooser(Log& l, bool c, bool ch) : log(l), connects(c), chooses(ch) {}
    bool ConnectToRemoteHost(const QString& address, quint16 port, const QString& loginName, const QString& password,
                             const QString& folder) override
    {
        log.connectArguments = {address, QString::number(port), loginName, password, folder};
        return connects;
    }
    bool chooseFolder() override { return chooses; }
    QString GetUploadPath() const override { return QStringLiteral("/chosen/folder"); }
};

} // namespace

TEST_F(HostPagesTest, TheFtpPageShowsAndTakesThePortAndFolder)
{
    const struct {
        quint16 port;
        const char* typedPort; // null: leave as shown
        const char* shownPort;
        quint16 gathered;
    } cases[] = {
        {0, nullptr, "21", 21},
        {2121, nullptr, "2121", 2121},
        {21, "", "21", 21},
        {21, "990", "21", 990},
        {21, "0", "21", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shownPort);
        auto page = makePage(XvqPage::FTPInfo);
        PodcastRecord record;
        record.PortNo = c.port;
        record.LoginName = QStringLiteral("from-host-page");
        page->UIUpdate(record, context());
        EXPECT_EQ(text(*page, "PortNoEdit"), QString::fromLatin1(c.shownPort));
        EXPECT_EQ(text(*page, "LoginNameEdit"), QStringLiteral("from-host-page"));
        if (c.typedPort) {
            auto* port = control<QLineEdit>(*page, "PortNoEdit");
            port->clear();
            QTest::keyClicks(port, QString::fromLatin1(c.typedPort));
        }
        ASSERT_EQ(page->Gather(record, context()), StepVerdict::Proceed);
        EXPECT_EQ(record.PortNo, c.gathered);
    }

    auto page = makePage(XvqPage::FTPInfo);
    PodcastRecord record;
    page->UIUpdate(record, context());
    showActive(*page);
    auto* folderField = control<QLineEdit>(*page, "UploadPathEdit");
    const struct {
        const char* typed;
        const char* after;
    } folders[] = {{"public_html/pod", "/public_html/pod"}, {"/already", "/already"}, {"  ", "  "}};
    for (const auto& f : folders) {
        folderField->clear();
        folderField->setFocus();
        QTest::keyClicks(folderField, QString::fromLatin1(f.typed));
        QTest::keyClick(folderField, Qt::Key_Tab);
        EXPECT_EQ(folderField->text(), QString::fromLatin1(f.after)) << f.typed;
    }
}

TEST_F(HostPagesTest, BrowsingTheRemoteFolder)
{
    const struct {
        const char* name;
        const char* password;
        int passwordAnswer; // 0: no question
        bool connects;
        bool chooses;
        const char* message;
        const char* folderAfter;
        int made;
    } cases[] = {
        {"chosen", "pw", 0, true, true, nullptr, "/chosen/folder", 1},
        {"cancelled", "pw", 0, true, false, nullptr, "/start", 1},
        {"no connection", "pw", 0, false, false, "Could not connect to Remote Host.", "/start", 1},
        {"no password, stop", "", IDNO, true, true, nullptr, "/start", 0},
        {"no password, go on", "", IDYES, true, true, nullptr, "/chosen/folder", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto widget = makePage(XvqPage::FTPInfo);
        auto* page = qobject_cast<FTPInfoTab*>(widget.get());
        ASSERT_NE(page, nullptr);
        auto* browse = control<QPushButton>(*page, "FTPBrowseButton");
        EXPECT_FALSE(browse->isEnabled()) << "nothing to browse with yet";
        FakeChooser::Log log;
        page->setRemoteFolderChooserFactory([&](QWidget*) {
            ++log.made;
            EXPECT_FALSE(browse->isEnabled()) << "the button is off while browsing";
            return std::make_unique<FakeChooser>(log, c.connects, c.chooses);
        });
        PodcastRecord record;
        record.FTPAddress = QStringLiteral("ftp.example.org");
        record.PortNo = 2121;
        record.LoginName = QStringLiteral("anna");
        record.Password = QString::fromLatin1(c.password);
        record.UploadPath = QStringLiteral("/start");
        page->UIUpdate(record, context());
        showActive(*page);
        if (c.passwordAnswer)
            interaction.expectMessageBox(c.passwordAnswer,
                                         QStringLiteral("No Password given for FTP Host. Do you want to Continue?"));
        if (c.message)
            interaction.expectMessageBox(IDOK, QString::fromLatin1(c.message));
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_TRUE(interaction.allConsumed());
        EXPECT_EQ(log.made, c.made);
        if (c.made) {
            EXPECT_EQ(log.connectArguments,
                      (QStringList{"ftp.example.org", "2121", "anna", QString::fromLatin1(c.password), "/start"}));
        }
        EXPECT_EQ(text(*page, "UploadPathEdit"), QString::fromLatin1(c.folderAfter));
        EXPECT_TRUE(browse->isEnabled());
        window.hide();
    }
}
