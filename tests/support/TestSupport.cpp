#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

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
    QProcess process;
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted(10000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace testsupport
