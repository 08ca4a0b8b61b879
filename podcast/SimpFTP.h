#pragma once
// TSimpleFTP: the FTP client of the podcast upload, over TWinInetControl: the connection, the
// current remote folder, the put of one file with byte progress, and the listing of a folder.
// Every call returns its success; LastError() and LastErrorText() say what failed and
// LastResponseText() what the server said. Local paths use "/" between folders.

#include "podcast/WinInetControl.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace podcast {

enum class TFTPFileSystemType { ftUnix, ftUnknown };
enum class TFTPTransferType { ttUnknown = 0, ttAscii = 1, ttBinary = 2 };

// The path routines of the FTP units.
// S with a "/" at its end (an empty S becomes "/"); unchanged when it has one, or for ftUnknown.
QString AddRemoteSlash(const QString& s, TFTPFileSystemType type = TFTPFileSystemType::ftUnix);
// S with the local folder separator at its end, unless it has one.
QString AddLocalSlash(const QString& s);
// S without its last "/" or "\"; a one-character S stays as it is.
QString StripTrailingSlash(const QString& s);
// S up to and including its last "/"; empty when it has none.
QString UrlDirPart(const QString& s);
// The size in bytes of the local file, or -1 when it cannot be opened for reading.
qint64 GetLocalFileSize(const QString& name);
// The per-file progress bar's position, 0 to 100: BytesDone of FileSize, rounded; 0 for no size.
int QuickProgressPercent(const FtpProgress& progress);

class TSimpleFTP : public TWinInetControl {
    Q_OBJECT
public:
    explicit TSimpleFTP(std::unique_ptr<FtpEngine> engine = makeCurlFtpEngine(), QObject* parent = nullptr);

    TFTPTransferType TransferType() const { return m_transferType; }
    void setTransferType(TFTPTransferType type) { m_transferType = type; }
    QString LocalDir() const { return m_localDir; }
    void setLocalDir(const QString& dir) { m_localDir = dir; }
    bool FailIfExistsOnGet() const { return m_failIfExistsOnGet; }
    void setFailIfExistsOnGet(bool fail) { m_failIfExistsOnGet = fail; }
    TFTPFileSystemType FileSystemType() const { return m_fileSystemType; }
    // Ignored while connected.
    void setFileSystemType(TFTPFileSystemType type);
    bool Passive() const { return passive; }
    void setPassive(bool value) { passive = value; }
    // Called just before the connection opens; may change the user name and password.
    std::function<void(QString& userName, QString& password)> OnLogin;

    // The current remote folder: the server's while connected, else the one stored.
    QString RemoteDir();
    void setRemoteDir(const QString& dir) { ChangeDir(dir); }
    bool ChangeDir(const QString& dir);

    bool Connect() override;
    bool Disconnect() override;

    // A bare name is LocalDir's file put under the same name in RemoteDir; a path is put under
    // its name part.
    bool PutFile(const QString& name);
    bool PutFile(const QString& localFile, const QString& remoteFile);

    // The entries matching mask ("*.mp3", "/pub/*.*"; empty: all) into FileNames(), with the
    // folder in front when fullPaths; the count, 0 on failure.
    int List(const QString& mask, bool fullPaths);
    // The current folder's entries, each through OnFindItem; the count.
    int ListCurrentDir();
    QStringList FileNames() const { return m_fileNames; }
    // The entries behind FileNames(), in the same order.
    QList<FtpEntry> FileEntries() const { return m_fileEntries; }
    // The server's reply to the login.
    QString Greeting() const { return m_greeting; }
    FtpProgress ProgressInfo() const { return m_progress; }

signals:
    void OnDirectoryChange();
    void OnFindItem(const podcast::FtpEntry& entry);
    void OnTransferProgress(const podcast::FtpProgress& progress);

private:
    int FindFiles(const QString& mask, bool fillList, bool fullPaths);

    TFTPTransferType m_transferType = TFTPTransferType::ttBinary;
    QString m_localDir;
    QString m_remoteDir;
    bool m_failIfExistsOnGet = false;
    TFTPFileSystemType m_fileSystemType = TFTPFileSystemType::ftUnix;
    QStringList m_fileNames;
    QList<FtpEntry> m_fileEntries;
    QString m_greeting;
    FtpProgress m_progress;
};

} // namespace podcast
