#pragma once
// TXvqForm: the podcast builder, one modal window leading from the podcast type to the upload
// through a row of pages that share one podcast record. Every page change goes through
// XvqNavigator: a page that refuses to be left keeps the window on it, and the page shown is
// always the page the window stands on.
#include "common/HostFiles.h"
#include "platform/ui/UrlOpener.h"
#include "podcast/PodcastRecord.h"
#include "podcast/XvqPageWidget.h"
#include "podcast/XvqPages.h"
#include "podcast/XvqUpload.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace platform {
class Messages;
class SettingsStore;
} // namespace platform

namespace podcast {

class XvqHelpColumn;
class XvqPodcastTypePage;
class XvqWelcomePage;

struct XvqServices {
    const platform::Messages& messages;
    platform::SettingsStore& settings;
    // Where a new podcast's project lives until it is saved under a name.
    std::function<QString()> tempFolder;
    // The content pages (audio file .. upload).
    XvqPageFactory pageFactory = createXvqPage;
    // The FTP sessions of the upload and of the remote folder browser, and the windows the upload
    // opens.
    FtpTransportFactory ftpTransports = [] { return makeCurlFtpTransport(); };
    EpisodeChooser chooseEpisodes = chooseEpisodesToUpload;
    UploadRunner runUpload = runUploadWindow;
    // The help pages open through urls; the help questions come from questionHelpFile (empty:
    // none).
    std::shared_ptr<platform::UrlOpener> urls = std::make_shared<platform::DesktopUrlOpener>();
    std::function<QString()> questionHelpFile = common::GetQuestionHelpIniPath;
    // The song-information window of the audio page's tag button (none: the button is off).
    SongInformationEditor editSongInformation{};
    // The sound engine the audio page previews the episode on (none: no preview).
    platform::audio::AudioEngine* audioEngine = nullptr;
};

class TXvqForm : public QDialog {
    Q_OBJECT

public:
    explicit TXvqForm(XvqServices services, QWidget* parent = nullptr);
    ~TXvqForm() override;

    // Each entry point sets the window up and runs it modally; the result is the modal result.
    int ShowXvq();
    int ShowXvqForNewPodcast(const QString& audioPath, int type);
    int ShowXvqForExistingPodcast(const QString& path);
    // The set-up steps alone; false when the window is not to be shown.
    void prepareXvq();
    bool prepareForNewPodcast(const QString& audioPath, int type);
    void prepareForExistingPodcast(const QString& path);

    XvqPage currentPage() const { return m_navigator.current(); }
    const PodcastRecord& record() const { return m_record; }
    const QString& projectPath() const { return m_projectPath; }
    int episode() const { return m_episode; }
    bool changed() const { return m_changed; }

    // Asks for a page as Next, Back and the tabs do.
    void requestPage(XvqPage page);
    // "&Save Podcast"; false when nothing was saved.
    bool SavePodcast();
    void UpdateDirtyFlag(bool changed);
    void UpdateTabsDisplay();
    // "&Upload": checks, saves, writes the feed and the page, and sends the chosen episodes.
    void UploadPodcast();

public slots:
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void wirePage(XvqPageWidget* page);
    void YqmXvqStandard();
    void showPage(XvqPage page);
    XvqPageWidget* pageWidget(XvqPage page) const { return m_pages[size_t(page)]; }
    XvqContext context() const;
    XvqPageVisibility visibility() const;
    void setWelcomeShown(bool shown);

    // The side column's questions and help topics (XvqHelp.cpp).
    void showHelpQuestions(XvqPage page);
    void answerHelpQuestion(int index);
    void showHelpTopic(int context);

    // The steps of a page change.
    StepVerdict runGather(XvqPage leaving, XvqPage entering);
    StepVerdict runUpdate(XvqPage entering);
    // Fills a page keeping the changed flag as it was.
    void updatePageKeepingFlag(XvqPage page);
    void updateEveryPage();
    void stopActivities();

    // The podcast-type page (XvqTypeActions.cpp).
    StepVerdict GatherPodcastTypeInfo(XvqPage entering);
    StepVerdict UIUpdatePodcastTypeInfo();
    void NewFeedRadioButtonClick();
    void ExistingFeedRadioButtonClick();
    void FeedFileBrowseButtonClick();
    void FeedFilePathEditExit();
    void MruPdiComboChange();
    // Opens a path typed or chosen in the feed-file field or the recent-projects box.
    void openTypedProject(const QString& path);
    void AddItemClick();
    void EditItemClick();
    void UploadItemClick();
    void DeleteItemClick();
    bool openProject(const QString& path);
    bool readProjectEpisode(int episode);
    void ShowPodcastItemsFromPDI();
    int selectedEpisode() const;
    void loadRecentProjects();
    void addRecentProject(const QString& path);
    void setProjectPath(const QString& path);
    void showProjectPath();

    // The upload (XvqUpload.cpp).
    // False when a check stopped the upload (the page and field to mend are shown).
    bool runUploadChecks();
    void showField(XvqPage page, const QStringList& fields);
    // Saves the project as the upload needs it; false when the user declined or it failed.
    bool saveForUpload();
    bool writeFeedAndPage();
    void wireUploadRoads();

    // Saving and closing (XvqSave.cpp).
    // Yes saves (false when the save did not happen), No goes on, Cancel stops; false means stop.
    bool askToSaveChanges();
    // The Yes/No/Cancel question about the unsaved project; its answer.
    int askSaveQuestion();
    QString GetPDIFileToSave();
    void CancelButtonClick();
    void ShowWelcomeOptionClick(bool show);
    void closingSteps();
    void removeTemporaryProject();

    XvqServices m_services;
    PodcastRecord m_record;
    XvqNavigator m_navigator;
    QString m_projectPath;
    // The path last opened as given (a feed's path opens the project beside it).
    QString m_openedPath;
    int m_episode = 1;
    bool m_changed = false;
    bool m_changingPage = false;
    bool m_closed = false;
    // The user ticked the welcome check box or used the menu item (the setting is stored then).
    bool m_welcomeChoiceMade = false;

    QWidget* m_titleArea = nullptr;
    QLabel* m_captionLabel = nullptr;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    QToolButton* m_settingsButton = nullptr;
    QAction* m_showWelcomeAction = nullptr;
    XvqHelpColumn* m_helpColumn = nullptr;
    XvqWelcomePage* m_welcomePage = nullptr;
    XvqPodcastTypePage* m_typePage = nullptr;
    std::array<XvqPageWidget*, kXvqPageCount> m_pages{};
};

} // namespace podcast
