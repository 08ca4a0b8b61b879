#pragma once
// The builder's FTP page: the host's FTP address, the remote folder the files go to, the port and
// the FTP login name. "Bro&wse ..." lets the user pick the remote folder on the server, through a
// folder chooser the window provides.
#include "podcast/XvqPageWidget.h"

#include <functional>
#include <memory>

class QLineEdit;

namespace podcast {

// A window that connects to an FTP host and lets the user pick one of its folders.
class RemoteFolderChooser {
public:
    virtual ~RemoteFolderChooser() = default;
    // False when the host could not be reached or refused the login.
    virtual bool ConnectToRemoteHost(const QString& address, quint16 port, const QString& loginName,
                                     const QString& password, const QString& folder) = 0;
    // Shows the window modally; true when the user chose a folder with OK.
    virtual bool chooseFolder() = 0;
    virtual QString GetUploadPath() const = 0;
};
using RemoteFolderChooserFactory = std::function<std::unique_ptr<RemoteFolderChooser>(QWidget* parent)>;

class FTPInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit FTPInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

    // "Bro&wse ..." is enabled once a chooser can be made.
    void setRemoteFolderChooserFactory(RemoteFolderChooserFactory factory);

private:
    void UploadPathEditExit();
    void FTPBrowseButtonClick();

    QLineEdit* m_address = nullptr;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_loginName = nullptr;
    QPushButton* m_browse = nullptr;
    RemoteFolderChooserFactory m_chooserFactory;
    // The host's password from the host page, for browsing.
    QString m_password;
    XvqContext m_context;
};

} // namespace podcast
