#include "tests/support/TestSupport.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <atomic>

namespace testsupport {

QString testFolder()
{
    static std::atomic<int> counter{0};
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    QString name = info ? QString::fromUtf8(info->test_suite_name()) + "." + QString::fromUtf8(info->name())
                        : QStringLiteral("outside-test");
    name.replace('/', '_');
    const QString path = QDir::tempPath() + "/" + name + "-" + QString::number(counter++);
    QDir().mkpath(path);
    return path;
}

ToolResult runTool(const QString& program, const QStringList& arguments, const QByteArray& input)
{
    // fork and exec rather than QProcess: the thread sanitizer follows such a child, while after a
    // QProcess start it reports races that are not there.
    ChildProcess child;
    ToolResult result;
    if (!child.start(program, arguments, input))
        return result;
    result.exitCode = child.wait();
    result.out = child.out();
    result.err = child.err();
    return result;
}

ToolResult runSox(const QStringList& arguments)
{
    return runTool(QStringLiteral(VA_SOX), arguments);
}

ToolResult runPythonScript(const QString& script, const QStringList& arguments)
{
    return runTool(QStringLiteral(VA_PYTHON), QStringList{QStringLiteral(VA_TEST_SCRIPTS "/") + script} + arguments);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray hashOf(const QString& path)
{
    return QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace testsupport
