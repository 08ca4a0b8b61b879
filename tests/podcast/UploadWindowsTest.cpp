// The upload window and the remote folder browser on the offscreen platform, talking to the FTP
// server in memory.
#include "podcast/FakeFtpEngine.h"
#include "podcast/FileOverwriteUnit.h"
#include "podcast/RemoteHostUnit.h"
#include "podcast/UploadStatusUnit.h"
#include "tests/podcast/XvqFormSupport.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>

using namespace podcast;

namespace {

class UploadWindowsTest : public ::testing::Test {
protected:
    UploadWindowsTest()
    {
        auto lock = server->lock();
        server->host = QStringLiteral("ftp.example.test");
        server->user = QStringLiteral("pod");
        server->password = QStringLiteral("secret");
        server->home = QStringLiteral("/home/pod");
        server->folders = {QStringLiteral("/"), QStringLiteral("/home"), QStringLiteral("/home/pod"),
                           QStringLiteral("/home/pod/shows"), QStringLiteral("/home/pod/Archive")};
    }

    std::function<std::unique_ptr<FtpTransport>()> transports()
    {
        return [this] { return std::make_unique<FtpTransport>(std::make_unique<FakeFtpEngine>(server)); };
    }
    QString local(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(folder).filePath(name);
        testsupport::writeFile(path, bytes);
        return path;
    }
    QByteArray remote(const QString& path)
    {
        auto lock = server->lock();
        return server->files.value(path, QByteArray("<missing>"));
    }
    static QStringList logOf(QWidget& window)
    {
        return window.findChild<QPlainTextEdit*>(QStringLiteral("ConnectionStatus"))
            ->toPlainText()
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    std::shared_ptr<FakeFtpServer> server = std::make_shared<FakeFtpServer>();
    QString folder = testsupport::testFolder();
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{xvqtest::recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
};

TEST_F(UploadWindowsTest, UploadAsksAboutAFileThereUnderAnotherCaseAndSendsEverything)
{
    const QString audio = local(QStringLiteral("ep1.mp3"), QByteArray(300000, 'a'));
    const QString feed = local(QStringLiteral("show.xml"), QByteArray("<rss/>"));
    const QString missing = QDir(folder).filePath(QStringLiteral("gone.html"));
    {
        auto lock = server->lock();
        server->files.insert(QStringLiteral("/home/pod/shows/SHOW.XML"), QByteArray("old"));
        server->putChunkBytes = 4096;
        server->slowPort = 21;
        server->slowChunkDelay = std::chrono::microseconds(2000);
    }
    TUploadingForm window(messages, transports());
    QStringList questions;
    window.askOverwrite = [&questions](QWidget*, const QString& text) {
        questions.append(text);
        return int(OverwriteYes);
    };
    window.SetFileList({audio, missing, feed});
    window.prepareUpload(QStringLiteral("pod"), QStringLiteral("secret"), QStringLiteral("ftp.example.test"),
                         QStringLiteral("/home/pod/shows"), 0);
    window.show();
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("UploadProgressBar"));
    auto* ok = window.findChild<QPushButton*>(QStringLiteral("OKButton"));
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("CancelButton"));
    // Mid-file: the bar moves, Cancel can stop it, OK cannot close the window yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() > 10; }, 20000));
    EXPECT_TRUE(cancel->isEnabled());
    EXPECT_FALSE(ok->isEnabled());
    xvqtest::saveScreenshot(window, QStringLiteral("TUploadingForm-in-progress"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ok->isEnabled(); }, 20000));
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(remote(QStringLiteral("/home/pod/shows/ep1.mp3")), QByteArray(300000, 'a'));
    EXPECT_EQ(remote(QStringLiteral("/home/pod/shows/show.xml")), QByteArray("<rss/>"));
    EXPECT_EQ(questions, QStringList{QStringLiteral(
                             "The file show.xml already exists at remote location. Do you want to overwrite it?")});
    const QStringList log = logOf(window);
    EXPECT_TRUE(log.contains(QStringLiteral("Connected.")));
    EXPECT_TRUE(log.contains(missing + QStringLiteral(" does not exist. Continuing with other.")));
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{QStringLiteral("One or more files could not be uploaded."),
                                                    QStringLiteral("Upload Complete.")}));
    QStringList expected{audio, feed};
    expected.sort();
    EXPECT_EQ(window.delivered(), expected);
}

TEST_F(UploadWindowsTest, CancelMidFileStopsTheTransferAndClosesTheWindow)
{
    const QString audio = local(QStringLiteral("big.mp3"), QByteArray(2000000, 'b'));
    const QString feed = local(QStringLiteral("show.xml"), QByteArray("<rss/>"));
    {
        auto lock = server->lock();
        server->putChunkBytes = 4096;
        server->slowPort = 21;
        server->slowChunkDelay = std::chrono::microseconds(5000);
    }
    TUploadingForm window(messages, transports());
    window.SetFileList({audio, feed});
    window.prepareUpload(QStringLiteral("pod"), QStringLiteral("secret"), QStringLiteral("ftp.example.test"), {}, 21);
    window.show();
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("UploadProgressBar"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() > 0; }, 20000));
    // No keeps the upload going; Yes stops it.
    interaction.expectMessageBox(platform::IDNO, QStringLiteral("Do you want to cancel uploading your podcast?"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CancelButton")), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(interaction.prompts().back().flags, 292u);
    interaction.expectMessageBox(platform::IDYES, QStringLiteral("Do you want to cancel uploading your podcast?"));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(logOf(window).contains(QStringLiteral("Upload Canceled.")));
    EXPECT_FALSE(logOf(window).contains(QStringLiteral("Upload Complete.")));
    EXPECT_TRUE(window.delivered().isEmpty());
    EXPECT_NE(remote(QStringLiteral("/home/pod/show.xml")), QByteArray("<rss/>"));
    int64_t received = 0;
    {
        auto lock = server->lock();
        received = server->bytesReceived;
    }
    EXPECT_LT(received, 2000000);
    EXPECT_EQ(testsupport::readFile(audio), QByteArray(2000000, 'b'));
}

TEST_F(UploadWindowsTest, AWrongPasswordSendsNothingAndSaysWhy)
{
    const QString audio = local(QStringLiteral("ep1.mp3"), QByteArray("x"));
    TUploadingForm window(messages, transports());
    window.SetFileList({audio});
    window.prepareUpload(QStringLiteral("pod"), QStringLiteral("wrong"), QStringLiteral("ftp.example.test"), {}, 21);
    window.show();
    auto* ok = window.findChild<QPushButton*>(QStringLiteral("OKButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ok->isEnabled() && !window.sequence()->running(); }, 20000));
    const QStringList log = logOf(window);
    EXPECT_TRUE(log.contains(QStringLiteral("No connection to remote host.")));
    EXPECT_TRUE(log.last().contains(QStringLiteral("530"))) << log.last().toStdString();
    EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("CancelButton"))->isEnabled());
    EXPECT_TRUE(window.delivered().isEmpty());
    EXPECT_EQ(remote(QStringLiteral("/home/pod/ep1.mp3")), QByteArray("<missing>"));
}

TEST_F(UploadWindowsTest, OverwriteQuestionAnswersByButtonAndKey)
{
    const struct {
        const char* button; // empty: a key instead
        int key;
        int answer;
    } cases[] = {
        {"YesToAllButton", 0, OverwriteYesToAll}, {"YesButton", 0, OverwriteYes},   {"NoButton", 0, OverwriteNo},
        {"CancelButton", 0, OverwriteCancel},    {"", Qt::Key_Return, OverwriteYesToAll},
        {"", Qt::Key_Escape, OverwriteCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button[0] != 0 ? c.button : "key");
        TOverwriteMessageForm dialog;
        int answer = -1;
        QTimer::singleShot(0, &dialog, [&] {
            if (c.button[0] != 0)
                QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(c.button)), Qt::LeftButton);
            else
                QTest::keyClick(&dialog, Qt::Key(c.key));
        });
        answer = AskOverwrite(dialog, QStringLiteral("The file a.mp3 already exists at remote location."));
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(dialog.MessageLabel->text(), QStringLiteral("The file a.mp3 already exists at remote location."));
    }
}

QStringList rowsOf(QTreeWidget* list)
{
    QStringList rows;
    for (int index = 0; index < list->topLevelItemCount(); ++index)
        rows.append(list->topLevelItem(index)->text(0) + QLatin1Char('/') + list->topLevelItem(index)->text(1));
    return rows;
}

TEST_F(UploadWindowsTest, BrowserWalksTheFoldersAndReturnsTheChosenOne)
{
    {
        auto lock = server->lock();
        server->files.insert(QStringLiteral("/home/pod/b.mp3"), QByteArray(1234, 'b'));
        server->files.insert(QStringLiteral("/home/pod/a.xml"), QByteArray(10, 'a'));
        server->files.insert(QStringLiteral("/home/pod/shows/ep 1.mp3"), QByteArray(7, 'e'));
    }
    TRemoteHostForm form(transports());
    ASSERT_TRUE(form.ConnectToRemoteHost(QStringLiteral("ftp.example.test"), 21, QStringLiteral("pod"),
                                         QStringLiteral("secret"), QStringLiteral("/home/pod")));
    form.show();
    auto* list = form.findChild<QTreeWidget*>(QStringLiteral("RemoteList"));
    auto* path = form.findChild<QLineEdit*>(QStringLiteral("RemotePathEdit"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.statusText() == QStringLiteral("Listing done."); }, 20000));
    EXPECT_EQ(path->text(), QStringLiteral("/home/pod"));
    EXPECT_EQ(rowsOf(list), (QStringList{QStringLiteral("[..]/"), QStringLiteral("a.xml/10"),
                                         QStringLiteral("Archive/"), QStringLiteral("b.mp3/1234"),
                                         QStringLiteral("shows/")}));
    xvqtest::saveScreenshot(form, QStringLiteral("TRemoteHostForm-listing"));

    // A double click on a file does nothing; on a folder it enters it.
    const auto doubleClick = [&](int row) {
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        // A double click is a press and its double-click event on the same row.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    };
    doubleClick(1);
    EXPECT_EQ(form.statusText(), QStringLiteral("Listing done."));
    doubleClick(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return path->text() == QStringLiteral("/home/pod/shows") && !form.busy(); },
                                20000));
    EXPECT_EQ(rowsOf(list), (QStringList{QStringLiteral("[..]/"), QStringLiteral("ep 1.mp3/7")}));

    // F7 goes up twice; at the top there is no way further up.
    for (const char* expected : {"/home/pod", "/home", "/"}) {
        if (QString::fromLatin1(expected) != QStringLiteral("/home/pod"))
            QTest::keyClick(&form, Qt::Key_F7);
        else
            doubleClick(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return path->text() == QString::fromLatin1(expected) && !form.busy(); },
                                    20000));
    }
    EXPECT_EQ(rowsOf(list), QStringList{QStringLiteral("home/")});

    // A folder that went away: the path and the list stay, the status says so.
    {
        auto lock = server->lock();
        server->folders.remove(QStringLiteral("/home"));
    }
    doubleClick(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.statusText() == QStringLiteral("Cannot change the directory"); },
                                20000));
    EXPECT_EQ(path->text(), QStringLiteral("/"));
    EXPECT_EQ(rowsOf(list), QStringList{QStringLiteral("home/")});
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("SelectButton")), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.GetUploadPath(), QStringLiteral("/"));
}

TEST_F(UploadWindowsTest, BrowserStartsInTheLoginFolderWhenTheFolderIsMissing)
{
    TRemoteHostForm form(transports());
    ASSERT_TRUE(form.ConnectToRemoteHost(QStringLiteral("ftp.example.test"), 21, QStringLiteral("pod"),
                                         QStringLiteral("secret"), QStringLiteral("/nowhere")));
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.statusText() == QStringLiteral("Listing done."); }, 20000));
    EXPECT_EQ(form.GetUploadPath(), QStringLiteral("/home/pod"));
}

TEST_F(UploadWindowsTest, BrowserReportsAHostItCannotReach)
{
    const struct {
        const char* name;
        const char* host;
        const char* password;
    } cases[] = {{"wrong password", "ftp.example.test", "wrong"}, {"unknown host", "nowhere.test", "secret"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRemoteHostForm form(transports());
        EXPECT_FALSE(form.ConnectToRemoteHost(QString::fromLatin1(c.host), 21, QStringLiteral("pod"),
                                              QString::fromLatin1(c.password), QStringLiteral("/home/pod")));
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.GetUploadPath(), QString());
    }
}

} // namespace
