#pragma once
// The builder window set up for its upload road: a saved project of three episodes with real WAV
// audio, its host (with the password) in the user's host files, the shipped page templates, and the
// episode chooser and the upload window replaced by recorders the test steers.
#include "platform/base/ProgramFolder.h"
#include "podcast/FtpHosts.h"
#include "podcast/ProjectFile.h"
#include "podcast/XvqMain.h"
#include "podcast/XvqRules.h"
#include "tests/podcast/XvqFormSupport.h"

#include <QFileInfo>
#include <QImage>

#include <functional>

class XvqUploadTest : public xvqtest::XvqFormTest {
protected:
    QString audio(int n) const { return path(QStringLiteral("episode%1.wav").arg(n)); }

    // What a record needs so that every check passes (the password comes from the host files).
    void fillForUpload(podcast::PodcastRecord& r)
    {
        r.FeedName = QStringLiteral("weekly.xml");
        r.HTMLFileName = QStringLiteral("weekly.html");
        r.HostName = QStringLiteral("My Host");
        r.HostType = podcast::FtpHostType::Custom;
        r.FTPAddress = QStringLiteral("ftp.example.org");
        r.LoginName = QStringLiteral("anna.ftp");
        r.UserName = QStringLiteral("anna");
        r.Password = QStringLiteral("s3cret");
        r.UploadPath = QStringLiteral("/pod/cast");
        r.PortNo = 2121;
        r.WebsiteLink = QStringLiteral("http://example.org/pod/");
        r.FeedTitle = QStringLiteral("Weekly");
        r.FeedDescription = QStringLiteral("News of the week");
        r.FeedOwner = QStringLiteral("Anna");
        r.FeedOwnerEmail = QStringLiteral("anna@example.org");
        r.Categories = QStringList{QStringLiteral("Arts")};
        r.SubCategories = QStringList{QStringLiteral("Design")};
        r.FeedImagePath = artwork;
    }

    // A saved project of three episodes; edit changes the settings and the episodes before saving.
    QString makeUploadProject(int type, const std::function<void(podcast::PodcastRecord&)>& edit = {})
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QImage picture(300, 300, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        EXPECT_TRUE(picture.save(artwork, "JPG"));
        podcast::PodcastRecord settings;
        fillForUpload(settings);
        settings.PodcastType = quint8(type);
        // Saved while episode 1 was the current one.
        settings.AudioFileName = QFileInfo(audio(1)).fileName();
        if (edit)
            edit(settings);
        if (!settings.HostName.isEmpty()) {
            QString why;
            EXPECT_TRUE(podcast::FtpHosts().SaveHostInformation(settings, &why)) << why.toStdString();
        }
        // Projects do not keep the password: it comes from the host files.
        settings.Password.clear();
        QList<podcast::PodcastRecord> episodes;
        for (int n = 1; n <= 3; ++n) {
            podcast::PodcastRecord episode = settings;
            makeWave(QFileInfo(audio(n)).fileName());
            episode.AudioFilePath = audio(n);
            episode.ItemTitle = QStringLiteral("Episode %1").arg(n);
            episode.ItemDescription = QStringLiteral("Part %1").arg(n);
            episode.ItemDateTime = QStringLiteral("01/0%1/2026 10:00:00").arg(n);
            episode.ItemURL = podcast::WebLinkOfFile(settings.WebsiteLink, QFileInfo(audio(n)).fileName());
            if (edit)
                edit(episode);
            episodes.append(episode);
        }
        const QString project = path(QStringLiteral("weekly.pdi"));
        settings.TotalItems = 3;
        EXPECT_EQ(podcast::CreatePDIProject(project, settings, episodes), podcast::PdiOk);
        return project;
    }

    std::unique_ptr<podcast::TXvqForm> makeUploadWindow(podcast::UploadRunner runner = {})
    {
        if (!runner) {
            runner = [this](QWidget*, const platform::Messages&, podcast::FtpTransportFactory, const QStringList& files,
                            const podcast::UploadAccount& given) {
                sentFiles = files;
                account = given;
                QStringList delivered = files;
                delivered.removeAll(deliverAllBut);
                return delivered;
            };
        }
        return std::make_unique<podcast::TXvqForm>(podcast::XvqServices{
            .messages = messages,
            .settings = settings,
            .tempFolder = [this] { return temps; },
            .pageFactory = podcast::createXvqPage,
            .ftpTransports = [] { return podcast::makeCurlFtpTransport(); },
            .chooseEpisodes =
                [this](QWidget*, const platform::Messages&, const QString& project) {
                    chooserProject = project;
                    return chooser;
                },
            .runUpload = std::move(runner)});
    }

    static bool uploadedMark(const QString& project, int episode)
    {
        bool uploaded = false;
        EXPECT_EQ(podcast::ReadPDIItemBool(project, QStringLiteral("ItemUploaded"), episode, uploaded),
                  podcast::PdiOk);
        return uploaded;
    }

    void resetRecording()
    {
        sentFiles.clear();
        account = {};
        chooserProject.clear();
    }

    platform::ProgramFolderOverride programFolder{QStringLiteral(VA_PROGRAM_FOLDER)};
    QString artwork = path(QStringLiteral("art.jpg"));
    std::optional<podcast::ChosenEpisodes> chooser;
    QString deliverAllBut;
    QStringList sentFiles;
    podcast::UploadAccount account;
    QString chooserProject;
};
