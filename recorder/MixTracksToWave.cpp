#include "recorder/MixTracksToWave.h"

#include "recorder/Log.h"

#include "common/WaveRead.h"
#include "common/WaveWrite.h"
#include "platform/audio/MixData.h"

#include <QFileInfo>

#include <algorithm>
#include <new>
#include <vector>

namespace recorder {

namespace {

bool mixable(const WaveFormatEx& format)
{
    return format.formatTag == WAVE_FORMAT_PCM && (format.bitsPerSample == 8 || format.bitsPerSample == 16)
        && (format.channels == 1 || format.channels == 2) && format.samplesPerSec > 0
        && format.blockAlign == format.channels * format.bitsPerSample / 8;
}

bool sameFormat(const WaveFormatEx& a, const WaveFormatEx& b)
{
    return a.channels == b.channels && a.samplesPerSec == b.samplesPerSec && a.bitsPerSample == b.bitsPerSample;
}

// Reads exactly count bytes; a short read is a damaged track.
bool readFully(platform::RiffFile& file, uint8_t* buffer, int64_t count)
{
    while (count > 0) {
        const int64_t n = file.read(buffer, count);
        if (n <= 0)
            return false;
        buffer += n;
        count -= n;
    }
    return true;
}

platform::audio::MixGains mixGains(const TrackGains& gains)
{
    const EngineGains engine = engineGains(gains, GainRoute::Mixed);
    return {engine.volume->firstLeft, engine.volume->firstRight, engine.volume->secondLeft,
            engine.volume->secondRight};
}

} // namespace

TrackGains MixFader::gainsAt(int64_t frame) const
{
    return trackGains(faderValueAt(automation ? &*automation : nullptr, fader, frame), voiceTrim, musicTrim);
}

int MixTracksToWave(const MixRequest& request, MixProgress& progress)
{
    if (!QFileInfo(request.voiceWav).isFile() || !QFileInfo(request.musicWav).isFile())
        return MixCode::TrackMissing;
    if (request.targetWav.isEmpty())
        return MixCode::NoTarget;

    TWaveReader voice, music;
    if (OpenWaveForRead(request.voiceWav, voice, platform::RiffFile::Mode::Read, false) != WaveReadCode::Ok
        || OpenWaveForRead(request.musicWav, music, platform::RiffFile::Mode::Read, false) != WaveReadCode::Ok
        || !mixable(voice.format) || !mixable(music.format)) {
        qCWarning(lcRecorder) << "cannot open" << request.voiceWav << "or" << request.musicWav << "for mixing";
        return MixCode::CannotOpen;
    }
    if (!sameFormat(voice.format, music.format)) {
        qCWarning(lcRecorder) << "the tracks" << request.voiceWav << "and" << request.musicWav
                              << "have different formats and are not mixed";
        return MixCode::CannotMix;
    }

    const WaveFormatEx& format = voice.format;
    const int64_t frameBytes = format.blockAlign;
    const int64_t total = std::min<int64_t>(voice.dataSize, music.dataSize) / frameBytes * frameBytes;
    progress.total.store(total, std::memory_order_relaxed);

    std::vector<uint8_t> first, second;
    try {
        first.resize(std::size_t(kMixBlockBytes));
        second.resize(std::size_t(kMixBlockBytes));
    } catch (const std::bad_alloc&) {
        return MixCode::NoMemory;
    }

    WaveWriterHandle target = CreateWaveFile(request.targetWav, format.samplesPerSec, format.bitsPerSample,
                                             format.channels);
    if (!target) {
        qCWarning(lcRecorder) << "cannot create the mix" << request.targetWav;
        return MixCode::CannotCreate;
    }

    int result = MixCode::Ok;
    int saturated = 0;
    for (int64_t done = 0; done < total;) {
        if (progress.stop.load(std::memory_order_relaxed)) {
            result = MixCode::Cancelled;
            break;
        }
        const int64_t count = std::min(kMixBlockBytes, total - done);
        if (!readFully(*voice.handle, first.data(), count) || !readFully(*music.handle, second.data(), count)) {
            qCWarning(lcRecorder) << "a track ended early while mixing" << request.voiceWav << request.musicWav;
            result = MixCode::ReadFailed;
            break;
        }
        platform::audio::mixData(first.data(), count, second.data(), count, format.channels, format.bitsPerSample,
                                 request.preventSaturation, &saturated, mixGains(request.fader.gainsAt(done / frameBytes)));
        if (!WriteWaveData(target, first.data(), count)) {
            qCWarning(lcRecorder) << "cannot write the mix" << request.targetWav;
            return MixCode::WriteFailed; // the writer has closed the file
        }
        done += count;
        progress.done.store(done, std::memory_order_relaxed);
        if (request.afterBlock)
            request.afterBlock(done);
    }
    progress.saturated.store(saturated != 0, std::memory_order_relaxed);
    if (!CloseWaveFile(target) && result == MixCode::Ok) {
        qCWarning(lcRecorder) << "cannot finish the mix" << request.targetWav;
        return MixCode::WriteFailed;
    }
    return result;
}

} // namespace recorder
