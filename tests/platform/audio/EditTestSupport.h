#pragma once
// What the tests of the edit processes share: running a process to its end through the handle
// protocol, the references sox makes, and looking at a folder for files left behind.

#include "platform/audio/AudioEngine.h"

#include "tests/support/TestSupport.h"
#include "tests/support/WaveFixtures.h"

#include <QDir>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace edittest {

// Starts an edit with a fresh cell and waits for its end: the start call's code when it did not
// start, else the exit reason. The handle is closed either way, and the cell checked.
template<typename Library>
int runEdit(Library& library, const std::function<uint16_t(uint32_t*)>& start)
{
    uint32_t cell = 0xDEADBEEF;
    const uint16_t code = start(&cell);
    if (code != 0) {
        EXPECT_EQ(cell, 0u) << "a refused start leaves the cell 0";
        return code;
    }
    EXPECT_NE(cell, 0u);
    for (int i = 0; i < 120000 && !library.AudioEditProcessIsOver(cell); ++i)
        QThread::msleep(1);
    EXPECT_EQ(library.AudioEditProcessIsOver(cell), 1);
    const int reason = library.AudioEditGetReasonForProcessExit(cell);
    if (reason == 0) {
        EXPECT_EQ(library.AudioEditGetProcessProgress(cell), 100);
    }
    EXPECT_EQ(library.AudioEditCloseHandle(&cell), 0);
    EXPECT_EQ(cell, 0u);
    return reason;
}

// "=<frames>s": a sox position in frames.
inline QString at(int64_t frames)
{
    return QStringLiteral("=%1s").arg(frames);
}

// "|sox <file> -p <effects>": an input of a sox command that is another sox command's output.
inline QString piped(const QString& file, const QStringList& effects)
{
    return QStringLiteral("|sox %1 -p %2").arg(file, effects.join(QLatin1Char(' ')));
}

// The output of sox run with the arguments, without dither, read back by Python's wave module.
inline wavefixtures::WaveInfo soxReference(const QStringList& arguments, const QString& output)
{
    const testsupport::ToolResult made = testsupport::runSox(QStringList{"-D"} + arguments);
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    return wavefixtures::pythonWaveInfo(output);
}

// Every entry of a folder, hidden ones (a temporary output left behind) included.
inline QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace edittest
