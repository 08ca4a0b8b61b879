#pragma once
// TRemoteHostForm ("Choose Folder To Upload Files"): lets the user walk the folders of an FTP host
// and choose the one uploads go to. Every listing and folder change runs on the FTP transport's
// worker; the window stays live meanwhile.
#include "podcast/FTPInfoTab.h"
#include "podcast/FtpTransport.h"
#include "podcast/RemoteFolderRows.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace podcast {

class TRemoteHostForm : public QDialog, public RemoteFolderChooser {
    Q_OBJECT

public:
    using TransportFactory = std::function<std::unique_ptr<FtpTransport>()>;
    explicit TRemoteHostForm(TransportFactory transports, QWidget* parent = nullptr);
    ~TRemoteHostForm() override;

    // Connects and logs in; false when the host cannot be reached or refuses the login. The wait
    // runs the event loop, so windows stay live. The folder is entered afterwards (the login folder
    // stays when it cannot be) and listed.
    bool ConnectToRemoteHost(const QString& hostName, quint16 port, const QString& userName, const QString& password,
                             const QString& remoteFolder) override;
    bool chooseFolder() override;
    QString GetUploadPath() const override;

    QString statusText() const;
    bool busy() const { return m_busy; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void changeTo(const QString& folder, const QString& status);
    void directoryChanged();
    void refresh();
    void setBusy(bool busy);
    void setStatus(const QString& text);
    void listDoubleClicked(QTreeWidgetItem* item);

    TransportFactory m_transports;
    std::unique_ptr<FtpTransport> m_transport;
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

} // namespace podcast
