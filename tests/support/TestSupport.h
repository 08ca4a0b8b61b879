#pragma once
// Helpers shared by the tests: a fresh folder per test, and running the outside tools that check
// our output (sox, Debian's python3 with the checker scripts of tests/scripts).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// A new, empty folder for the running test, inside the process's temporary folder.
QString testFolder();

struct ToolResult {
    int exitCode = -1; // -1 when the program could not be started or crashed
    QByteArray out;
    QByteArray err;
};

ToolResult runTool(const QString& program, const QStringList& arguments, const QByteArray& input = {});
ToolResult runSox(const QStringList& arguments);
// Runs tests/scripts/<script> with Debian's interpreter.
ToolResult runPythonScript(const QString& script, const QStringList& arguments);

QByteArray readFile(const QString& path);
// The SHA-256 of a file's bytes (of nothing when it cannot be read): shows that a file was left alone.
QByteArray hashOf(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace testsupport
