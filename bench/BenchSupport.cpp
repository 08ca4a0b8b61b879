#include "bench/BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
constexpr int kHeaderBytes = 44;
// The stall meter's tick: short against the stalls it looks for.
constexpr int kStallTickMs = 5;

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Figures to three significant digits or so, without an exponent; a small miss keeps two.
QString figureText(double figure)
{
    const double size = std::abs(figure);
    if (size > 0 && size < 0.01)
        return QString::number(figure, 'g', 2);
    return QString::number(figure, 'f', size >= 100 ? 0 : size >= 10 ? 1 : 2);
}

QString withUnit(double figure, const QString& unit)
{
    return figureText(figure) + " " + unit;
}

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

void warmPageCache(const QStringList& paths)
{
    runQuietly(QStringLiteral("cat"), paths);
}

bool flushFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

int coresGiven()
{
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    if (sched_getaffinity(0, sizeof cpus, &cpus) != 0)
        return int(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
    return CPU_COUNT(&cpus);
}

StallMeter::StallMeter()
    : m_start(std::chrono::steady_clock::now()), m_last(m_start)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        if (const double gap = msSince(m_last); gap > m_longestMs) {
            m_longestMs = gap;
            m_longestEndedSeconds = secondsSince(m_start);
        }
        m_last = std::chrono::steady_clock::now();
    });
    m_timer.start(kStallTickMs);
}

double StallMeter::longestMs() const
{
    return std::max(m_longestMs, msSince(m_last));
}

double StallMeter::longestEndedSeconds() const
{
    return msSince(m_last) > m_longestMs ? secondsSince(m_start) : m_longestEndedSeconds;
}

double median(std::vector<double> figures)
{
    if (figures.empty())
        return 0;
    std::sort(figures.begin(), figures.end());
    const size_t middle = figures.size() / 2;
    return figures.size() % 2 == 1 ? figures[middle] : (figures[middle - 1] + figures[middle]) / 2;
}

Goals::Goals(QString benchmark)
    : m_benchmark(std::move(benchmark))
{
}

void Goals::atMost(const QString& goal, double figure, double limit, const QString& unit)
{
    judge(goal, figure, limit, unit, Sense::AtMost);
}

void Goals::atLeast(const QString& goal, double figure, double limit, const QString& unit)
{
    judge(goal, figure, limit, unit, Sense::AtLeast);
}

void Goals::judge(const QString& goal, double figure, double limit, const QString& unit, Sense sense)
{
    m_limit = limit;
    m_unit = unit;
    m_sense = sense;
    bool met = false;
    const QString verdict = verdictText(figure, met);
    if (!met)
        ++m_missed;
    record(met ? "met" : "MISSED", QStringLiteral("%1: %2").arg(goal, verdict));
}

QString Goals::verdictText(double figure, bool& met) const
{
    met = m_sense == Sense::AtMost ? figure <= m_limit : figure >= m_limit;
    QString shown = withUnit(figure, m_unit);
    if (!met && shown == withUnit(m_limit, m_unit)) // a miss too small for the usual digits
        shown = QString::number(figure, 'f', 4) + " " + m_unit;
    QString text = QStringLiteral("%1 (%2 %3)")
                       .arg(shown, m_sense == Sense::AtMost ? "at most" : "at least", withUnit(m_limit, m_unit));
    if (!met) {
        const double by = std::abs(figure - m_limit);
        text += QStringLiteral(", missed by %1").arg(withUnit(by, m_unit));
        // A limit of 0 (no drift at all) has no share to miss it by.
        if (m_limit != 0) {
            const double percent = 100 * by / m_limit;
            text += QStringLiteral(" (%1%)").arg(QString::number(percent, 'f', percent < 1 ? 1 : 0));
        }
    }
    return text;
}

void Goals::likeForLike(const QString& reference, double figure)
{
    bool met = false;
    const QString verdict = verdictText(figure, met);
    record("", QStringLiteral("  like for like, against %1: %2%3").arg(reference, verdict, met ? ", met" : ""));
}

void Goals::notJudged(const QString& goal, double figure, const QString& unit, const QString& why)
{
    record("not judged", QStringLiteral("%1: %2 (%3)").arg(goal, withUnit(figure, unit), why));
}

void Goals::failed(const QString& goal, const QString& why)
{
    ++m_missed;
    record("MISSED", QStringLiteral("%1: not measured, %2").arg(goal, why));
}

void Goals::record(const QString& verdict, const QString& text)
{
    const QString label = (verdict.isEmpty() ? QString() : verdict + ":").leftJustified(12);
    std::printf("GOAL %s %s\n", qPrintable(label), qPrintable(text));
    std::fflush(stdout);
    const QString path = qEnvironmentVariable("VA_BENCH_VERDICTS");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(QStringLiteral("%1 %2 %3\n").arg(label, m_benchmark.leftJustified(17), text).toUtf8());
}

} // namespace bench
