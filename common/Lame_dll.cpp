#include "common/Lame_dll.h"

#include "common/Log.h"
#include "common/WaveRead.h"
#include "common/WaveUtil.h"
#include "platform/base/ProgramFolder.h"
#include "platform/codecs/LameEncoderLibrary.h"
#include "platform/files/PendingFile.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <mutex>
#include <new>
#include <vector>

using platform::codecs::LameEncoderLibrary;

namespace {

struct WaveValues {
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;
};

// The unit's state: the WAV last examined and the loaded library. The GUI thread probes while at
// most one worker encodes, so both sides take the lock.
std::mutex g_mutex;
WaveValues g_lastWave;
std::shared_ptr<LameEncoderLibrary> g_library;
QString g_libraryFolder;

std::shared_ptr<LameEncoderLibrary> loadLibrary()
{
    std::lock_guard lock(g_mutex);
    // Loaded once per folder: a library dropped into the folder later is found, one that is there
    // stays loaded.
    const QString folder = platform::programFolder();
    if (!g_library || folder != g_libraryFolder) {
        g_libraryFolder = folder;
        QString error;
        g_library = LameEncoderLibrary::load(folder, &error);
        if (!g_library)
            qCInfo(lcCommon).noquote() << error;
    }
    return g_library;
}

bool rateRulesAllow(uint32_t sampleRate, int bitRate)
{
    if (bitRate <= 20)
        return false;
    if (sampleRate >= 44100 && bitRate <= 24)
        return false;
    return !(sampleRate >= 8000 && sampleRate <= 22050 && bitRate > 160);
}

// Opens a stream for the values; the caller closes it.
uint32_t initStream(LameEncoderLibrary& library, const WaveValues& wave, int bitRate, uint32_t* samplesPerChunk,
                    uint32_t* bufferSize, LameEncStream* stream)
{
    const LameEncConfig config = platform::codecs::makeLameConfig(wave.sampleRate, wave.channels, uint32_t(bitRate));
    return library.initStream(&config, samplesPerChunk, bufferSize, stream);
}

bool accepts(const WaveValues& wave, int bitRate)
{
    if (wave.bitsPerSample != 8 && wave.bitsPerSample != 16)
        return false;
    const auto library = loadLibrary();
    if (!library || bitRate <= 0)
        return false;
    uint32_t samples = 0;
    uint32_t bufferSize = 0;
    LameEncStream stream = 0;
    if (initStream(*library, wave, bitRate, &samples, &bufferSize, &stream) != LAME_ENC_OK)
        return false;
    library->closeStream(stream);
    return true;
}

// One open stream, closed on every road out of the loop.
class StreamGuard {
public:
    StreamGuard(LameEncoderLibrary& library, LameEncStream stream)
        : m_library(library)
        , m_stream(stream)
    {
    }
    ~StreamGuard() { m_library.closeStream(m_stream); }
    StreamGuard(const StreamGuard&) = delete;
    StreamGuard& operator=(const StreamGuard&) = delete;

private:
    LameEncoderLibrary& m_library;
    LameEncStream m_stream;
};

} // namespace

bool IsLameEncoderPresent()
{
    return loadLibrary() != nullptr;
}

int IsLameBitrateSupported(const QString& wav, int bitRate, bool* supported)
{
    *supported = false;
    if (!loadLibrary())
        return LameProbe::Ok;
    if (!QFileInfo(wav).isFile())
        return LameProbe::NotOpened;
    WaveFormatEx format;
    // The format is read where the file has it, not at fixed offsets: WAVs with chunks before
    // "fmt " are common.
    const int code = ReadWaveFormat(wav, nullptr, &format);
    if (code == 103)
        return LameProbe::NotOpened;
    if (code != 0)
        return LameProbe::FileReadError;
    const WaveValues wave{format.samplesPerSec, format.channels, format.bitsPerSample};
    {
        std::lock_guard lock(g_mutex);
        g_lastWave = wave;
    }
    *supported
        = format.formatTag == WAVE_FORMAT_PCM && rateRulesAllow(wave.sampleRate, bitRate) && accepts(wave, bitRate);
    return LameProbe::Ok;
}

bool LameAcceptsBitrate(int bitRate)
{
    WaveValues wave;
    {
        std::lock_guard lock(g_mutex);
        wave = g_lastWave;
    }
    return accepts(wave, bitRate);
}

int EncodeWaveToMp3(const QString& wav, const QString& mp3, int bitRate, Mp3EncodeWords* words)
{
    if (words)
        words->percent.store(0, std::memory_order_relaxed);
    platform::PendingFile pending(mp3);
    if (!pending.isValid()) {
        qCWarning(lcCommon).noquote() << "cannot create" << mp3 << ":" << pending.errorText();
        return LameCode::CannotCreate;
    }
    if (!QFileInfo(wav).isFile())
        return LameCode::WaveMissing;
    TWaveReader reader;
    if (OpenWaveForRead(wav, reader, platform::RiffFile::Mode::Read, false) != WaveReadCode::Ok)
        return LameCode::NotPcm;
    const WaveFormatEx format = reader.format;
    const WaveValues wave{format.samplesPerSec, format.channels, format.bitsPerSample};
    // A WAV the loop cannot read as PCM is refused as such before its rate is looked at.
    if ((wave.bitsPerSample != 8 && wave.bitsPerSample != 16) || wave.channels < 1 || wave.channels > 2
        || format.blockAlign != wave.channels * wave.bitsPerSample / 8) {
        CloseWaveForRead(reader.handle);
        return LameCode::NotPcm;
    }
    if (wave.sampleRate >= 8000 && wave.sampleRate <= 22050 && bitRate > 160) {
        CloseWaveForRead(reader.handle);
        return LameCode::BitRateTooHigh;
    }
    const auto library = loadLibrary();
    if (!library) {
        CloseWaveForRead(reader.handle);
        return LameCode::NoLibrary;
    }
    uint32_t samplesPerChunk = 0;
    uint32_t bufferSize = 0;
    LameEncStream stream = 0;
    if (initStream(*library, wave, bitRate, &samplesPerChunk, &bufferSize, &stream) != LAME_ENC_OK) {
        CloseWaveForRead(reader.handle);
        return LameCode::Refused;
    }
    const StreamGuard guard(*library, stream);

    // The library's sample count counts every channel: a chunk is that many samples, as frames of
    // the WAV, so a stereo call never carries more than the library sized its buffers for.
    const uint32_t framesPerChunk = std::max<uint32_t>(1, samplesPerChunk / wave.channels);
    const int64_t chunkBytes = int64_t(framesPerChunk) * format.blockAlign;
    std::vector<uint8_t> input;
    std::vector<int16_t> samples;
    std::vector<uint8_t> output;
    try {
        input.resize(size_t(chunkBytes));
        samples.resize(size_t(framesPerChunk) * wave.channels);
        output.resize(bufferSize);
    } catch (const std::bad_alloc&) {
        CloseWaveForRead(reader.handle);
        return LameCode::NoMemory;
    }

    QFile out(pending.path());
    const auto finish = [&](int code) {
        CloseWaveForRead(reader.handle);
        if (out.isOpen())
            out.close();
        return code;
    };
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return finish(LameCode::CannotCreate);
    const auto writeOut = [&out, &output](uint32_t count) {
        return count == 0 || out.write(reinterpret_cast<const char*>(output.data()), count) == int64_t(count);
    };

    const int64_t dataSize = reader.dataSize;
    int64_t done = 0;
    int lastPercent = 0;
    while (done < dataSize) {
        const int64_t want = std::min<int64_t>(chunkBytes, dataSize - done);
        if (reader.handle->read(input.data(), want) != want)
            return finish(LameCode::ReadError);
        done += want;
        const uint32_t count = uint32_t(want / (wave.bitsPerSample / 8));
        if (wave.bitsPerSample == 8) {
            for (uint32_t i = 0; i < count; ++i)
                samples[i] = int16_t(int(input[i]) * 256 - 32768);
        } else {
            for (uint32_t i = 0; i < count; ++i)
                samples[i] = int16_t(uint16_t(input[2 * i]) | uint16_t(input[2 * i + 1]) << 8);
        }
        uint32_t written = 0;
        if (library->encodeChunk(stream, count, samples.data(), output.data(), &written) != LAME_ENC_OK
            || written > output.size() || !writeOut(written))
            return finish(LameCode::EncodeError);
        const int percent = int(done * 100 / dataSize);
        if (percent > lastPercent && words) {
            lastPercent = percent;
            words->percent.store(percent, std::memory_order_relaxed);
        }
        if (words && words->abort.load(std::memory_order_relaxed))
            return finish(LameCode::Aborted);
    }
    uint32_t written = 0;
    if (library->deinitStream(stream, output.data(), &written) != LAME_ENC_OK || written > output.size()
        || !writeOut(written))
        return finish(LameCode::EncodeError);
    CloseWaveForRead(reader.handle);
    out.close();
    if (out.error() != QFileDevice::NoError || !pending.commit()) {
        qCWarning(lcCommon).noquote() << "cannot write" << mp3 << ":" << pending.errorText();
        return LameCode::EncodeError;
    }
    return LameCode::Ok;
}
