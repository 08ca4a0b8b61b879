#include "tests/platform/codecs/CodecFixtures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <chrono>
#include <thread>

namespace codecfixtures {

using testsupport::runTool;
using testsupport::ToolResult;

ToolResult runFfmpeg(const QStringList& arguments)
{
    return runTool(QStringLiteral(VA_FFMPEG), QStringList{"-nostdin", "-v", "error", "-y"} + arguments);
}

QString lameTone(const QString& path, double seconds, int rate, int channels, int kbps)
{
    const QString wav = path + ".src.wav";
    const ToolResult made = testsupport::runSox({"-n", "-r", QString::number(rate), "-c", QString::number(channels),
                                                 "-b", "16", wav, "synth", QString::number(seconds), "sine", "440",
                                                 "vol", "0.5"});
    if (made.exitCode != 0)
        return {};
    const ToolResult encoded = runTool("lame", {"--quiet", "--cbr", "-b", QString::number(kbps), wav, path});
    QFile::remove(wav);
    return encoded.exitCode == 0 ? path : QString();
}

QString ffmpegTone(const QString& path, double seconds, int rate, int channels, const QStringList& encoder)
{
    const QString duration = QString::number(seconds, 'f', 3);
    const QString tone = QStringLiteral("sine=frequency=997:sample_rate=%1:duration=%2").arg(rate).arg(duration);
    const QString noise = QStringLiteral("anoisesrc=color=pink:amplitude=0.05:sample_rate=%1:duration=%2:seed=7")
                              .arg(rate)
                              .arg(duration);
    const ToolResult result = runFfmpeg(QStringList{"-f", "lavfi", "-i", tone, "-f", "lavfi", "-i", noise,
                                                    "-filter_complex", "amix=inputs=2:normalize=0", "-ac",
                                                    QString::number(channels), "-ar", QString::number(rate)}
                                        + encoder + QStringList{path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.exitCode == 0 ? path : QString();
}

QString soxTone(const QString& path, double seconds, int rate, int channels, const QStringList& options)
{
    const ToolResult result = testsupport::runSox(QStringList{"-n", "-r", QString::number(rate), "-c",
                                                              QString::number(channels)}
                                                  + options
                                                  + QStringList{path, "synth", QString::number(seconds), "sine",
                                                                "440", "sine", "1250", "vol", "0.7"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.exitCode == 0 ? path : QString();
}

QByteArray ffmpegDecode(const QString& path, int bits, int rate, int channels)
{
    QStringList arguments{"-i", path};
    if (rate)
        arguments << "-ar" << QString::number(rate);
    if (channels)
        arguments << "-ac" << QString::number(channels);
    arguments << "-f" << (bits == 8 ? "u8" : "s16le") << "-";
    const ToolResult result = runFfmpeg(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.out;
}

QJsonObject ffprobe(const QString& path)
{
    const ToolResult result = runTool(QStringLiteral(VA_FFPROBE),
                                      {"-v", "error", "-select_streams", "a:0", "-show_format", "-show_streams",
                                       "-of", "json", path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject all = QJsonDocument::fromJson(result.out).object();
    const QJsonArray streams = all.value("streams").toArray();
    return QJsonObject{{"format", all.value("format")},
                       {"stream", streams.isEmpty() ? QJsonValue() : streams.first()}};
}

Comparison compareWithReference(const QString& wav, const QByteArray& reference)
{
    const QString raw = wav + ".reference.raw";
    testsupport::writeFile(raw, reference);
    const ToolResult result = testsupport::runPythonScript("decode_compare.py", {wav, raw});
    QFile::remove(raw);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    Comparison comparison;
    if (json.isEmpty())
        return comparison;
    comparison.channels = json.value("channels").toInt();
    comparison.bits = json.value("bits").toInt();
    comparison.rate = json.value("rate").toInt();
    comparison.frames = json.value("frames").toInteger();
    comparison.referenceFrames = json.value("reference_frames").toInteger();
    comparison.maxDiff = json.value("max_diff").toInt();
    comparison.differing = json.value("differing").toInteger();
    return comparison;
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void truncateCopy(const QString& from, const QString& to, int64_t keep)
{
    testsupport::writeFile(to, testsupport::readFile(from).left(keep));
}

std::function<void()> Gate::hook()
{
    return [this] {
        if (m_reached.exchange(true))
            return;
        while (!m_open.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
}

bool Gate::waitReached()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!m_reached.load()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Gate::release()
{
    m_open.store(true);
}

void Gate::close()
{
    m_open.store(false);
    m_reached.store(false);
}

} // namespace codecfixtures
