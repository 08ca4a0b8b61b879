#include "platform/audio/AudioEngine.h"

#include "platform/base/Log.h"
#include "platform/base/Rounding.h"
#include "platform/audio/MixData.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/codecs/PcmConversion.h"

#include <QFileInfo>

#include <cstring>

namespace platform::audio {

namespace {

constexpr int kUnitMilliseconds = 0;
constexpr int kUnitFrames = 1;

bool knownUnit(int unit)
{
    return unit == kUnitMilliseconds || unit == kUnitFrames;
}

int64_t toFrames(int64_t value, int unit, uint32_t rate)
{
    return unit == kUnitFrames ? value : divRoundHalfEven(value * int64_t(rate), 1000);
}

int64_t fromFrames(int64_t frames, int unit, uint32_t rate)
{
    if (unit == kUnitFrames)
        return frames;
    return unit == kUnitMilliseconds && rate > 0 ? frames * 1000 / rate : 0;
}

bool recordable(uint32_t rate, uint16_t bits, uint16_t channels)
{
    return rate >= 1000 && rate <= 384000 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

float usableGain(float gain)
{
    return gain > 0.0f ? gain : 0.0f; // NaN fails the test too
}

int indexOf(const std::vector<AudioDevice>& devices, const QString& name)
{
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].name == name)
            return int(i);
    }
    return -1;
}

uint16_t deviceField(const std::vector<AudioDevice>& devices, int index, QString* out, bool description,
                     uint16_t invalid)
{
    if (index < 0 || index >= int(devices.size()) || !out)
        return invalid;
    *out = description ? devices[std::size_t(index)].description : devices[std::size_t(index)].name;
    return PlayerCode::Ok;
}

uint16_t selectByIndex(const std::vector<AudioDevice>& devices, int index, QString& selected, uint16_t invalid)
{
    if (index == -1) {
        selected.clear();
        return PlayerCode::Ok;
    }
    if (index < 0 || index >= int(devices.size()))
        return invalid;
    selected = devices[std::size_t(index)].name;
    return PlayerCode::Ok;
}

uint16_t selectByName(const std::vector<AudioDevice>& devices, const QString& name, QString& selected,
                      uint16_t invalid)
{
    if (!name.isEmpty() && indexOf(devices, name) < 0)
        return invalid;
    selected = name;
    return PlayerCode::Ok;
}

// An entry's path; empty when its field holds no ending zero.
QString entryPath(const PlaybackSetEntry& entry)
{
    const auto* end = static_cast<const char*>(std::memchr(entry.path, 0, sizeof entry.path));
    return end ? QString::fromUtf8(entry.path, end - entry.path) : QString();
}

} // namespace

AudioEngine::AudioEngine(AudioBackend& backend)
    : m_backend(backend)
{
    m_poster.setFilter([this](const platform::PostedMessage& message) { return deliver(message); });
}

AudioEngine::~AudioEngine()
{
    stopPlayback();
    if (m_record)
        m_record->stop();
}

// Devices ------------------------------------------------------------------------------------------

int AudioEngine::GetNumberOfOutputDevices()
{
    return int(m_backend.outputDevices().size());
}

int AudioEngine::GetNumberOfInputDevices()
{
    return int(m_backend.inputDevices().size());
}

uint16_t AudioEngine::GetOutputDeviceDescription(int index, QString* description)
{
    return deviceField(m_backend.outputDevices(), index, description, true, PlayerCode::InvalidOutputIndex);
}

uint16_t AudioEngine::GetInputDeviceDescription(int index, QString* description)
{
    return deviceField(m_backend.inputDevices(), index, description, true, PlayerCode::InvalidInputIndex);
}

uint16_t AudioEngine::GetOutputDeviceName(int index, QString* name)
{
    return deviceField(m_backend.outputDevices(), index, name, false, PlayerCode::InvalidOutputIndex);
}

uint16_t AudioEngine::GetInputDeviceName(int index, QString* name)
{
    return deviceField(m_backend.inputDevices(), index, name, false, PlayerCode::InvalidInputIndex);
}

int AudioEngine::FindOutputDeviceIndex(const QString& name)
{
    return indexOf(m_backend.outputDevices(), name);
}

int AudioEngine::FindInputDeviceIndex(const QString& name)
{
    return indexOf(m_backend.inputDevices(), name);
}

uint16_t AudioEngine::GetPreferredOutputDeviceIndex(int* index)
{
    const int found = indexOf(m_backend.outputDevices(), m_backend.defaultOutputDevice());
    if (found < 0 || !index)
        return PlayerCode::NoPreferredOutput;
    *index = found;
    return PlayerCode::Ok;
}

uint16_t AudioEngine::GetPreferredInputDeviceIndex(int* index)
{
    const int found = indexOf(m_backend.inputDevices(), m_backend.defaultInputDevice());
    if (found < 0 || !index)
        return PlayerCode::NoPreferredInput;
    *index = found;
    return PlayerCode::Ok;
}

uint16_t AudioEngine::SelectOutputDevice(int index)
{
    return selectByIndex(m_backend.outputDevices(), index, m_outputDevice, PlayerCode::InvalidOutputIndex);
}

uint16_t AudioEngine::SelectInputDevice(int index)
{
    return selectByIndex(m_backend.inputDevices(), index, m_inputDevice, PlayerCode::InvalidInputIndex);
}

uint16_t AudioEngine::SelectOutputDeviceByName(const QString& name)
{
    return selectByName(m_backend.outputDevices(), name, m_outputDevice, PlayerCode::InvalidOutputIndex);
}

uint16_t AudioEngine::SelectInputDeviceByName(const QString& name)
{
    return selectByName(m_backend.inputDevices(), name, m_inputDevice, PlayerCode::InvalidInputIndex);
}

uint16_t AudioEngine::outputDeviceName(int index, QString* name)
{
    QString selected;
    const uint16_t code = selectByIndex(m_backend.outputDevices(), index, selected, PlayerCode::InvalidOutputIndex);
    if (code == PlayerCode::Ok)
        *name = selected;
    return code;
}

uint16_t AudioEngine::SetTempPath(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isWritable()) {
        qCWarning(lcPlatform) << "the temporary folder" << folder << "is not a writable folder";
        return PlayerCode::BadTempLocation;
    }
    m_tempPath = folder;
    return PlayerCode::Ok;
}

void AudioEngine::SetCallbackWindow(QObject* window)
{
    m_poster.setReceiver(window);
}

// Playback -----------------------------------------------------------------------------------------

uint16_t AudioEngine::startPlayback(PlaybackSetup setup, int unit)
{
    if (m_playback)
        return PlayerCode::AlreadyPlaying;
    if (setup.first.isEmpty() && !setup.set)
        return PlayerCode::NoFileName;
    if (!knownUnit(unit))
        return PlayerCode::NoDataToPlay;
    if (unit == kUnitMilliseconds) {
        uint32_t rate = setup.set ? setup.set->format().rate : 0;
        if (!setup.set) {
            PcmWave wave;
            if (const uint16_t code = openPcmWave(setup.first, wave))
                return code;
            rate = wave.format.samplesPerSec;
        }
        setup.start = toFrames(setup.start, unit, rate);
        setup.end = toFrames(setup.end, unit, rate);
    }
    setup.backend = &m_backend;
    setup.prefetcher = &m_prefetcher;
    setup.gains = &m_gains;
    setup.device = m_outputDevice;
    const intptr_t number = ++m_playbackNumber;
    setup.ended = [this, number](bool saturated) { m_poster.post(kMsgPlaybackEnded, saturated ? 1 : 0, number); };
    std::shared_ptr<const FileSet> set = setup.set;
    const uint16_t code = PlaybackSession::start(std::move(setup), m_playback);
    if (code == PlayerCode::Ok)
        m_set = std::move(set);
    return code;
}

bool AudioEngine::deliver(const platform::PostedMessage& message)
{
    if (message.message() == kMsgRecordingEnded)
        return takeRecording() && message.lParam() == m_recordNumber; // else stopped since
    return deliverPlaybackEnded(message);
}

bool AudioEngine::deliverPlaybackEnded(const platform::PostedMessage& message)
{
    if (message.message() != kMsgPlaybackEnded)
        return true;
    // Stopped since, or a playback before the current one: the window has moved on.
    if (!m_playback || message.lParam() != m_playbackNumber)
        return false;
    stopPlayback();
    return true;
}

void AudioEngine::stopPlayback()
{
    m_playback.reset();
    m_set.reset();
}

uint16_t AudioEngine::AudioPlayWave(const QString& file, int64_t start, int unit, int, int, int64_t end)
{
    PlaybackSetup setup;
    setup.first = file;
    setup.start = start;
    setup.end = end;
    return startPlayback(std::move(setup), unit);
}

uint16_t AudioEngine::AudioPlayMixWave(const QString& voice, const QString& music, int64_t start, int unit, int,
                                       int, int64_t end, int preventSaturation)
{
    if (voice.isEmpty() || music.isEmpty())
        return PlayerCode::NoFileName;
    PlaybackSetup setup;
    setup.first = voice;
    setup.second = music;
    setup.start = start;
    setup.end = end;
    setup.preventSaturation = preventSaturation != 0;
    return startPlayback(std::move(setup), unit);
}

uint16_t AudioEngine::AudioPause()
{
    if (!m_playback)
        return PlayerCode::NoDataToPlay;
    m_playback->pause();
    return PlayerCode::Ok;
}

uint16_t AudioEngine::AudioResume()
{
    return m_playback ? m_playback->resume() : PlayerCode::NoDataToPlay;
}

uint16_t AudioEngine::AudioStop()
{
    stopPlayback();
    return PlayerCode::Ok;
}

uint16_t AudioEngine::AudioMoveTo(int64_t position, int unit)
{
    if (!m_playback || !knownUnit(unit))
        return PlayerCode::NoDataToPlay;
    return m_playback->moveTo(toFrames(position, unit, m_playback->format().rate));
}

int64_t AudioEngine::AudioGetPosition(int unit)
{
    if (!m_playback)
        return 0;
    return fromFrames(m_playback->position(), unit, m_playback->format().rate);
}

uint16_t AudioEngine::AudioGetPlaybackLevel(int* left, int* right)
{
    int l = 0;
    int r = 0;
    if (m_playback)
        m_playback->levels(&l, &r);
    if (left)
        *left = l;
    if (right)
        *right = r;
    return PlayerCode::Ok;
}

// Previews -----------------------------------------------------------------------------------------

uint16_t AudioEngine::playSet(FileSet::Kind kind, const QStringList& files, int64_t start, int unit, int64_t end)
{
    if (m_playback)
        return PlayerCode::AlreadyPlaying;
    PlaybackSetup setup;
    if (const uint16_t code = FileSet::make(kind, files, setup.set))
        return code;
    setup.start = start;
    setup.end = end;
    return startPlayback(std::move(setup), unit);
}

uint16_t AudioEngine::playDecoded(const QString& file, int64_t start, int unit, int64_t end)
{
    return playSet(FileSet::Kind::Decoded, {file}, start, unit, end);
}

uint16_t AudioEngine::AudioPlayMP3(const QString& file, int64_t start, int unit, int, int, int64_t end)
{
    return playDecoded(file, start, unit, end);
}

uint16_t AudioEngine::AudioPlayWaveFilesSet(const PlaybackSetEntry* entries, int count, int64_t start, int unit, int,
                                            int, int64_t end)
{
    QStringList files;
    for (int i = 0; entries && i < count; ++i)
        files << entryPath(entries[i]);
    return playSet(FileSet::Kind::Wave, files, start, unit, end);
}

uint16_t AudioEngine::AudioPlayMP3FilesSet(const PlaybackSetEntry* entries, int count, int64_t start, int unit, int,
                                           int, int64_t end)
{
    QStringList files;
    for (int i = 0; entries && i < count; ++i)
        files << entryPath(entries[i]);
    return playSet(FileSet::Kind::Decoded, files, start, unit, end);
}

uint16_t AudioEngine::AudioGetPlaybackSetInfo(PlaybackSetInfo* info, int unit)
{
    if (!info)
        return PlayerCode::NoDataToPlay;
    *info = PlaybackSetInfo{};
    if (!m_set || !knownUnit(unit))
        return PlayerCode::NoDataToPlay;
    const int64_t frame = m_playback->position();
    const uint32_t rate = m_set->format().rate;
    info->file = m_set->fileAt(frame);
    info->files = m_set->count();
    info->position = fromFrames(frame, unit, rate);
    info->filePosition = fromFrames(frame - m_set->startOf(info->file), unit, rate);
    info->length = fromFrames(m_set->frames(), unit, rate);
    return PlayerCode::Ok;
}

uint16_t AudioEngine::AudioMoveIntoPlaybackSet(int64_t position, int unit)
{
    return m_set ? AudioMoveTo(position, unit) : PlayerCode::NoDataToPlay;
}

uint32_t AudioEngine::currentPlayback() const
{
    return m_playback ? uint32_t(m_playbackNumber) : 0;
}

// Recording ----------------------------------------------------------------------------------------

RecordSession* AudioEngine::takeRecording() const
{
    return m_record && m_record->writesTake() ? m_record.get() : nullptr;
}

uint16_t AudioEngine::startRecording(const QString& file, const StreamFormat& format, bool alignedStart)
{
    if (takeRecording())
        return PlayerCode::AlreadyRecording;
    if (file.isEmpty())
        return PlayerCode::NoRecordFileName;
    if (!recordable(format.rate, format.bits, format.channels))
        return PlayerCode::UnsupportedRecordFormat;
    if (m_record) {
        m_record->stop();
        m_record.reset();
    }
    const intptr_t number = ++m_recordNumber;
    return RecordSession::start(m_backend, m_inputDevice, format, file, m_record, alignedStart,
                                [this, number](uint16_t code) { m_poster.post(kMsgRecordingEnded, code, number); });
}

uint16_t AudioEngine::AudioStartRecord(const QString& file, uint32_t samplesPerSec, uint16_t bitsPerSample,
                                       uint16_t channels, int)
{
    return startRecording(file, {samplesPerSec, channels, bitsPerSample}, false);
}

uint16_t AudioEngine::AudioStartOverdubRecord(const QString& file, uint32_t samplesPerSec, uint16_t bitsPerSample,
                                              uint16_t channels, int, int unit, int64_t* playbackPosition)
{
    if (!m_playback || !knownUnit(unit))
        return PlayerCode::NoDataToPlay;
    if (const uint16_t code = startRecording(file, {samplesPerSec, channels, bitsPerSample}, true))
        return code;
    const int64_t heard = AudioGetPosition(unit);
    m_record->beginTakeNow();
    if (playbackPosition)
        *playbackPosition = heard;
    return PlayerCode::Ok;
}

int64_t AudioEngine::AudioGetRecordPosition(int unit)
{
    const RecordSession* recording = takeRecording();
    return recording ? fromFrames(recording->frames(), unit, recording->format().rate) : 0;
}

uint16_t AudioEngine::AudioGetRecordLevel(int* left, int* right)
{
    int l = 0;
    int r = 0;
    if (m_record)
        m_record->levels(&l, &r);
    if (left)
        *left = l;
    if (right)
        *right = r;
    return PlayerCode::Ok;
}

uint16_t AudioEngine::PauseRecording()
{
    if (RecordSession* recording = takeRecording())
        recording->setPaused(true);
    return PlayerCode::Ok;
}

uint16_t AudioEngine::ResumeRecording()
{
    if (RecordSession* recording = takeRecording())
        recording->setPaused(false);
    return PlayerCode::Ok;
}

uint16_t AudioEngine::AudioStopRecord()
{
    if (!takeRecording())
        return PlayerCode::Ok;
    const uint16_t code = m_record->stop();
    m_record.reset();
    return code;
}

uint16_t AudioEngine::AudioStartRecordLevelTest(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels)
{
    if (m_record)
        return PlayerCode::AlreadyRecording;
    if (!recordable(samplesPerSec, bitsPerSample, channels))
        return PlayerCode::UnsupportedRecordFormat;
    return RecordSession::start(m_backend, m_inputDevice, {samplesPerSec, channels, bitsPerSample}, QString(),
                                m_record);
}

uint16_t AudioEngine::AudioStopRecordLevelTest()
{
    if (m_record && !m_record->writesTake()) {
        m_record->stop();
        m_record.reset();
    }
    return PlayerCode::Ok;
}

// Files, mixing, gains -----------------------------------------------------------------------------

uint16_t readAudioFileInfo(const QString& file, AudioFileInfo& info)
{
    PcmWave wave;
    if (const uint16_t code = openPcmWave(file, wave))
        return code;
    const WaveFormatEx& format = wave.format;
    info.bitsPerSample = format.bitsPerSample;
    info.channels = int16_t(format.channels);
    info.samplesPerSec = format.samplesPerSec;
    info.frames = uint32_t(wave.frames);
    info.lengthMs = uint32_t(wave.frames * 1000 / format.samplesPerSec);
    info.dataBytes = uint32_t(wave.frames * format.blockAlign);
    info.avgBytesPerSec = format.avgBytesPerSec;
    info.blockAlign = format.blockAlign;
    info.formatTag = format.formatTag;
    return PlayerCode::Ok;
}

uint16_t AudioEngine::AudioGetFileInfo(AudioFileInfo* info, const QString& file, int, int)
{
    AudioFileInfo read;
    if (const uint16_t code = readAudioFileInfo(file, read))
        return code;
    if (!info)
        return PlayerCode::NoFileName;
    *info = read;
    return PlayerCode::Ok;
}

uint16_t AudioEngine::MixData(void* buffer1, int64_t count1, const void* buffer2, int64_t count2, int channels,
                              int bits, int preventSaturation, int* saturated)
{
    return mixData(buffer1, count1, buffer2, count2, channels, bits, preventSaturation != 0, saturated, m_gains.load());
}

uint16_t AudioEngine::SetVolume(float firstLeft, float firstRight, float secondLeft, float secondRight)
{
    m_gains.firstLeft.store(usableGain(firstLeft), std::memory_order_relaxed);
    m_gains.firstRight.store(usableGain(firstRight), std::memory_order_relaxed);
    m_gains.secondLeft.store(usableGain(secondLeft), std::memory_order_relaxed);
    m_gains.secondRight.store(usableGain(secondRight), std::memory_order_relaxed);
    return PlayerCode::Ok;
}

uint16_t AudioEngine::SetEffectState(int, int)
{
    return PlayerCode::Ok;
}

uint16_t AudioEngine::EffectChanged()
{
    return PlayerCode::Ok;
}

uint16_t AudioEngine::ACMAudioConvertFormatPCM(const QString& source, const QString& target,
                                               const WaveFormatEx& format)
{
    return uint16_t(platform::codecs::ACMAudioConvertFormatPCM(source, target, format));
}

// Edit processes ------------------------------------------------------------------------------------

uint16_t AudioEngine::AudioPasteEx(const QString& target, int64_t position, int unit, uint32_t* cell, int reserved,
                                   const QString& source, const QString& result)
{
    return m_edits.AudioPasteEx(target, position, unit, cell, reserved, source, result);
}

uint16_t AudioEngine::AudioCut(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                               const QString& result)
{
    return m_edits.AudioCut(file, start, end, unit, cell, reserved, result);
}

uint16_t AudioEngine::AudioCutInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                     int reserved, const QString& target, const QString& result)
{
    return m_edits.AudioCutInFile(file, start, end, unit, cell, reserved, target, result);
}

uint16_t AudioEngine::AudioCopy(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved)
{
    return m_edits.AudioCopy(file, start, end, unit, cell, reserved);
}

uint16_t AudioEngine::AudioCopyInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                      int reserved, const QString& target)
{
    return m_edits.AudioCopyInFile(file, start, end, unit, cell, reserved, target);
}

uint16_t AudioEngine::AudioClear(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                 int reserved, const QString& result)
{
    return m_edits.AudioClear(file, start, end, unit, cell, reserved, result);
}

uint16_t AudioEngine::AudioCrop(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                                const QString& result)
{
    return m_edits.AudioCrop(file, start, end, unit, cell, reserved, result);
}

uint16_t AudioEngine::AudioEditMute(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                    int reserved, int channels, const QString& result)
{
    return m_edits.AudioEditMute(file, start, end, unit, cell, reserved, channels, result);
}

uint16_t AudioEngine::AudioEditTrimSilence(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                           int reserved, uint16_t threshold, const QString& result)
{
    return m_edits.AudioEditTrimSilence(file, start, end, unit, cell, reserved, threshold, result);
}

uint16_t AudioEngine::AudioInsertSilence(const QString& file, int64_t position, int unit, uint32_t* cell, int reserved,
                                         int64_t durationMs, const QString& result)
{
    return m_edits.AudioInsertSilence(file, position, unit, cell, reserved, durationMs, result);
}

int AudioEngine::AudioEditProcessIsOver(uint32_t handle) const
{
    return m_edits.AudioEditProcessIsOver(handle);
}

int AudioEngine::AudioEditGetProcessProgress(uint32_t handle) const
{
    return m_edits.AudioEditGetProcessProgress(handle);
}

int AudioEngine::AudioEditGetReasonForProcessExit(uint32_t handle) const
{
    return m_edits.AudioEditGetReasonForProcessExit(handle);
}

uint16_t AudioEngine::AudioEditCancelPressed(uint32_t handle)
{
    return m_edits.AudioEditCancelPressed(handle);
}

uint16_t AudioEngine::AudioEditCloseHandle(uint32_t* cell)
{
    return m_edits.AudioEditCloseHandle(cell);
}

int AudioEngine::AudioEditCanPaste() const
{
    return m_edits.AudioEditCanPaste();
}

uint16_t AudioEngine::AudioEditSetUndoRedo(int enable)
{
    return m_edits.AudioEditSetUndoRedo(enable);
}

} // namespace platform::audio
