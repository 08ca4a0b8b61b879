#pragma once
// An FTP server in memory and an engine that talks to it, for tests and for windows run without a
// network. It answers as a plain FTP server does (the same result numbers and reply codes), and
// failures can be scripted by folder: read-only folders, a full disk, a server that keeps fewer
// bytes than it was sent, a connection that drops after some bytes; and a slow port whose puts
// abort() can meet.

#include "podcast/FtpTransport.h"

#include <QByteArray>
#include <QMap>
#include <QSet>

#include <chrono>
#include <mutex>

namespace podcast {

// Shared by the test (on its thread) and the engine (on the transport's worker): every member is
// used under lock().
struct FakeFtpServer {
    std::mutex mutex;
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex); }

    QString host = QStringLiteral("ftp.example.test");
    int port = 21;
    QString user = QStringLiteral("user");
    QString password = QStringLiteral("secret");
    QString home = QStringLiteral("/");               // the login folder
    QSet<QString> folders{QStringLiteral("/")};       // absolute paths, without a trailing "/"
    QMap<QString, QByteArray> files;                  // absolute path -> contents
    QSet<QString> readOnlyFolders;                    // writes into these are refused (550)
    QMap<QString, int64_t> fullFolders;               // a file here cannot grow past the bytes (426)
    QMap<QString, int64_t> shortFolders;              // a file here keeps only the bytes, yet 226
    QMap<QString, int64_t> dropFolders;               // the connection drops after the bytes
    int putChunkBytes = 64 * 1024;                    // bytes per progress step
    int slowPort = 2121;                              // puts through this port are slow:
    std::chrono::microseconds slowChunkDelay{20000};  // time per step there
    int connects = 0;                                 // logins so far
    int64_t bytesReceived = 0;                        // bytes of all puts, partial ones included
};

class FakeFtpEngine : public FtpEngine {
public:
    explicit FakeFtpEngine(std::shared_ptr<FakeFtpServer> server) : m_server(std::move(server)) {}

    FtpResult connect(const FtpConnectSettings& settings) override;
    FtpResult changeDir(const QString& dir) override;
    FtpResult printDir(QString& dir) override;
    FtpResult list(const QString& folder, QList<FtpEntry>& entries) override;
    FtpResult putFile(const QString& localPath, const QString& remotePath) override;
    void disconnect() override;
    bool connected() const override { return m_connected; }

private:
    QString absolute(const QString& path) const;
    FtpResult fail(FtpError error, const QString& reply);

    std::shared_ptr<FakeFtpServer> m_server;
    bool m_connected = false;
    bool m_slow = false;
    QString m_cwd;
};

} // namespace podcast
