#pragma once
// TUploadingForm ("Server Status"): sends a list of local files into one folder of an FTP host and
// shows the dialogue with the server line by line. The sequence itself is UploadSequence; this
// window runs its commands on the FTP transport and shows its log, buttons and progress. Nothing
// here waits on the network: every transport call returns at once and reports back later.
#include "podcast/FtpTransport.h"
#include "podcast/UploadSequence.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace platform {
class Messages;
} // namespace platform

namespace podcast {

class TUploadingForm : public QDialog {
    Q_OBJECT

public:
    using TransportFactory = std::function<std::unique_ptr<FtpTransport>()>;
    // Asks whether a file already on the server is replaced; an OverwriteAnswer.
    using OverwriteQuestion = std::function<int(QWidget* parent, const QString& message)>;

    TUploadingForm(const platform::Messages& messages, TransportFactory transports, QWidget* parent = nullptr);
    ~TUploadingForm() override;

    void SetFileList(const QStringList& files);
    // Sends the files to the host and shows the window until the user closes it. The port is the
    // host's (0 is read as 21). Returns the local files that are on the server afterwards.
    QStringList Upload(const QString& userName, const QString& password, const QString& hostName,
                       const QString& remoteDir, int port);
    // The set-up of Upload without the modal run: showing the window starts the sequence.
    void prepareUpload(const QString& userName, const QString& password, const QString& hostName,
                       const QString& remoteDir, int port);

    OverwriteQuestion askOverwrite;

    const UploadSequence* sequence() const { return m_sequence.get(); }
    QStringList delivered() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CancelButtonClick();
    void feed(const UploadEvent& event);
    void run(const UploadCommand& command);
    void connectAndEnter();
    void refresh();

    const platform::Messages& m_messages;
    TransportFactory m_transports;
    std::unique_ptr<FtpTransport> m_transport;
    std::unique_ptr<UploadSequence> m_sequence;
    QStringList m_files;
    FtpConnectSettings m_settings;
    QString m_remoteDir;
    bool m_started = false;
    qsizetype m_shownLines = 0;

    QPlainTextEdit* m_log = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace podcast
