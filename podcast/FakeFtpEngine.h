#pragma once
// An FTP server in memory and an engine that talks to it, for tests and for windows run without a
// network. It answers as a plain FTP server does (the same result numbers and reply codes), and
// failures can be scripted: a wrong host, a refused port, read-only folders, a quota, a connection
// that drops after some bytes, a slow put that abort() can stop.

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
    int64_t quotaBytes = -1;                          // total bytes of all files; -1: none
    int64_t dropAfterBytes = -1;                      // a put loses the connection after this many
    int putChunkBytes = 64 * 1024;                    // bytes per progress step
    std::chrono::microseconds putChunkDelay{0};       // time per step, to let abort() meet a put
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
    QString m_cwd;
};

} // namespace podcast
