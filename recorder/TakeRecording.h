#pragma once
// A take of the recording window without widgets: the free-space rule that lets a take start and
// go on, the take's file names, the Voice & Music take (the voice from the input through the
// engine, the music take through the music-track library on the voice capture's clock, so both
// files end with the same number of frames), its pause, and the insert of a finished take into
// the tracks it was recorded over, through the engine's polled paste process.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>

class JobRunner;

namespace platform {
class Messages;
namespace audio {
class AudioEngine;
class MusicTrackLibrary;
}
}

namespace recorder {

// No take starts, and a running one stops, with this many free bytes or fewer in the temporary
// folder.
inline constexpr int64_t kLowSpaceBytes = 52'428'800;
// "The disk is too full to record."
inline constexpr int kDiskFullMessageId = 509;
// Free bytes in a folder, or -1 when the file system does not say (then recording goes on).
using FreeSpaceFunction = std::function<int64_t(const QString& folder)>;
inline bool roomToRecord(int64_t freeBytes)
{
    return freeBytes < 0 || freeBytes > kLowSpaceBytes;
}

// A new take file in the folder: a fresh temporary name with "wav" in place of its last three
// characters (the empty temporary file itself is removed), created empty so that the name stays
// the take's. Empty when no such file could be made.
QString takeFileName(const QString& folder);

// The voice and music take of the Voice & Music button. GUI thread only.
class VoiceAndMusicTake {
public:
    VoiceAndMusicTake(platform::audio::AudioEngine& engine, platform::audio::MusicTrackLibrary& music)
        : m_engine(engine)
        , m_music(music)
    {
    }

    // Records the input into voiceWav and the music take into musicWav, both in format; the music
    // take plays on outputDevice (-1 the default). 0, or the code of the call that failed, with
    // nothing left running.
    uint16_t start(const QString& voiceWav, const QString& musicWav, const WaveFormatEx& format, int outputDevice);
    // Pauses or resumes both files together.
    uint16_t pause();
    uint16_t resume();
    // Ends both files: 0, or the first failing code (both are stopped either way). After the music
    // take ended by itself (which the caller reports in its own words), the voice's code alone.
    uint16_t stop(bool musicEnded = false);

    bool running() const { return m_running; }
    bool paused() const { return m_paused; }
    // Frames recorded so far.
    int64_t position() const;

private:
    platform::audio::AudioEngine& m_engine;
    platform::audio::MusicTrackLibrary& m_music;
    bool m_running = false;
    bool m_paused = false;
};

// Which track the Voice or the Music button records while the other track plays.
enum class OverdubSide { Voice, Music };

// The take of the Voice button (the voice from the input, the music track playing from its start)
// or of the Music button (the music take on the output's clock, the voice track playing from the
// given frame). The engine calls that start the take and the playback are made in start() alone,
// so the alignment of what is recorded with what is heard is settled in that one place. GUI
// thread only.
class OverdubTake {
public:
    OverdubTake(platform::audio::AudioEngine& engine, platform::audio::MusicTrackLibrary& music)
        : m_engine(engine)
        , m_music(music)
    {
    }

    // Records side into takeWav in format while playWav (when not empty) plays from playStart to
    // its end; the music take plays on outputDevice (-1 the default). 0, or the code of the call
    // that failed, with nothing left running.
    uint16_t start(OverdubSide side, const QString& takeWav, const WaveFormatEx& format, const QString& playWav,
                   int64_t playStart, int outputDevice);
    // Ends the take and the playback: 0, or the take's failing code; none for a take that ended by
    // itself (the caller reports that in its own words).
    uint16_t stop(bool takeEnded = false);

    bool running() const { return m_running; }
    OverdubSide side() const { return m_side; }
    // Frames recorded so far.
    int64_t position() const;
    // The frame of the played track the take's first frame stands for: where it goes in its track.
    int64_t placedAt() const { return m_placedAt; }

private:
    platform::audio::AudioEngine& m_engine;
    platform::audio::MusicTrackLibrary& m_music;
    OverdubSide m_side = OverdubSide::Voice;
    int64_t m_placedAt = 0;
    bool m_running = false;
};

// Where an insert puts a take: the track's working WAV before the take, the take's file, and the
// file the paste writes.
struct TakeInsert {
    QString track;
    QString take;
    QString result;
};

// Pastes take into track at frame position into result through the engine's paste process, polled
// under the progress window captioned "Inserting Recording". 0, or the code it has shown (129 for a
// cancel, shown as nothing). The track's and the take's files are left as they are.
int insertTake(JobRunner& runner, platform::audio::AudioEngine& engine, const platform::Messages& messages,
               const TakeInsert& insert, int64_t position);

} // namespace recorder
