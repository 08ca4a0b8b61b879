#include "platform/files/FileIo.h"
#include "platform/messaging/SocketExchange.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

SocketExchange::SocketExchange(QDeadlineTimer deadline)
    : m_deadline(deadline)
{
}

SocketExchange::~SocketExchange()
{
    closeSocket();
}

void SocketExchange::closeSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool SocketExchange::waitFor(short events)
{
    for (;;) {
        const qint64 left = m_deadline.remainingTime();
        if (left == 0)
            return false;
        pollfd watched{m_fd, events, 0};
        const int ready = ::poll(&watched, 1, int(std::min<qint64>(left, 60000)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return true; // the call that follows reports the error
    }
}

SendStatus SocketExchange::connectTo(const QString& socketPath, QString* why)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path) {
        *why = QStringLiteral("no socket can have the path %1").arg(socketPath);
        return SendStatus::NoWindow;
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    for (;;) {
        closeSocket();
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0) {
            *why = QStringLiteral("cannot make a socket: %1").arg(systemErrorText(errno));
            return SendStatus::Failed;
        }
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return SendStatus::Answered;
        const int error = errno;
        switch (error) {
        case EINTR:
            continue;
        case ENOENT:
        case ECONNREFUSED:
        case ENOTDIR:
            *why = QStringLiteral("nobody listens");
            return SendStatus::NoWindow;
        case EAGAIN:
            // The window's queue of connections is full: it is busy or hung. Try again shortly.
            if (m_deadline.remainingTime() == 0) {
                *why = QStringLiteral("the window takes no connection");
                return SendStatus::TimedOut;
            }
            QThread::msleep(std::min<qint64>(m_deadline.remainingTime(), 5));
            continue;
        default:
            *why = QStringLiteral("cannot connect: %1").arg(systemErrorText(error));
            return SendStatus::Failed;
        }
    }
}

SendStatus SocketExchange::send(const QByteArray& bytes, QString* why)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (sent > 0) {
            done += sent;
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno == EAGAIN) {
            if (!waitFor(POLLOUT)) {
                *why = QStringLiteral("the window takes no data");
                return SendStatus::TimedOut;
            }
            continue;
        }
        *why = QStringLiteral("sending failed: %1").arg(systemErrorText(errno));
        return SendStatus::Failed;
    }
    return SendStatus::Answered;
}

SendStatus SocketExchange::receive(wire::Frame* frame, QString* why)
{
    std::vector<char> buffer;
    for (;;) {
        const wire::FrameReader::Result result = m_reader.next(frame, why);
        if (result == wire::FrameReader::Result::Frame)
            return SendStatus::Answered;
        if (result == wire::FrameReader::Result::Invalid)
            return SendStatus::Failed;
        buffer.resize(size_t(m_reader.room()));
        const ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), 0);
        if (got > 0) {
            m_reader.append(QByteArray(buffer.data(), got));
            continue;
        }
        if (got == 0) {
            *why = QStringLiteral("the window closed the connection without answering");
            return SendStatus::Failed;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN) {
            if (!waitFor(POLLIN)) {
                *why = QStringLiteral("the window did not answer in time");
                return SendStatus::TimedOut;
            }
            continue;
        }
        *why = QStringLiteral("receiving failed: %1").arg(systemErrorText(errno));
        return SendStatus::Failed;
    }
}

} // namespace platform
