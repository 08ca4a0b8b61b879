#pragma once
// What every benchmark needs: running an outside tool quietly, and the inputs made once with sox
// and kept in bench/work.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace bench {

// The folder where inputs are kept between runs.
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

} // namespace bench
