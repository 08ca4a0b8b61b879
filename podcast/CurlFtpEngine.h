#pragma once
// The FTP engine on libcurl. One easy handle per session keeps the logged-in control connection
// between operations; every path is sent absolute (the current folder is kept here), so a control
// connection that libcurl had to open again lands in the same place. Every libcurl option is set in
// applyOptions(), where explicit TLS can be switched on without changing the callers.

#include "podcast/FtpTransport.h"

#include <QByteArray>
#include <QFile>

#include <chrono>

typedef void CURL;
typedef void CURLM;

namespace podcast {

class CurlFtpEngine : public FtpEngine {
public:
    CurlFtpEngine();
    ~CurlFtpEngine() override;

    FtpResult connect(const FtpConnectSettings& settings) override;
    FtpResult changeDir(const QString& dir) override;
    FtpResult printDir(QString& dir) override;
    FtpResult list(const QString& folder, QList<FtpEntry>& entries) override;
    FtpResult putFile(const QString& localPath, const QString& remotePath) override;
    void disconnect() override;
    bool connected() const override { return m_connected; }

    // libcurl's callbacks (public for the C trampolines only).
    void onServerLine(const QByteArray& line);
    void onCommandSent(const QByteArray& line);
    bool onSocketOpening();
    bool onTransferTick(int64_t uploaded);
    size_t onRead(char* buffer, size_t size);
    size_t onListing(const char* data, size_t size);

private:
    void applyOptions();
    QByteArray urlFor(const QString& absolutePath, bool folder) const;
    QString absolute(const QString& path) const;
    // Runs the prepared request; maps libcurl's result.
    FtpResult perform();
    FtpResult resultFor(int curlCode) const;
    // Sends commands on the control connection (no transfer); the replies land in m_replies.
    FtpResult quote(const QList<QByteArray>& commands);

    // Closes the handles, and with them the control connection.
    void closeHandles();

    CURL* m_curl = nullptr;
    // The easy handle runs inside a multi handle of its own, which keeps the control connection:
    // its short polls let a data connection on a reused control connection start at once, where
    // the blocking call waits up to a second for it.
    CURLM* m_multi = nullptr;
    FtpConnectSettings m_settings;
    bool m_connected = false;
    bool m_connecting = false;
    QString m_cwd;
    char m_errorBuffer[256] = {};

    // Server replies of the current request: complete replies, the last one at the end.
    QList<QByteArray> m_replies;
    QByteArray m_pendingReply;
    QByteArray m_lastCommand;

    // The put in progress.
    QFile* m_source = nullptr;
    FtpProgress m_progress;
    std::chrono::steady_clock::time_point m_lastReport;
    // The listing in progress.
    QByteArray m_listing;
};

} // namespace podcast
