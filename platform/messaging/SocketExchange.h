#pragma once
// One request and its reply over a window's local socket, with one deadline for all of it. Plain
// POSIX calls, so that any thread may use it: Qt's sockets want a thread started by QThread with
// an event dispatcher, and the programs look windows up from worker threads too. The reply is cut
// out with a FrameReader, so a lying peer is refused before its body is buffered.

#include "platform/messaging/Messaging.h"
#include "platform/messaging/MessagingWire.h"

#include <QDeadlineTimer>
#include <QString>

namespace platform {

class SocketExchange {
public:
    explicit SocketExchange(QDeadlineTimer deadline);
    ~SocketExchange();
    SocketExchange(const SocketExchange&) = delete;
    SocketExchange& operator=(const SocketExchange&) = delete;

    // Each returns Answered when done; NoWindow when nobody listens at the path; TimedOut when the
    // deadline passed; Failed otherwise, with *why saying what went wrong.
    SendStatus connectTo(const QString& socketPath, QString* why);
    SendStatus send(const QByteArray& bytes, QString* why);
    SendStatus receive(wire::Frame* frame, QString* why);

private:
    // False when the deadline passed first.
    bool waitFor(short events);
    void closeSocket();

    QDeadlineTimer m_deadline;
    int m_fd = -1;
    wire::FrameReader m_reader;
};

} // namespace platform
