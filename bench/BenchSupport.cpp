#include "bench/BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace bench {

namespace {

constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
constexpr int kHeaderBytes = 44;

} // namespace

QString workFolder()
{
    return QStringLiteral(VA_BENCH_WORK);
}

bool runQuietly(const QString& program, const QStringList& arguments, const QString& output)
{
    QProcess process;
    process.setStandardOutputFile(output);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString soxWave(const QString& name, double seconds, const QStringList& synth)
{
    QDir().mkpath(workFolder());
    const QString path = workFolder() + "/" + name;
    const qint64 expectedSize = kHeaderBytes + qint64(seconds * kRate) * kFrameBytes;
    if (QFileInfo(path).size() == expectedSize)
        return path;
    std::printf("making %s (once)...\n", qPrintable(path));
    std::fflush(stdout);
    const QString partial = path + ".part.wav";
    const QStringList arguments{"-n", "-r", QString::number(kRate), "-b", "16", "-c", "2", partial, "synth",
                                QString::number(seconds)};
    if (!runQuietly(QStringLiteral(VA_SOX), arguments + synth) || QFileInfo(partial).size() != expectedSize) {
        QFile::remove(partial);
        return {};
    }
    QFile::remove(path);
    QFile::rename(partial, path);
    return path;
}

QString hourWave()
{
    return soxWave(QStringLiteral("hour-44k-16bit-stereo.wav"), 3600, {"sine", "50-8000", "pinknoise", "vol", "0.9"});
}

} // namespace bench
