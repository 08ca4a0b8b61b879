#include "recorder/TakeRecording.h"

#include "recorder/Log.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/files/TempName.h"

#include <QFile>

namespace recorder {

QString takeFileName(const QString& folder)
{
    // The take's file is created here, empty and exclusively, so no other file of the folder can
    // have its name; the engine writes the take over it.
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QString temporary = platform::createTempFile(folder, QStringLiteral("LOD"));
        if (temporary.isEmpty())
            return {};
        const QString take = temporary.left(temporary.size() - 3) + QStringLiteral("wav");
        QFile file(take);
        const bool created = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        QFile::remove(temporary);
        if (created)
            return take;
        if (!QFile::exists(take)) {
            qCWarning(lcRecorder) << "cannot create the take file" << take << ":" << file.errorString();
            return {};
        }
    }
    qCWarning(lcRecorder) << "no free take file name in" << folder << "after" << kAttempts << "attempts";
    return {};
}

uint16_t VoiceAndMusicTake::start(const QString& voiceWav, const QString& musicWav, const WaveFormatEx& format,
                                  int outputDevice)
{
    // The record source is not used by the engine: every input is its own single source.
    if (const uint16_t code =
            m_engine.AudioStartRecord(voiceWav, format.samplesPerSec, format.bitsPerSample, format.channels, 0))
        return code;
    // Prepared while the voice records, the music take runs on the voice capture's clock.
    if (const uint16_t code = m_music.PrepareMusicTrack(musicWav, format, outputDevice)) {
        m_engine.AudioStopRecord();
        return code;
    }
    m_running = true;
    m_paused = false;
    return 0;
}

uint16_t VoiceAndMusicTake::pause()
{
    if (const uint16_t code = m_engine.PauseRecording())
        return code;
    m_music.PauseMusicRecording();
    m_paused = true;
    return 0;
}

uint16_t VoiceAndMusicTake::resume()
{
    if (const uint16_t code = m_engine.ResumeRecording())
        return code;
    m_music.ResumeMusicRecording();
    m_paused = false;
    return 0;
}

uint16_t VoiceAndMusicTake::stop(bool musicEnded)
{
    const uint16_t voice = m_engine.AudioStopRecord();
    const uint16_t music = m_music.StopMusicTrackRecording();
    m_running = false;
    m_paused = false;
    return voice || musicEnded ? voice : music;
}

int64_t VoiceAndMusicTake::position() const
{
    return m_running ? m_engine.AudioGetRecordPosition(1) : 0;
}

uint16_t OverdubTake::start(OverdubSide side, const QString& takeWav, const WaveFormatEx& format,
                            const QString& playWav, int64_t playStart, int outputDevice)
{
    m_placedAt = 0;
    // The playback starts first: the take is lined up with the frame of it heard when recording
    // begins.
    if (!playWav.isEmpty()) {
        if (const uint16_t code = m_engine.AudioPlayWave(playWav, playStart, 1, 0, 0, 0))
            return code;
    }
    uint16_t code = 0;
    if (side == OverdubSide::Voice) {
        code = playWav.isEmpty()
                   ? m_engine.AudioStartRecord(takeWav, format.samplesPerSec, format.bitsPerSample, format.channels, 0)
                   : m_engine.AudioStartOverdubRecord(takeWav, format.samplesPerSec, format.bitsPerSample,
                                                      format.channels, 0, 1, &m_placedAt);
    } else {
        code = playWav.isEmpty() ? m_music.PrepareMusicTrack(takeWav, format, outputDevice)
                                 : m_music.PrepareMusicTrackOverdub(takeWav, format, outputDevice, 1, &m_placedAt);
    }
    if (code) {
        if (!playWav.isEmpty())
            m_engine.AudioStop();
        return code;
    }
    m_side = side;
    m_running = true;
    return 0;
}

uint16_t OverdubTake::stop(bool takeEnded)
{
    const uint16_t code = m_side == OverdubSide::Voice ? m_engine.AudioStopRecord() : m_music.StopMusicTrackRecording();
    m_engine.AudioStop();
    m_running = false;
    return takeEnded ? 0 : code;
}

int64_t OverdubTake::position() const
{
    if (!m_running)
        return 0;
    return m_side == OverdubSide::Voice ? m_engine.AudioGetRecordPosition(1) : m_music.MusicGetRecordPosition(1);
}

int insertTake(JobRunner& runner, platform::audio::AudioEngine& engine, const platform::Messages& messages,
               const TakeInsert& insert, int64_t position)
{
    EditProcessCalls<platform::audio::AudioEngine> calls(engine);
    return runner.runLibraryProcess(
        JobKind::EditProcess, calls,
        [&](uint32_t* cell) {
            return int(engine.AudioPasteEx(insert.track, position, 1, cell, 0, insert.take, insert.result));
        },
        QStringLiteral("Inserting Recording"), false, messages, PlayerErrorToMessageId);
}

} // namespace recorder
