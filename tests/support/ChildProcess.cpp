#include "tests/support/ChildProcess.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

ChildProcess::ChildProcess()
{
    const QString stem = QDir::tempPath() + QStringLiteral("/child-%1-").arg(quintptr(this), 0, 16);
    m_outPath = stem + QStringLiteral("out");
    m_errPath = stem + QStringLiteral("err");
    m_inPath = stem + QStringLiteral("in");
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        terminate();
        wait();
    }
    QFile::remove(m_outPath);
    QFile::remove(m_errPath);
    QFile::remove(m_inPath);
}

bool ChildProcess::start(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    // Everything the child needs is made before the fork: it only opens, duplicates and execs.
    std::vector<QByteArray> words{path.toLocal8Bit()};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray out = m_outPath.toLocal8Bit();
    const QByteArray err = m_errPath.toLocal8Bit();
    QByteArray in = QByteArrayLiteral("/dev/null");
    if (!input.isEmpty()) {
        QFile file(m_inPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            return false;
        in = m_inPath.toLocal8Bit();
    }

    m_pid = ::fork();
    if (m_pid == 0) {
        const int i = ::open(in.constData(), O_RDONLY);
        const int o = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (i < 0 || o < 0 || e < 0 || ::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
            ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return m_pid > 0;
}

int ChildProcess::wait()
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

void ChildProcess::kill()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
}

QByteArray ChildProcess::out() const
{
    return readFile(m_outPath);
}

QByteArray ChildProcess::err() const
{
    return readFile(m_errPath);
}

} // namespace testsupport
