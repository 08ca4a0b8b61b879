#include "tests/platform/codecs/EncodeSupport.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>

namespace encodetest {

QString programBin()
{
    return QStringLiteral(VA_PROGRAM_BIN);
}

QString toneWave(const QString& path, int rate, int bits, int channels, double seconds)
{
    const QString r = QString::number(rate);
    const QString c = QString::number(channels);
    const testsupport::ToolResult made
        = testsupport::runSox({"-D", "-r", r, "-c", c, "-n", "-r", r, "-c", c, "-b", QString::number(bits), "-e",
                               bits == 8 ? "unsigned-integer" : "signed-integer", "-t", "wavpcm", path, "synth",
                               QString::number(seconds, 'f', 3), "sine", "1000", "vol", "0.5"});
    return made.exitCode == 0 ? path : QString();
}

QMap<QString, QString> probe(const QString& path)
{
    const testsupport::ToolResult result = testsupport::runTool(
        VA_FFPROBE, {"-v", "error", "-count_packets", "-show_streams", "-show_format", "-of", "flat", path});
    QMap<QString, QString> values;
    if (result.exitCode != 0)
        return values;
    for (const QString& line : QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts)) {
        const int eq = line.indexOf('=');
        if (eq > 0) {
            QString value = line.mid(eq + 1);
            if (value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            values.insert(line.left(eq), value);
        }
    }
    return values;
}

int64_t decodeWithFfmpeg(const QString& path, QString* decoded)
{
    const QString out = path + ".decoded.wav";
    const testsupport::ToolResult result
        = testsupport::runTool(VA_FFMPEG, {"-v", "error", "-y", "-i", path, "-c:a", "pcm_s16le", "-f", "wav", out});
    if (result.exitCode != 0)
        return -1;
    if (decoded)
        *decoded = out;
    const testsupport::ToolResult info = testsupport::runTool(VA_SOXI, {"-s", out});
    bool ok = false;
    const int64_t frames = QString::fromUtf8(info.out).trimmed().toLongLong(&ok);
    return ok ? frames : -1;
}

ToneStats soxStats(const QString& wave)
{
    const testsupport::ToolResult result = testsupport::runSox({wave, "-n", "remix", "1", "stat"});
    ToneStats stats;
    const QString text = QString::fromUtf8(result.err);
    const QRegularExpression frequency(QStringLiteral("Rough\\s+frequency:\\s+(-?[0-9.]+)"));
    const QRegularExpression rms(QStringLiteral("RMS\\s+amplitude:\\s+([0-9.]+)"));
    const auto f = frequency.match(text);
    const auto r = rms.match(text);
    if (result.exitCode == 0 && f.hasMatch() && r.hasMatch()) {
        stats.frequency = f.captured(1).toDouble();
        stats.rms = r.captured(1).toDouble();
        stats.ok = true;
    }
    return stats;
}

std::string folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name).join(' ').toStdString();
}

} // namespace encodetest
