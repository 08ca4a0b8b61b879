#pragma once
// What every benchmark needs: running an outside tool quietly, the inputs made once with sox and
// kept in the work folder of the build tree, timing, and one way to judge and print its goals.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// The folder where inputs are kept between runs, in the build tree.
QString workFolder();

// Runs program to its end with its output sent to output (its errors dropped); true when it exited
// with 0.
bool runQuietly(const QString& program, const QStringList& arguments,
                const QString& output = QProcess::nullDevice());

// A 44.1 kHz 16-bit stereo WAV of seconds made by sox's synth effect with these arguments, made
// once under name in the work folder and kept; empty when sox failed.
QString soxWave(const QString& name, double seconds, const QStringList& synth);

// The hour that most benchmarks read: a sweep on the left channel and pink noise on the right.
QString hourWave();

// Reads the files once, so that the runs after it read them from the page cache.
void warmPageCache(const QStringList& paths);

// Flushes the file to the disk; false when it cannot be opened or flushed.
bool flushFile(const QString& path);

// The CPUs this process may run on, as the caller left them (the benchmarks never change it).
int coresGiven();

// Seconds since start.
inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The seconds that work took, or -1 when it failed.
inline double timed(const std::function<bool()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    return work() ? secondsSince(start) : -1;
}

// The longest time the GUI thread was kept from its event loop while this lives: a timer at a
// short interval records the largest gap between its ticks. It needs the application object, and
// the thread must serve events (a modal window, an event loop) for the ticks to come.
class StallMeter {
public:
    StallMeter();
    // The largest gap so far, the time since the last tick included.
    double longestMs() const;
    // When the largest gap ended, in seconds since the meter started, to place it in the work.
    double longestEndedSeconds() const;

private:
    QTimer m_timer;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_last;
    double m_longestMs = 0;
    double m_longestEndedSeconds = 0;
};

// The median of some figures (the mean of the middle two for an even count); 0 for none.
double median(std::vector<double> figures);

// The goals of one benchmark. Each is judged where it is measured: met, or missed by how much. It
// is printed at once and also appended to the file that the environment variable
// VA_BENCH_VERDICTS names, from which bench/run.sh prints a summary of all benchmarks at the end.
// The benchmark's exit code is exitCode(): non-zero when a goal was missed or could not be
// measured.
class Goals {
public:
    explicit Goals(QString benchmark);

    // A figure that must not pass limit (unit is printed after both, such as "x" or "ms").
    void atMost(const QString& goal, double figure, double limit, const QString& unit);
    // A figure that must reach at least limit.
    void atLeast(const QString& goal, double figure, double limit, const QString& unit);
    // Printed under the last goal, judged against its limit but not counted: the same measure
    // against a reference that does the same work as ours where the goal's reference does other
    // work (an encoder's extra analysis, a copy left unflushed).
    void likeForLike(const QString& reference, double figure);
    // A figure whose goal does not apply to this run, with the reason.
    void notJudged(const QString& goal, double figure, const QString& unit, const QString& why);
    // A goal that could not be measured (a run failed): counted as missed.
    void failed(const QString& goal, const QString& why);

    int exitCode() const { return m_missed > 0 ? 1 : 0; }

private:
    enum class Sense { AtMost, AtLeast };
    void judge(const QString& goal, double figure, double limit, const QString& unit, Sense sense);
    // The figure against the last goal's limit, and whether it meets it.
    QString verdictText(double figure, bool& met) const;
    void record(const QString& verdict, const QString& text);

    QString m_benchmark;
    int m_missed = 0;
    // The last goal, for likeForLike().
    double m_limit = 0;
    QString m_unit;
    Sense m_sense = Sense::AtMost;
};

} // namespace bench
