// TXvqForm: saving the project, the questions that protect unsaved changes, and closing.
#include "common/RegEntry.h"
#include "platform/ui/Messages.h"
#include "podcast/Log.h"
#include "podcast/ProjectFile.h"
#include "podcast/XvqMain.h"
#include "podcast/XvqRules.h"
#include "podcast/XvqTypePage.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QPushButton>

#include <optional>

namespace podcast {

namespace {

constexpr char kSettingsSubKey[] = "Settings";
constexpr char kDoNotShowWelcome[] = "Donot Show Welcome Screen";

// The pages whose fields a save takes, in the order they are gathered.
constexpr XvqPage kSavedPages[] = {XvqPage::AudioFile,      XvqPage::HostSelection,   XvqPage::FeedInfo,
                                   XvqPage::FeediTunesInfo, XvqPage::PodcastItemInfo, XvqPage::ItemiTunesInfo,
                                   XvqPage::FTPInfo};

} // namespace

QString TXvqForm::GetPDIFileToSave()
{
    platform::FileDialogRequest request;
    request.title = tr("Save Podcast As");
    request.filter = QStringLiteral("PDI Files (*.pdi) | *.pdi");
    request.defaultExtension = QStringLiteral("pdi");
    request.fileName = ProposedProjectPath(m_record.AudioFilePath, m_record.FeedName);
    request.overwritePrompt = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().saveFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return {};
    return chosen.files.first();
}

bool TXvqForm::SavePodcast()
{
    stopActivities();
    if (m_projectPath.isEmpty())
        return false;
    const bool temporary = IsTemporaryProject(m_projectPath);
    QString target = m_projectPath;
    if (temporary) {
        target = GetPDIFileToSave();
        if (target.isEmpty())
            return false;
    }
    // Every page is gathered, also after one refused, so no page's edits are left behind in its
    // fields; the first page that refused has told the user why and is shown to be mended.
    std::optional<XvqPage> refused;
    for (const XvqPage page : kSavedPages) {
        if (pageWidget(page)->Gather(m_record, context()) == StepVerdict::StayOnLeftPage && !refused)
            refused = page;
    }
    if (refused) {
        m_navigator.reset(*refused);
        showPage(*refused);
        return false;
    }
    const int result = temporary ? SavePDIProjectAs(m_projectPath, target, m_record, m_episode)
                                 : WritePDIProject(m_projectPath, m_record, m_episode);
    if (result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return false;
    }
    if (temporary) {
        setProjectPath(target);
        addRecentProject(target);
        loadRecentProjects();
        showProjectPath();
    }
    updatePageKeepingFlag(XvqPage::Upload);
    ShowPodcastItemsFromPDI();
    UpdateDirtyFlag(false);
    return true;
}

int TXvqForm::askSaveQuestion()
{
    const QString question = IsTemporaryProject(m_projectPath)
                                 ? tr("Do you want to Save Project as a .PDI file?")
                                 : tr("Do you want to save file ") + m_projectPath + QStringLiteral("?");
    return m_services.messages.ShowMessageBox(question, {}, platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
}

bool TXvqForm::askToSaveChanges()
{
    const int answer = askSaveQuestion();
    if (answer == platform::IDCANCEL)
        return false;
    if (answer == platform::IDYES)
        SavePodcast();
    return true;
}

void TXvqForm::CancelButtonClick()
{
    stopActivities();
    if (m_changed && !m_projectPath.isEmpty()) {
        const int answer = askSaveQuestion();
        if (answer == platform::IDCANCEL)
            return;
        // A save that did not happen (its dialog cancelled, a write failed) keeps the window open,
        // so the changes are not lost behind the user's back.
        if (answer == platform::IDYES && !SavePodcast())
            return;
    }
    done(QDialog::Rejected);
}

void TXvqForm::ShowWelcomeOptionClick(bool show)
{
    m_welcomeChoiceMade = true;
    setWelcomeShown(show);
    if (show) {
        requestPage(XvqPage::Welcome);
    } else if (m_navigator.current() == XvqPage::Welcome) {
        m_navigator.reset(XvqPage::PodcastType);
        showPage(XvqPage::PodcastType);
        runUpdate(XvqPage::PodcastType);
    }
}

void TXvqForm::reject()
{
    CancelButtonClick();
}

void TXvqForm::closeEvent(QCloseEvent* event)
{
    if (m_closed || isHidden()) {
        event->accept();
        return;
    }
    event->ignore();
    CancelButtonClick();
}

void TXvqForm::done(int result)
{
    closingSteps();
    QDialog::done(result);
}

void TXvqForm::closingSteps()
{
    if (m_closed)
        return;
    m_closed = true;
    stopActivities();
    // Only the user's own choice is stored: the entry points hide the welcome page for one use.
    if (m_welcomeChoiceMade) {
        const bool doNotShow = m_welcomePage->doNotShowCheck->isChecked();
        if (const int result = RegEntry(m_services.settings)
                                   .WriteExpressRegBool(QString::fromLatin1(kSettingsSubKey),
                                                        QString::fromLatin1(kDoNotShowWelcome), doNotShow);
            result != 0)
            qCWarning(lcPodcast) << "the welcome setting cannot be stored:" << result;
    }
    removeTemporaryProject();
}

void TXvqForm::removeTemporaryProject()
{
    if (IsTemporaryProject(m_projectPath) && QFile::exists(m_projectPath) && !QFile::remove(m_projectPath))
        qCWarning(lcPodcast) << "temporary project" << m_projectPath << "cannot be removed";
}

} // namespace podcast
