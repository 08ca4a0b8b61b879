// From a saved project to the feed, the page and the audio on the tests' real FTP server, through
// the builder's upload road, the upload window and the transport on libcurl; the feed on the
// server is then read by feedparser.
#include "podcast/UploadStatusUnit.h"
#include "tests/podcast/FtpServers.h"
#include "tests/podcast/XvqUploadSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace podcast;

namespace {

TEST_F(XvqUploadTest, ProjectToFeedPageAndAudioOnARealServer)
{
    test::RealServer server;
    if (!server.ready())
        GTEST_SKIP() << server.why().toStdString();
    server.makeFolder(QStringLiteral("/pod"));
    const FtpConnectSettings login = server.settings(false);
    const QString project = makeUploadProject(0, [&](PodcastRecord& r) {
        r.FTPAddress = login.host;
        r.PortNo = quint16(login.port);
        r.LoginName = login.user;
        r.Password = login.password;
        r.UploadPath = QStringLiteral("/pod");
    });
    QStringList log;
    auto window = makeUploadWindow([&](QWidget* parent, const platform::Messages& shown, FtpTransportFactory transports,
                                       const QStringList& files, const UploadAccount& given) {
        // The upload window as the builder runs it, shown without its own event loop so the test
        // can wait for its end and press OK.
        sentFiles = files;
        TUploadingForm upload(shown, std::move(transports), parent);
        upload.SetFileList(files);
        upload.prepareUpload(given.userName, given.password, given.hostName, given.remoteDir, given.port);
        upload.show();
        auto* ok = upload.findChild<QPushButton*>(QStringLiteral("OKButton"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return ok->isEnabled() && !upload.sequence()->running(); }, 60000));
        log = upload.sequence()->log();
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_FALSE(upload.isVisible());
        return upload.delivered();
    });
    window->prepareForExistingPodcast(project);
    window->show();
    chooser = ChosenEpisodes{{QStringLiteral("01"), QStringLiteral("03")}, {audio(1), audio(3)}};
    click(*window, QStringLiteral("UploadItem"));

    EXPECT_TRUE(log.contains(QStringLiteral("Upload Complete."))) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("One or more files could not be uploaded.")));
    for (const char* name : {"episode1.wav", "episode3.wav", "weekly.xml", "weekly.html"}) {
        const QString file = QString::fromLatin1(name);
        EXPECT_EQ(server.fileAt(QStringLiteral("/pod/") + file), testsupport::readFile(path(file))) << name;
    }
    EXPECT_FALSE(server.fileAt(QStringLiteral("/pod/episode2.wav")).has_value());
    EXPECT_TRUE(uploadedMark(project, 1));
    EXPECT_FALSE(uploadedMark(project, 2));
    EXPECT_TRUE(uploadedMark(project, 3));

    const testsupport::ToolResult parsed = testsupport::runPythonScript(
        QStringLiteral("feed_check.py"), {server.localPath(QStringLiteral("/pod/weekly.xml"))});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err.toStdString();
    const QJsonObject feed = QJsonDocument::fromJson(parsed.out).object();
    EXPECT_EQ(feed.value(QStringLiteral("bozo")).toInt(), 0);
    EXPECT_EQ(feed.value(QStringLiteral("title")).toString(), QStringLiteral("Weekly"));
    const QJsonArray items = feed.value(QStringLiteral("items")).toArray();
    ASSERT_EQ(items.size(), 3);
    // Newest first: episode 3 leads.
    for (int index = 0; index < 3; ++index) {
        const int episode = 3 - index;
        const QJsonObject item = items[index].toObject();
        EXPECT_EQ(item.value(QStringLiteral("href")).toString(),
                  QStringLiteral("http://example.org/pod/episode%1.wav").arg(episode));
        EXPECT_EQ(item.value(QStringLiteral("length")).toInteger(), QFileInfo(audio(episode)).size()) << episode;
    }
}

} // namespace
