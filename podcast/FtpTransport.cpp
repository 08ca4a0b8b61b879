#include "podcast/FtpTransport.h"

#include <condition_variable>
#include <thread>

namespace podcast {

QString winInetStateText(WinInetState state, const QString& host)
{
    switch (state) {
    case WinInetState::wsDisconnecting:
        return QStringLiteral("Disconnecting from %1").arg(host);
    case WinInetState::wsNone:
        return QStringLiteral("No connection");
    case WinInetState::wsConnecting:
        return QStringLiteral("Connecting to %1").arg(host);
    case WinInetState::wsConnected:
        return QStringLiteral("Connected to %1").arg(host);
    case WinInetState::wsResolving:
        return QStringLiteral("Resolving name %1").arg(host);
    case WinInetState::wsResolved:
        return QStringLiteral("Resolved name %1").arg(host);
    }
    return QStringLiteral("Unknown state!  Contact support ...");
}

QString winInetErrorText(FtpError error, const QString& host, const QString& user)
{
    switch (error) {
    case FtpError::Timeout:
        return QStringLiteral("Connection to %1 timed out").arg(host);
    case FtpError::InternalError:
        return QStringLiteral("Internal WININET error");
    case FtpError::NameNotResolved:
        return QStringLiteral("Unable to resolve host name '%1'").arg(host);
    case FtpError::IncorrectUserName:
        return QStringLiteral("Bad user name: '%1' connecting to %2").arg(user, host);
    case FtpError::IncorrectPassword:
        return QStringLiteral("Bad password connecting to %1").arg(host);
    case FtpError::LoginFailure:
    case FtpError::CannotConnect:
        return QStringLiteral("Unable to connect to %1").arg(host);
    default:
        return QStringLiteral("General Connection Error to %1").arg(host);
    }
}

// One item of the worker's queue: run(false) does the work on the worker; run(true) only reports
// the operation as cancelled, without touching the engine.
using QueuedOperation = std::function<void(bool cancelled)>;

class FtpTransport::Worker {
public:
    explicit Worker(std::unique_ptr<FtpEngine> engine) : engine(std::move(engine))
    {
        this->engine->setAbortFlag(&abortFlag);
        thread = std::thread([this] { run(); });
    }

    ~Worker()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
    }

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !queue.empty(); });
            if (queue.empty())
                return;
            QueuedOperation operation = std::move(queue.front());
            queue.pop_front();
            running = true;
            lock.unlock();
            operation(false);
            lock.lock();
            running = false;
            idle.notify_all();
        }
    }

    std::unique_ptr<FtpEngine> engine;
    std::atomic<bool> abortFlag{false};
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<QueuedOperation> queue;
    bool running = false;
    bool stopping = false;
    std::thread thread;
};

FtpTransport::FtpTransport(std::unique_ptr<FtpEngine> engine, QObject* parent)
    : QObject(parent)
    , m_worker(std::make_unique<Worker>(std::move(engine)))
{
    m_poster.setReceiver(this);
    qRegisterMetaType<podcast::WinInetState>();
    qRegisterMetaType<podcast::FtpProgress>();
    m_worker->engine->setSinks(
        [this](WinInetState state) {
            deliver([this, state] {
                if (state == m_state)
                    return;
                m_state = state;
                emit stateChanged(state);
            });
        },
        [this](const FtpProgress& value) { deliver([this, value] { emit progress(value); }); });
}

FtpTransport::~FtpTransport()
{
    abort();
    m_worker.reset();
}

// The message number is the transport's own; the poster delivers only to this transport.
constexpr uint32_t kDeliveryMessage = 1;

void FtpTransport::deliver(std::function<void()> onGuiThread)
{
    {
        const std::lock_guard lock(m_deliveriesLock);
        m_deliveries.push_back(std::move(onGuiThread));
    }
    m_poster.post(kDeliveryMessage);
}

bool FtpTransport::event(QEvent* event)
{
    if (event->type() != platform::PostedMessage::eventType())
        return QObject::event(event);
    std::function<void()> next;
    {
        const std::lock_guard lock(m_deliveriesLock);
        if (m_deliveries.empty())
            return true;
        next = std::move(m_deliveries.front());
        m_deliveries.pop_front();
    }
    next();
    return true;
}

void FtpTransport::queueOperation(std::function<FtpResult()> work, std::function<void(const FtpResult&)> finish)
{
    ++m_pending;
    auto complete = [this, finish = std::move(finish)](const FtpResult& result) {
        deliver([this, finish, result] {
            m_lastReply = result.reply;
            --m_pending;
            if (finish)
                finish(result);
        });
    };
    std::lock_guard lock(m_worker->mutex);
    m_worker->queue.push_back([work = std::move(work), complete = std::move(complete)](bool cancelled) {
        complete(cancelled ? FtpResult{FtpError::OperationCancelled, QString()} : work());
    });
    m_worker->wake.notify_all();
}

void FtpTransport::connectToHost(const FtpConnectSettings& settings, Done done)
{
    queueOperation([this, settings] { return m_worker->engine->connect(settings); }, std::move(done));
}

void FtpTransport::changeDir(const QString& dir, Done done)
{
    queueOperation([this, dir] { return m_worker->engine->changeDir(dir); }, std::move(done));
}

void FtpTransport::printDir(DirDone done)
{
    auto dir = std::make_shared<QString>();
    queueOperation([this, dir] { return m_worker->engine->printDir(*dir); },
                   [dir, done = std::move(done)](const FtpResult& result) {
                       if (done)
                           done(result, *dir);
                   });
}

void FtpTransport::list(const QString& folder, ListDone done)
{
    auto entries = std::make_shared<QList<FtpEntry>>();
    queueOperation([this, folder, entries] { return m_worker->engine->list(folder, *entries); },
                   [entries, done = std::move(done)](const FtpResult& result) {
                       if (done)
                           done(result, *entries);
                   });
}

void FtpTransport::putFile(const QString& localPath, const QString& remotePath, Done done)
{
    queueOperation([this, localPath, remotePath] { return m_worker->engine->putFile(localPath, remotePath); },
                   std::move(done));
}

void FtpTransport::disconnectFromHost(Done done)
{
    queueOperation(
        [this] {
            m_worker->engine->disconnect();
            return FtpResult{};
        },
        std::move(done));
}

void FtpTransport::abort()
{
    std::deque<QueuedOperation> dropped;
    {
        std::unique_lock lock(m_worker->mutex);
        dropped.swap(m_worker->queue);
        m_worker->abortFlag = true;
        // The connection is closed on the worker, which alone uses the engine, right after the
        // running operation has given up.
        m_worker->queue.push_back([this](bool) { m_worker->engine->disconnect(); });
        m_worker->wake.notify_all();
        m_worker->idle.wait(lock, [this] { return m_worker->queue.empty() && !m_worker->running; });
        m_worker->abortFlag = false;
    }
    for (QueuedOperation& operation : dropped)
        operation(true);
}

} // namespace podcast
