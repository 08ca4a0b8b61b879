#pragma once
// The builder's host page ("FTP Host Selection"): the list of predefined and custom FTP hosts, and
// the chosen host's address, account and web link. Choosing a row loads the host from the host
// files; edits of the account mark the host as changed, and the user is asked before such changes
// are dropped or when the page is left.
#include "podcast/FtpHosts.h"
#include "podcast/XvqPageWidget.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace podcast {

class HostSelectionTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit HostSelectionTab(QWidget* parent);

    // Fills the host list, selects the record's host and shows its values. A host the page has
    // not loaded yet (a project just opened) is read from the host files first, because projects
    // do not keep the password.
    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;
    void clearFields() override;

    // The user edited the host's account since it was loaded or saved.
    bool hostChanged() const { return m_hostChanged; }
    // Writes the record's host into the user's host files ("&Remove Host" follows the new type);
    // a failure is shown. Clears the changed mark on success.
    bool SaveHostInformation(PodcastRecord& record, const XvqContext& context);

signals:
    // A key press in a host field marked the host as changed.
    void hostSettingsChanged();

private:
    void buildFields();
    void HostSelectionTabShow();
    void UIUpdateHostInfo();
    void ExistingHostListBoxClick();
    void DeleteHostButtonClick();
    void HostNameEditExit();
    void WebLinkROExit();
    void UserNameROExit();
    void UserNameROKeyUp();
    void HostSettingsChange();
    // Asks "Save Changes for Host ...?" when the host changed; Yes saves it.
    void offerToSaveHost();
    // The fields into m_host, trimmed.
    void takeFields();
    // The row of m_host.HostName, else the last row; the list's selection follows.
    void selectCurrentRow();
    void makeCurrent(const QString& row);

    QListWidget* m_hostList = nullptr;
    QLineEdit* m_hostName = nullptr;
    QLineEdit* m_ftpAddress = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_loginName = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_webLink = nullptr;
    QLabel* m_hostNameLabel = nullptr;
    QLabel* m_ftpAddressLabel = nullptr;
    QLabel* m_userNameLabel = nullptr;
    QLabel* m_loginNameLabel = nullptr;
    QLabel* m_webLinkLabel = nullptr;
    QPushButton* m_removeButton = nullptr;

    // The host being edited: the record's host part as the page last filled or loaded it.
    PodcastRecord m_host;
    // The host read from the host files last; another name in the record is read when shown.
    QString m_loadedName;
    // A row was loaded since the page was filled: the remote folder and port come with it.
    bool m_loadedSinceUpdate = false;
    bool m_hostChanged = false;
    XvqContext m_context;
};

} // namespace podcast
