#include "podcast/CurlFtpEngine.h"

#include "podcast/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <curl/curl.h>

#include <sys/socket.h>

namespace podcast {

namespace {

// Progress reaches the GUI at most this often; a put of a large file would flood it otherwise.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr long kUploadBufferBytes = 1024 * 1024;
// The longest wait for the network between two looks at the abort flag.
constexpr auto kPollInterval = std::chrono::milliseconds(10);

int debugTrampoline(CURL*, curl_infotype type, char* data, size_t size, void* engine)
{
    auto* self = static_cast<CurlFtpEngine*>(engine);
    if (type == CURLINFO_HEADER_IN)
        self->onServerLine(QByteArray(data, qsizetype(size)));
    else if (type == CURLINFO_HEADER_OUT)
        self->onCommandSent(QByteArray(data, qsizetype(size)));
    return 0;
}

curl_socket_t openSocketTrampoline(void* engine, curlsocktype, struct curl_sockaddr* address)
{
    if (!static_cast<CurlFtpEngine*>(engine)->onSocketOpening())
        return CURL_SOCKET_BAD;
    return ::socket(address->family, address->socktype, address->protocol);
}

int xferInfoTrampoline(void* engine, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
{
    return static_cast<CurlFtpEngine*>(engine)->onTransferTick(uploaded) ? 0 : 1;
}

size_t readTrampoline(char* buffer, size_t size, size_t count, void* engine)
{
    return static_cast<CurlFtpEngine*>(engine)->onRead(buffer, size * count);
}

size_t writeTrampoline(char* data, size_t size, size_t count, void* engine)
{
    return static_cast<CurlFtpEngine*>(engine)->onListing(data, size * count);
}

// Line breaks or NULs in a remote name would end the command early and start another one.
bool safeRemoteName(const QString& path)
{
    return !path.contains(u'\r') && !path.contains(u'\n') && !path.contains(QChar(0));
}

FtpResult unsafeName()
{
    return FtpResult{FtpError::ExtendedError, QStringLiteral("501 Line breaks are not allowed in a remote name.")};
}

// The folder out of a 257 reply: "257 "/a ""quoted"" b" is the current directory."
QString folderOfReply(const QByteArray& reply)
{
    const qsizetype open = reply.indexOf('"');
    if (!reply.startsWith("257") || open < 0)
        return QString();
    QByteArray folder;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply[i] == '"') {
            if (i + 1 < reply.size() && reply[i + 1] == '"') {
                folder += '"';
                ++i;
                continue;
            }
            return QString::fromUtf8(folder);
        }
        folder += reply[i];
    }
    return QString();
}

} // namespace

std::unique_ptr<FtpEngine> makeCurlFtpEngine()
{
    return std::make_unique<CurlFtpEngine>();
}

CurlFtpEngine::CurlFtpEngine()
{
    static const CURLcode global = curl_global_init(CURL_GLOBAL_DEFAULT);
    Q_UNUSED(global);
}

CurlFtpEngine::~CurlFtpEngine()
{
    closeHandles();
}

void CurlFtpEngine::closeHandles()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
    if (m_multi)
        curl_multi_cleanup(m_multi);
    m_curl = nullptr;
    m_multi = nullptr;
}

void CurlFtpEngine::onServerLine(const QByteArray& data)
{
    m_pendingReply += data;
    // A reply ends with a line that starts with its three digits and a blank.
    const QList<QByteArray> lines = m_pendingReply.split('\n');
    QByteArray last = lines.size() >= 2 ? lines[lines.size() - 2].trimmed() : QByteArray();
    if (!m_pendingReply.endsWith('\n'))
        return;
    if (last.size() >= 4 && std::isdigit(uchar(last[0])) && std::isdigit(uchar(last[1]))
        && std::isdigit(uchar(last[2])) && last[3] == ' ') {
        m_replies.append(m_pendingReply.trimmed().replace("\r\n", "\n"));
        m_pendingReply.clear();
    }
}

void CurlFtpEngine::onCommandSent(const QByteArray& line)
{
    m_lastCommand = line.trimmed();
}

bool CurlFtpEngine::onSocketOpening()
{
    // Only the control connection of a connect moves the state; data connections do not.
    if (m_connecting) {
        reportState(WinInetState::wsResolved);
        reportState(WinInetState::wsConnecting);
    }
    return !abortRequested();
}

bool CurlFtpEngine::onTransferTick(int64_t uploaded)
{
    if (abortRequested())
        return false;
    if (m_source && uploaded != m_progress.bytesDone) {
        m_progress.bytesDone = std::min(uploaded, m_progress.fileSize);
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastReport >= kProgressInterval) {
            m_lastReport = now;
            reportProgress(m_progress);
        }
    }
    return true;
}

size_t CurlFtpEngine::onRead(char* buffer, size_t size)
{
    if (abortRequested())
        return CURL_READFUNC_ABORT;
    const qint64 read = m_source->read(buffer, qint64(size));
    return read < 0 ? CURL_READFUNC_ABORT : size_t(read);
}

size_t CurlFtpEngine::onListing(const char* data, size_t size)
{
    m_listing.append(data, qsizetype(size));
    return size;
}

void CurlFtpEngine::applyOptions()
{
    curl_easy_reset(m_curl);
    const FtpConnectSettings& s = m_settings;
    const QByteArray user = s.user.toUtf8();
    const QByteArray password = s.password.toUtf8();
    curl_easy_setopt(m_curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(m_curl, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    const long timeoutMs = long(s.connectTimeoutMs == 0 ? 300000 : s.connectTimeoutMs);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    // A server that stops answering, or a transfer that stops moving, fails after the same time.
    const long timeoutSeconds = std::max(1L, (timeoutMs + 999) / 1000);
    curl_easy_setopt(m_curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, timeoutSeconds);
    if (!s.passive)
        curl_easy_setopt(m_curl, CURLOPT_FTPPORT, "-");
    switch (s.resolveNames) {
    case ResolveNames::rnLocal:
        curl_easy_setopt(m_curl, CURLOPT_PROXY, "");
        break;
    case ResolveNames::rnProxy: {
        const QByteArray proxy = s.proxyName.toUtf8();
        const QByteArray bypass = s.proxyBypassList.join(u',').toUtf8();
        curl_easy_setopt(m_curl, CURLOPT_PROXY, proxy.constData());
        curl_easy_setopt(m_curl, CURLOPT_NOPROXY, bypass.constData());
        curl_easy_setopt(m_curl, CURLOPT_HTTPPROXYTUNNEL, 1L);
        break;
    }
    case ResolveNames::rnPreConfig:
        break;
    }
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, debugTrampoline);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_OPENSOCKETFUNCTION, openSocketTrampoline);
    curl_easy_setopt(m_curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, xferInfoTrampoline);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, writeTrampoline);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_READFUNCTION, readTrampoline);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
}

QString CurlFtpEngine::absolute(const QString& path) const
{
    const QString joined = path.startsWith(u'/') ? path : m_cwd + u'/' + path;
    QString clean = QDir::cleanPath(joined);
    if (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

QByteArray CurlFtpEngine::urlFor(const QString& absolutePath, bool folder) const
{
    QByteArray host = QUrl::toAce(m_settings.host);
    if (host.isEmpty())
        host = m_settings.host.toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    QByteArray url = "ftp://" + host + ':' + QByteArray::number(m_settings.port) + "/%2F";
    QList<QByteArray> segments;
    for (const QString& segment : absolutePath.split(u'/', Qt::SkipEmptyParts))
        segments.append(QUrl::toPercentEncoding(segment));
    url += segments.join('/');
    if (folder && !segments.isEmpty())
        url += '/';
    if (folder && segments.isEmpty())
        url += '/';
    return url;
}

FtpResult CurlFtpEngine::resultFor(int curlCode) const
{
    FtpResult result;
    if (!m_replies.isEmpty())
        result.reply = QString::fromUtf8(m_replies.last());
    if (curlCode == CURLE_OK)
        return result;
    if (result.reply.isEmpty() || curlCode == CURLE_ABORTED_BY_CALLBACK)
        result.reply = QString::fromUtf8(m_errorBuffer);
    switch (curlCode) {
    case CURLE_OPERATION_TIMEDOUT:
        result.error = FtpError::Timeout;
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        result.error = FtpError::NameNotResolved;
        break;
    case CURLE_COULDNT_CONNECT:
        result.error = FtpError::CannotConnect;
        break;
    case CURLE_LOGIN_DENIED:
        if (m_lastCommand.startsWith("USER"))
            result.error = FtpError::IncorrectUserName;
        else if (m_lastCommand.startsWith("PASS"))
            result.error = FtpError::IncorrectPassword;
        else
            result.error = FtpError::LoginFailure;
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        result.error = FtpError::OperationCancelled;
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_WEIRD_SERVER_REPLY:
        result.error = FtpError::ConnectionAborted;
        break;
    case CURLE_OUT_OF_MEMORY:
    case CURLE_FAILED_INIT:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_UNKNOWN_OPTION:
        result.error = FtpError::InternalError;
        break;
    default:
        // The server refused (550, 552, 426, ...): its reply says why.
        result.error = FtpError::ExtendedError;
        break;
    }
    return result;
}

FtpResult CurlFtpEngine::perform()
{
    m_replies.clear();
    m_pendingReply.clear();
    m_errorBuffer[0] = 0;
    CURLcode code = CURLE_FAILED_INIT;
    if (curl_multi_add_handle(m_multi, m_curl) == CURLM_OK) {
        int running = 1;
        while (curl_multi_perform(m_multi, &running) == CURLM_OK && running > 0)
            curl_multi_poll(m_multi, nullptr, 0, int(kPollInterval.count()), nullptr);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == m_curl)
                code = message->data.result;
        }
        curl_multi_remove_handle(m_multi, m_curl);
    }
    FtpResult result = resultFor(code);
    if (!result.ok())
        qCInfo(lcPodcast) << "FTP:" << curl_easy_strerror(code) << result.reply;
    // The control connection is gone after these; the session must connect again.
    if (m_connected && !m_connecting
        && (result.error == FtpError::ConnectionAborted || result.error == FtpError::Timeout
            || result.error == FtpError::CannotConnect)) {
        m_connected = false;
        reportState(WinInetState::wsNone);
    }
    return result;
}

FtpResult CurlFtpEngine::quote(const QList<QByteArray>& commands)
{
    applyOptions();
    const QByteArray url = urlFor(QStringLiteral("/"), true);
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    curl_slist* list = nullptr;
    for (const QByteArray& command : commands)
        list = curl_slist_append(list, command.constData());
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, list);
    FtpResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    return result;
}

FtpResult CurlFtpEngine::connect(const FtpConnectSettings& settings)
{
    if (m_connected)
        return {};
    if (!m_curl)
        m_curl = curl_easy_init();
    if (!m_multi)
        m_multi = curl_multi_init();
    if (!m_curl || !m_multi) {
        closeHandles();
        return FtpResult{FtpError::InternalError, QString()};
    }
    m_settings = settings;
    const uint32_t attempts = std::max<uint32_t>(1, settings.connectRetries);
    FtpResult result;
    m_connecting = true;
    for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
        reportState(WinInetState::wsResolving);
        applyOptions();
        const QByteArray url = urlFor(QStringLiteral("/"), true);
        curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
        result = perform();
        // Only a network that did not answer is worth another attempt; a refused login is final.
        if (result.error != FtpError::CannotConnect && result.error != FtpError::Timeout)
            break;
    }
    m_connecting = false;
    if (!result.ok()) {
        closeHandles();
        reportState(WinInetState::wsNone);
        return result;
    }
    char* entry = nullptr;
    curl_easy_getinfo(m_curl, CURLINFO_FTP_ENTRY_PATH, &entry);
    m_cwd = entry && *entry ? absolute(QString::fromUtf8(entry)) : QStringLiteral("/");
    m_connected = true;
    reportState(WinInetState::wsConnected);
    return result;
}

FtpResult CurlFtpEngine::changeDir(const QString& dir)
{
    if (!m_connected)
        return FtpResult{FtpError::NotConnected, QString()};
    if (!safeRemoteName(dir))
        return unsafeName();
    const QString target = absolute(dir);
    FtpResult result = quote({"CWD " + target.toUtf8(), "PWD"});
    if (!result.ok())
        return result;
    const QString folder = m_replies.isEmpty() ? QString() : folderOfReply(m_replies.last());
    m_cwd = folder.startsWith(u'/') ? absolute(folder) : target;
    return result;
}

FtpResult CurlFtpEngine::printDir(QString& dir)
{
    if (!m_connected)
        return FtpResult{FtpError::NotConnected, QString()};
    dir = m_cwd;
    return FtpResult{FtpError::Ok, QStringLiteral("257 \"%1\" is the current directory.").arg(m_cwd)};
}

FtpResult CurlFtpEngine::list(const QString& folder, QList<FtpEntry>& entries)
{
    entries.clear();
    if (!m_connected)
        return FtpResult{FtpError::NotConnected, QString()};
    if (!safeRemoteName(folder))
        return unsafeName();
    applyOptions();
    const QByteArray url = urlFor(folder.isEmpty() ? m_cwd : absolute(folder), true);
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, "MLSD");
    m_listing.clear();
    FtpResult result = perform();
    curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, nullptr);
    if (!result.ok())
        return result;
    // One entry a line: "fact=value;fact=value; name". The name starts after the first blank.
    for (const QByteArray& raw : m_listing.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        const qsizetype blank = line.indexOf(' ');
        if (blank <= 0)
            continue;
        const QString name = QString::fromUtf8(line.mid(blank + 1));
        if (name.isEmpty() || name == u"." || name == u"..")
            continue;
        FtpEntry entry;
        entry.name = name;
        QByteArray type;
        for (const QByteArray& fact : line.left(blank).split(';')) {
            const qsizetype equals = fact.indexOf('=');
            if (equals <= 0)
                continue;
            const QByteArray key = fact.left(equals).toLower();
            const QByteArray value = fact.mid(equals + 1);
            if (key == "type")
                type = value.toLower();
            else if (key == "size")
                entry.size = value.toLongLong();
        }
        if (type == "cdir" || type == "pdir")
            continue;
        if (type == "dir") {
            entry.type = FtpEntryType::Folder;
            entry.size = 0;
        } else if (type == "file") {
            entry.type = FtpEntryType::File;
        } else if (type.startsWith("os.unix=slink") || type.startsWith("os.unix=symlink")) {
            entry.type = FtpEntryType::Link;
        } else {
            entry.type = FtpEntryType::Other;
        }
        entries.append(entry);
    }
    return result;
}

FtpResult CurlFtpEngine::putFile(const QString& localPath, const QString& remotePath)
{
    if (!m_connected)
        return FtpResult{FtpError::NotConnected, QString()};
    if (!safeRemoteName(remotePath))
        return unsafeName();
    QFile source(localPath);
    if (!QFileInfo(localPath).isFile() || !source.open(QIODevice::ReadOnly))
        return FtpResult{FtpError::LocalFileNotFound, source.errorString()};
    const QString target = absolute(remotePath);
    const QByteArray url = urlFor(target, false);
    m_progress = FtpProgress{0, source.size(), QFileInfo(localPath).fileName()};
    m_lastReport = std::chrono::steady_clock::now();
    reportProgress(m_progress);

    applyOptions();
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(m_progress.fileSize));
    m_source = &source;
    FtpResult result = perform();
    m_source = nullptr;
    if (!result.ok())
        return result;

    curl_off_t sent = 0;
    curl_easy_getinfo(m_curl, CURLINFO_SIZE_UPLOAD_T, &sent);
    // The server's own count (SIZE) rules: a server may answer 226 and keep less.
    applyOptions();
    curl_easy_setopt(m_curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, 1L);
    const QList<QByteArray> sentReplies = m_replies;
    const FtpResult sized = perform();
    curl_off_t held = -1;
    if (sized.ok())
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &held);
    if (sent != m_progress.fileSize || (held >= 0 && held != m_progress.fileSize)) {
        const qint64 kept = held >= 0 ? qint64(held) : qint64(sent);
        return FtpResult{FtpError::ConnectionAborted,
                         QStringLiteral("The server holds %1 of the %2 bytes of %3.")
                             .arg(kept)
                             .arg(m_progress.fileSize)
                             .arg(target)};
    }
    m_progress.bytesDone = m_progress.fileSize;
    reportProgress(m_progress);
    result.reply = sentReplies.isEmpty() ? result.reply : QString::fromUtf8(sentReplies.last());
    return result;
}

void CurlFtpEngine::disconnect()
{
    if (!m_curl)
        return;
    const bool wasConnected = m_connected;
    if (wasConnected)
        reportState(WinInetState::wsDisconnecting);
    m_connected = false;
    closeHandles();
    reportState(WinInetState::wsNone);
}

} // namespace podcast
