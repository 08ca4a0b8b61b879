#pragma once
// The folder of the user's window endpoints (by default "va-windows" in the user's runtime
// folder, private to the user). Each registered window has a socket and, beside it, a lock file
// that its process holds locked (flock) for as long as the window lives, so the kernel itself
// tells a live window from one whose process was killed:
//   <class>~<time>~<pid>~<serial>        the socket (class in lower case, escaped for a file name,
//                                        or a digest of it when it is long)
//   <class>~<time>~<pid>~<serial>.lock   its lock
// The name is never used twice, so a window never competes with a dead one for its name; the files
// of a dead window are removed by the next lookup or registration that comes across them.

#include <QString>
#include <QStringList>

namespace platform {

class EndpointFolder {
public:
    explicit EndpointFolder(QString path);

    // <runtime folder>/va-windows; the runtime folder is XDG_RUNTIME_DIR when it is usable.
    static QString defaultPath();

    const QString& path() const { return m_path; }
    // Creates the folder (mode 0700) when it is missing; false (logged) when that fails.
    bool ensureExists() const;

    // The sockets of the live windows of a class (compared without case), oldest registration
    // first. The files of dead windows met on the way are removed.
    QStringList liveEndpoints(const QString& className) const;
    // Removes the files of every dead window in the folder.
    void removeDead() const;

    struct NewEndpoint {
        QString socketPath;
        QString lockPath;
        int lockFd = -1; // held locked; -1 when the endpoint could not be made (logged)
    };
    // A fresh name for a window of the class, with its lock taken; the caller then listens on
    // socketPath, and calls release() when the window goes.
    NewEndpoint createEndpoint(const QString& className) const;
    static void release(NewEndpoint& endpoint);

    // A name as it stands in a file name: letters, digits, '.', '_' and '-' kept, every other
    // byte of its UTF-8 as %XX.
    static QString escape(const QString& name);

private:
    // True when the endpoint's process still holds its lock; otherwise its files are removed.
    bool keepIfAlive(const QString& socketPath) const;

    QString m_path;
};

} // namespace platform
