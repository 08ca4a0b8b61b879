#pragma once
// TRemoteHostForm ("Choose Folder To Upload Files"): lets the user walk the folders of an FTP host
// and choose the one uploads go to. The window connects when it is shown; when the host cannot be
// reached it closes with kCouldNotConnect and the caller shows that message.
#include "podcast/FtpTransport.h"
#include "podcast/RemoteFolderRows.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform {
class Messages;
} // namespace platform

namespace podcast {

class TRemoteHostForm : public QDialog {
    Q_OBJECT

public:
    using TransportFactory = std::function<std::unique_ptr<FtpTransport>()>;
    // The modal result when the host could not be reached: message 1024.
    static constexpr int kCouldNotConnect = 1024;

    explicit TRemoteHostForm(TransportFactory transports, QWidget* parent = nullptr);
    ~TRemoteHostForm() override;

    // The host to connect to when the window is shown; the folder is entered after the login.
    void ConnectToRemoteHost(const QString& hostName, int port, const QString& userName, const QString& password,
                             const QString& remoteFolder);
    QString GetUploadPath() const;

    QString statusText() const;
    bool busy() const { return m_busy; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void connected();
    void changeTo(const QString& folder, const QString& status);
    void directoryChanged();
    void refresh();
    void setBusy(bool busy);
    void setStatus(const QString& text);
    void listDoubleClicked(QTreeWidgetItem* item);

    TransportFactory m_transports;
    std::unique_ptr<FtpTransport> m_transport;
    FtpConnectSettings m_settings;
    QString m_folder;
    bool m_started = false;
    bool m_busy = false;

    QTreeWidget* m_list = nullptr;
    QLineEdit* m_path = nullptr;
    QLabel* m_host = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_parent = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Runs the browser for a host: the chosen folder, or nothing when the user cancelled. A host that
// cannot be reached is reported by message 1024.
std::optional<QString> BrowseRemoteFolder(QWidget* parent, const platform::Messages& messages,
                                          TRemoteHostForm::TransportFactory transports, const QString& hostName,
                                          int port, const QString& userName, const QString& password,
                                          const QString& remoteFolder);

} // namespace podcast
