// TXvqForm: publishing the podcast: the checks, the save, the feed and the page, the episodes to
// send, the upload window and the marks of what was sent.
#include "podcast/XvqUpload.h"

#include "platform/ui/Messages.h"
#include "podcast/FTPInfoTab.h"
#include "podcast/HostSelectionTab.h"
#include "podcast/FeedProject.h"
#include "podcast/HtmlPage.h"
#include "podcast/ItemsUploadUnit.h"
#include "podcast/Log.h"
#include "podcast/ProjectFile.h"
#include "podcast/RemoteHostUnit.h"
#include "podcast/UploadChecks.h"
#include "podcast/UploadStatusUnit.h"
#include "podcast/UploadTab.h"
#include "podcast/XvqMain.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqRules.h"

#include <QDateTime>
#include <QWidget>

namespace podcast {

std::optional<ChosenEpisodes> chooseEpisodesToUpload(QWidget* parent, const platform::Messages& messages,
                                                     const QString& projectPath)
{
    TItemsUploadForm chooser(messages, parent);
    chooser.SetPDIFilepath(projectPath);
    if (chooser.exec() != ItemsUploadResult::Ok)
        return std::nullopt;
    ChosenEpisodes chosen;
    chooser.GetItemsListToupload(chosen.numbers, chosen.audioPaths);
    return chosen;
}

QStringList runUploadWindow(QWidget* parent, const platform::Messages& messages, FtpTransportFactory transports,
                            const QStringList& files, const UploadAccount& account)
{
    TUploadingForm window(messages, std::move(transports), parent);
    window.SetFileList(files);
    return window.Upload(account.userName, account.password, account.hostName, account.remoteDir, account.port);
}

void TXvqForm::wireUploadRoads()
{
    if (auto* upload = qobject_cast<UploadTab*>(pageWidget(XvqPage::Upload)))
        connect(upload, &UploadTab::uploadRequested, this, [this] { UploadPodcast(); });
    if (auto* ftp = qobject_cast<FTPInfoTab*>(pageWidget(XvqPage::FTPInfo))) {
        ftp->setRemoteFolderChooserFactory([transports = m_services.ftpTransports](QWidget* parent) {
            return std::make_unique<TRemoteHostForm>(transports, parent);
        });
    }
}

void TXvqForm::showField(XvqPage page, const QStringList& fields)
{
    m_navigator.reset(page);
    showPage(page);
    for (const QString& name : fields) {
        auto* field = pageWidget(page)->findChild<QWidget*>(name);
        if (field != nullptr && field->isEnabled() && field->isVisibleTo(this)) {
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

bool TXvqForm::runUploadChecks()
{
    for (const UploadCheck& check : FailingUploadChecks(m_record)) {
        if (check.kind == UploadCheck::Stop) {
            m_services.messages.ShowErrorMessage(check.messageId);
            showField(check.page, check.fields);
            return false;
        }
        const int answer =
            m_services.messages.ShowMessageBox(check.question, {}, platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer != platform::IDYES) {
            showField(check.page, check.fields);
            return false;
        }
    }
    return true;
}

bool TXvqForm::saveForUpload()
{
    if (IsTemporaryProject(m_projectPath)) {
        const int answer = m_services.messages.ShowMessageBox(
            tr("Before uploading you need to save the Project as .PDI File. Press OK to continue"), {},
            platform::MB_OKCANCEL | platform::MB_ICONQUESTION);
        // The save takes every episode of the temporary project along.
        return answer == platform::IDOK && SavePodcast();
    }
    if (m_changed) {
        const int answer = m_services.messages.ShowMessageBox(
            tr("Before uploading you need to save changes. Press Yes to save changes."), {},
            platform::MB_YESNO | platform::MB_ICONQUESTION);
        return answer == platform::IDYES && SavePodcast();
    }
    return true;
}

bool TXvqForm::writeFeedAndPage()
{
    if (m_record.FeedDateTime.isEmpty())
        m_record.FeedDateTime = StoredDateTime(QDateTime::currentDateTimeUtc());
    if (m_record.ItemDateTime.isEmpty())
        m_record.ItemDateTime = StoredDateTime(QDateTime::currentDateTimeUtc());
    m_record.FeedGenerated = true;
    // The paths are set before the project is written, so the project and the record agree; the
    // page's name follows the feed's when the project has none.
    const FeedPaths paths =
        FeedPathsFor(FeedFolder(m_projectPath, m_record.AudioFilePath), m_record.FeedName, m_record.WebsiteLink);
    m_record.FeedFilePath = paths.FeedFilePath;
    m_record.HTMLFilePath = paths.HTMLFilePath;
    if (m_record.HTMLFileName.isEmpty())
        m_record.HTMLFileName = paths.HTMLFileName;
    if (const int result = WritePDIProject(m_projectPath, m_record, m_episode); result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return false;
    }
    UpdateDirtyFlag(false);
    if (const int result = GenerateFeed(m_projectPath, m_record.FeedFilePath); result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return false;
    }
    if (const HtmlPageResult page = CreateHTMLFile(m_record.FeedFilePath, m_record.HTMLFilePath); !page.ok()) {
        m_services.messages.ShowErrorMessage(page.message, page.args);
        return false;
    }
    updatePageKeepingFlag(XvqPage::Upload);
    return true;
}

void TXvqForm::UploadPodcast()
{
    stopActivities();
    if (!runUploadChecks() || !saveForUpload() || !writeFeedAndPage())
        return;

    auto* hosts = qobject_cast<HostSelectionTab*>(pageWidget(XvqPage::HostSelection));
    if (hosts != nullptr && hosts->hostChanged()) {
        const int answer = m_services.messages.ShowMessageBox(
            tr("Save Changes for Host ") + m_record.HostName + QStringLiteral("?"), {},
            platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer == platform::IDYES)
            hosts->SaveHostInformation(m_record, context());
    }

    const std::optional<ChosenEpisodes> chosen = m_services.chooseEpisodes(this, m_services.messages, m_projectPath);
    if (!chosen || chosen->numbers.isEmpty())
        return;
    const QStringList files = BuildUploadList(chosen->audioPaths, m_record);
    const UploadAccount account{m_record.LoginName, m_record.Password, m_record.FTPAddress, m_record.UploadPath,
                                m_record.PortNo == 0 ? int(kDefaultFtpPort) : int(m_record.PortNo)};
    const QStringList delivered =
        m_services.runUpload(this, m_services.messages, m_services.ftpTransports, files, account);

    // Only what reached the server counts as uploaded; the rest stays ticked for the next time.
    const QStringList sent = DeliveredEpisodes(chosen->numbers, chosen->audioPaths, delivered);
    if (sent.isEmpty())
        return;
    if (const int result = MarkPDIItemsUploaded(m_projectPath, sent); result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return;
    }
    if (sent.contains(QStringLiteral("%1").arg(m_episode, 2, 10, QLatin1Char('0'))))
        m_record.ItemUploaded = true;
    ShowPodcastItemsFromPDI();
}

} // namespace podcast
