#pragma once
// Running the outside programs the tests use as checkers and peers (sox, ffmpeg, python3, pactl,
// a private sound server).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace testsupport {

// A program run with fork and exec, its output going to files. The thread sanitizer follows such a
// child; QProcess starts its children in a way it does not, after which it reports races on the
// test's stack that are not there.
class ChildProcess {
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // input: the bytes the program reads on its standard input (none: /dev/null).
    bool start(const QString& program, const QStringList& arguments, const QByteArray& input = {});
    // The exit code; -1 when it did not exit normally.
    int wait();
    void terminate();
    // Ends it at once, as a crash would: it cleans nothing up.
    void kill();
    QByteArray out() const;
    QByteArray err() const;

private:
    QString m_outPath;
    QString m_errPath;
    QString m_inPath;
    pid_t m_pid = -1;
};

} // namespace testsupport
