// TXvqForm: the podcast-type page's choices, the project it opens, the recent projects and the
// episode grid.
#include "common/RegEntry.h"
#include "platform/ui/Messages.h"
#include "podcast/FeedProject.h"
#include "podcast/Log.h"
#include "podcast/ProjectFile.h"
#include "podcast/ProjectOpen.h"
#include "podcast/XvqMain.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqRules.h"
#include "podcast/XvqTypePage.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace podcast {

namespace {

constexpr char kSettingsSubKey[] = "Settings";
const QString kNewPodcastText = QStringLiteral("<New Podcast>");

QString mruName(int index)
{
    return QStringLiteral("MRU %1").arg(index);
}

} // namespace

void TXvqForm::setProjectPath(const QString& path)
{
    // A temporary project nobody can reach any more is removed.
    if (!m_projectPath.isEmpty() && m_projectPath != path && IsTemporaryProject(m_projectPath))
        QFile::remove(m_projectPath);
    m_projectPath = path;
}

void TXvqForm::showProjectPath()
{
    const QString shown = IsTemporaryProject(m_projectPath) ? kNewPodcastText : m_projectPath;
    m_typePage->feedFileEdit->setText(shown);
    m_typePage->mruCombo->setEditText(shown);
}

StepVerdict TXvqForm::GatherPodcastTypeInfo(XvqPage entering)
{
    m_typePage->Gather(m_record, context());
    m_record.FeedChoice = 2;
    if (m_typePage->newFeedRadio->isChecked()) {
        if (entering == XvqPage::Welcome) {
            m_record.FeedChoice = 0;
        } else {
            const QString path = CreateTemporaryProjectPath(m_services.tempFolder());
            if (path.isEmpty()) {
                m_services.messages.ShowErrorMessage(PdiCannotCreate);
                return StepVerdict::StayOnLeftPage;
            }
            m_episode = 1;
            if (const int result = CreateNewPDIFile(path, m_record); result != PdiOk) {
                QFile::remove(path);
                m_services.messages.ShowErrorMessage(result);
                return StepVerdict::StayOnLeftPage;
            }
            setProjectPath(path);
            m_typePage->newFeedRadio->setAutoExclusive(false);
            m_typePage->newFeedRadio->setChecked(false);
            m_typePage->newFeedRadio->setAutoExclusive(true);
        }
        UpdateTabsDisplay();
        return StepVerdict::Proceed;
    }
    if (!m_typePage->existingFeedRadio->isChecked()) {
        UpdateTabsDisplay();
        return StepVerdict::Proceed;
    }
    if (m_projectPath.isEmpty()) {
        m_services.messages.ShowErrorMessage(1006);
        m_typePage->feedFileEdit->setFocus();
        return StepVerdict::StayOnLeftPage;
    }
    if (!QFileInfo(m_projectPath).isFile()) {
        qCWarning(lcPodcast) << "project" << m_projectPath << "no longer exists";
        m_services.messages.ShowErrorMessage(PdiCannotOpen);
        m_typePage->feedFileEdit->setFocus();
        return StepVerdict::StayOnLeftPage;
    }
    if (!readProjectEpisode(selectedEpisode()))
        return StepVerdict::StayOnLeftPage;
    UpdateTabsDisplay();
    updateEveryPage();
    return StepVerdict::Proceed;
}

StepVerdict TXvqForm::UIUpdatePodcastTypeInfo()
{
    const bool changed = m_changed;
    m_typePage->setUpGrid();
    m_typePage->UIUpdate(m_record, context());
    m_typePage->newFeedRadio->setAutoExclusive(false);
    m_typePage->existingFeedRadio->setAutoExclusive(false);
    m_typePage->newFeedRadio->setChecked(m_record.FeedChoice == 0);
    m_typePage->existingFeedRadio->setChecked(m_record.FeedChoice == 2);
    m_typePage->newFeedRadio->setAutoExclusive(true);
    m_typePage->existingFeedRadio->setAutoExclusive(true);
    if (m_record.FeedChoice == 0) {
        m_typePage->enableForNewPodcast(true);
    } else if (m_record.FeedChoice == 2) {
        m_typePage->enableForNewPodcast(false);
        showProjectPath();
        ShowPodcastItemsFromPDI();
    }
    UpdateDirtyFlag(changed);
    if (m_changed && !askToSaveChanges())
        return StepVerdict::StayOnLeftPage;
    return StepVerdict::Proceed;
}

void TXvqForm::NewFeedRadioButtonClick()
{
    if (m_changed) {
        const int answer = m_services.messages.ShowMessageBox(
            tr("All filled information will be removed. Do you want to Save Information to file?"), {},
            platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
        if (answer == platform::IDCANCEL) {
            m_typePage->existingFeedRadio->setChecked(true);
            return;
        }
        if (answer == platform::IDYES)
            SavePodcast();
    }
    m_typePage->setUpGrid();
    m_typePage->grid->setRowCount(0);
    m_typePage->feedFileEdit->clear();
    UpdateDirtyFlag(false);
    ClearItemFields(m_record);
    m_record.HostName.clear();
    for (XvqPageWidget* page : m_pages)
        page->clearFields();
    m_typePage->mruCombo->clear();
    m_typePage->enableForNewPodcast(true);
    m_record.FeedChoice = 0;
}

void TXvqForm::ExistingFeedRadioButtonClick()
{
    m_typePage->enableForNewPodcast(false);
    m_record.FeedChoice = 2;
    loadRecentProjects();
    showProjectPath();
}

void TXvqForm::FeedFileBrowseButtonClick()
{
    platform::FileDialogRequest request;
    request.title = tr("Select Podcast File");
    request.filter = QStringLiteral("PDI Files (*.pdi) | *.pdi|XML Files (*.xml) | *.XML");
    request.fileMustExist = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    openProject(chosen.files.first());
}

void TXvqForm::FeedFilePathEditExit()
{
    openTypedProject(m_typePage->feedFileEdit->text().trimmed());
}

void TXvqForm::MruPdiComboChange()
{
    openTypedProject(m_typePage->mruCombo->currentText().trimmed());
}

void TXvqForm::openTypedProject(const QString& path)
{
    // Leaving the field on the project already open must not read it again over unsaved changes.
    if (path.isEmpty() || path == m_projectPath || path == m_openedPath || path == kNewPodcastText)
        return;
    if (QFileInfo(path).isFile())
        openProject(path);
}

bool TXvqForm::openProject(const QString& path)
{
    m_typePage->feedFileEdit->setText(path);
    m_typePage->mruCombo->setEditText(path);
    const OpenedProject opened = OpenProjectOrFeed(path);
    if (opened.result != PdiOk) {
        m_services.messages.ShowErrorMessage(opened.result);
        return false;
    }
    setProjectPath(opened.projectPath);
    m_openedPath = path;
    m_record = PodcastRecord{};
    m_record.FeedChoice = 2;
    // The project is what can be opened again, also when a feed was chosen.
    addRecentProject(m_projectPath);
    loadRecentProjects();
    showProjectPath();
    if (!readProjectEpisode(1))
        return false;
    UpdateTabsDisplay();
    ShowPodcastItemsFromPDI();
    UpdateDirtyFlag(false);
    return true;
}

bool TXvqForm::readProjectEpisode(int episode)
{
    int result = ReadPDISettings(m_projectPath, m_record);
    if (result == PdiOk)
        result = ReadPDIItem(m_projectPath, episode, m_record);
    if (result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return false;
    }
    m_record.FeedChoice = 2;
    m_episode = episode;
    return true;
}

int TXvqForm::selectedEpisode() const
{
    const int row = m_typePage->grid->currentRow();
    if (row < 0 || row >= m_typePage->grid->rowCount())
        return 1;
    return row + 1;
}

void TXvqForm::ShowPodcastItemsFromPDI()
{
    QTableWidget* grid = m_typePage->grid;
    m_typePage->setUpGrid();
    // One reading of the project for every row: a project of thousands of episodes fills at once.
    PodcastRecord settings;
    QList<PodcastRecord> episodes;
    if (m_projectPath.isEmpty() || ReadPDIProject(m_projectPath, settings, episodes) != PdiOk)
        episodes.clear();
    const qsizetype count = episodes.size();
    grid->setRowCount(int(count));
    for (int row = 0; row < count; ++row) {
        const PodcastRecord& episode = episodes[row];
        // Dates are kept in UTC and shown in local time, as the episode page shows them.
        const QDateTime stored = ParseStoredDateTime(episode.ItemDateTime);
        const QString date = stored.isValid() ? stored.toLocalTime().toString(QString::fromLatin1(kStoredDateFormat))
                                              : episode.ItemDateTime;
        const QStringList texts{EpisodeGridText(episode.ItemTitle), EpisodeGridText(episode.ItemDescription), date};
        for (int column = 0; column < texts.size(); ++column)
            grid->setItem(row, column, new QTableWidgetItem(texts[column].simplified()));
    }
    const bool any = count > 0;
    m_typePage->addButton->setEnabled(any);
    m_typePage->editButton->setEnabled(any);
    m_typePage->uploadButton->setEnabled(any);
    m_typePage->deleteButton->setEnabled(count > 1);
}

void TXvqForm::loadRecentProjects()
{
    QComboBox* box = m_typePage->mruCombo;
    const QString shown = box->currentText();
    box->clear();
    RegEntry entry(m_services.settings);
    for (int index = 0; index < kRecentProjectCount; ++index) {
        QString value;
        if (entry.ReadExpressRegString(QString::fromLatin1(kSettingsSubKey), mruName(index), value) == 0 &&
            !value.isEmpty())
            box->addItem(value);
    }
    box->setEditText(shown);
}

void TXvqForm::addRecentProject(const QString& path)
{
    RegEntry entry(m_services.settings);
    QStringList stored;
    for (int index = 0; index < kRecentProjectCount; ++index) {
        QString value;
        if (entry.ReadExpressRegString(QString::fromLatin1(kSettingsSubKey), mruName(index), value) == 0)
            stored += value;
    }
    const QStringList recent = UpdatedRecentProjects(stored, path);
    for (int index = 0; index < kRecentProjectCount; ++index) {
        // Slots past the new list are emptied, or a dropped duplicate would come back.
        const QString value = index < recent.size() ? recent[index] : QString();
        if (const int result = entry.WriteExpressRegString(QString::fromLatin1(kSettingsSubKey), mruName(index), value);
            result != 0)
            qCWarning(lcPodcast) << "recent project" << index << "cannot be stored:" << result;
    }
}

void TXvqForm::AddItemClick()
{
    int episode = 0;
    if (const int result = AddPDIItem(m_projectPath, m_record, episode); result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return;
    }
    m_episode = episode;
    if (const int result = ReadPDISettings(m_projectPath, m_record); result != PdiOk)
        m_services.messages.ShowErrorMessage(result);
    updateEveryPage();
    ShowPodcastItemsFromPDI();
    m_typePage->grid->selectRow(episode - 1);
    requestPage(XvqPage::AudioFile);
}

void TXvqForm::EditItemClick()
{
    if (!readProjectEpisode(selectedEpisode()))
        return;
    requestPage(XvqPage::AudioFile);
}

void TXvqForm::UploadItemClick()
{
    if (!readProjectEpisode(selectedEpisode()))
        return;
    // The pages load the host's account (its password lives in the host files, not the project).
    updateEveryPage();
    UploadPodcast();
}

void TXvqForm::DeleteItemClick()
{
    const int episode = selectedEpisode();
    const int answer = m_services.messages.ShowMessageBox(
        tr("Deleting the Podcast Episode will remove it permanently from the Podcast Feed. Do you want to really "
           "continue?"),
        {}, platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
    if (answer != platform::IDYES)
        return;
    if (const int result = DeletePDIItem(m_projectPath, episode); result != PdiOk) {
        m_services.messages.ShowErrorMessage(result);
        return;
    }
    QString feedPath;
    if (ReadPDIFeedPath(m_projectPath, feedPath) == PdiOk && !feedPath.isEmpty() && QFileInfo(feedPath).isFile()) {
        if (const int result = GenerateFeed(m_projectPath, feedPath); result != PdiOk)
            m_services.messages.ShowErrorMessage(result);
    }
    ShowPodcastItemsFromPDI();
    m_typePage->grid->selectRow(0);
    if (readProjectEpisode(1))
        updateEveryPage();
}

} // namespace podcast
