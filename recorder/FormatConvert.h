#pragma once
// What the format conversion window does, without the window: converting the voice or music
// track's working WAV, or one given file, into a PCM format as a process of the format library
// that the window polls, and what becomes of the track afterwards.
//
// A track's working WAV is replaced only by a complete conversion whose format reads back as the
// one asked for; then the old working WAV and its peak file go. Anything else keeps the track on
// its old working WAV, removes the new file and reports the failure, so the two tracks are never
// left in different formats unannounced.

#include "common/PolledLibrary.h"
#include "common/Util.h"
#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace recorder {

// The window's jobs, by the kind text its callers pass.
enum class ConvertMode { PadFiles = 0, VoiceTrack = 1, MusicTrack = 2, OneFile = 3 };

// "Music Files", "Voice Track" or "Music Track", compared without case; nothing for any other
// text, so an unknown kind never re-runs the previous job.
std::optional<ConvertMode> convertModeOfKind(const QString& kind);

// The text the window shows while the mode's work runs.
QString convertModeMessage(ConvertMode mode);

// The spinner's next text: "\" "|" "/" "---" "|" ...
QString nextSpinnerText(const QString& text);

// The message for a failed conversion of a track: a target past 4 GiB and a full disk say so,
// anything else is "could not convert the format". 0 for success.
int formatConversionMessageId(int code);

// The result of a conversion whose output did not read back in the format asked for.
inline constexpr int kFormatMismatchCode = -1;

// The name of a working WAV's peak file: its name up to the last "." of the file name, then ".vxp".
QString peakFileOf(const QString& waveFile);

// The two tracks' working WAVs as the conversion sees them.
class ConvertTracks {
public:
    enum class Track { Voice, Music };

    virtual ~ConvertTracks() = default;
    // Empty when the track is not loaded.
    virtual QString workingPath(Track track) const = 0;
    virtual void setWorkingPath(Track track, const QString& path) = 0;
};

// The format library's conversion process, started and polled.
struct ConvertProcessServices {
    // Starts converting source into target in format; writes the handle into the cell; 0 or a code.
    std::function<int(const QString& source, const QString& target, const WaveFormatEx& format, uint32_t* cell)> start;
    PolledLibrary* library = nullptr;
    TempWaveNameProvider newTempWaveName;
};

// One conversion into a new temporary WAV: start, then poll until over. A failed or unfinished
// conversion removes its temporary WAV; the source is only read.
class FormatConversionJob {
public:
    explicit FormatConversionJob(ConvertProcessServices services);
    ~FormatConversionJob();
    FormatConversionJob(const FormatConversionJob&) = delete;
    FormatConversionJob& operator=(const FormatConversionJob&) = delete;

    // False when nothing could be started (code() says why, and the job is over).
    bool start(const QString& source, const WaveFormatEx& format);
    // Checks the process once; true when the job is over.
    bool poll();
    bool isOver() const { return m_over; }
    // 0, the library's code, 160 when no temporary WAV could be made, or kFormatMismatchCode.
    int code() const { return m_code; }
    // The converted file once over with code 0; empty otherwise.
    QString resultFile() const { return m_code == 0 && m_over ? m_target : QString(); }

private:
    void finish(int code);

    ConvertProcessServices m_services;
    WaveFormatEx m_format{};
    QString m_target;
    uint32_t m_cell = 0;
    int m_code = 0;
    bool m_over = false;
};

// Puts a finished job's WAV in place of the track's working WAV (and deletes the old one with its
// peak file) when the job succeeded; otherwise the track keeps its file. Returns the job's code.
int replaceTrackWorkingWave(ConvertTracks& tracks, ConvertTracks::Track track, const FormatConversionJob& job);

} // namespace recorder
