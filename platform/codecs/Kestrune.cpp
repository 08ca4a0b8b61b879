#include "platform/codecs/Kestrune.h"

#include "platform/base/Log.h"
#include "platform/base/ProgramFolder.h"
#include "platform/codecs/LameEncoderLibrary.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace platform::codecs {

class LameConversion {
public:
    ~LameConversion()
    {
        if (stream != 0)
            library->closeStream(stream);
    }

    std::shared_ptr<LameEncoderLibrary> library;
    LameEncStream stream = 0;
    uint32_t framesPerChunk = 0;
    uint32_t bufferSize = 0;
    uint16_t channels = 0;
    uint16_t blockAlign = 0;
    int bytesPerSample = 0;
    std::vector<uint8_t> carry; // the bytes of a part frame left by the last call
    std::vector<int16_t> samples;
};

void LameConversionDeleter::operator()(LameConversion* conversion) const
{
    delete conversion;
}

namespace {

std::mutex& libraryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<LameEncoderLibrary>& foundLibrary()
{
    static std::shared_ptr<LameEncoderLibrary> library;
    return library;
}

std::shared_ptr<LameEncoderLibrary> currentLibrary()
{
    std::lock_guard lock(libraryMutex());
    if (!foundLibrary())
        foundLibrary() = LameEncoderLibrary::load(programFolder());
    return foundLibrary();
}

// Bytes per sample of a PCM layout the wrapper reads, or 0.
int bytesPerSampleOf(const WaveFormatEx& format)
{
    if (format.formatTag != WAVE_FORMAT_PCM || format.channels < 1 || format.channels > 2 || format.samplesPerSec == 0
        || format.bitsPerSample < 1 || format.bitsPerSample > 32)
        return 0;
    const int bytes = (format.bitsPerSample + 7) / 8;
    return format.blockAlign == format.channels * bytes ? bytes : 0;
}

// Opens a stream of the library for the format; the encoder's own result on failure.
uint32_t openStream(LameEncoderLibrary& library, const WaveFormatEx& format, uint32_t bitRate, LameEncStream* stream,
                    uint32_t* samplesPerChunk, uint32_t* bufferSize)
{
    const LameEncConfig config = makeLameConfig(format.samplesPerSec, format.channels, bitRate);
    return library.initStream(&config, samplesPerChunk, bufferSize, stream);
}

int codeOfInitResult(uint32_t result)
{
    return result == LAME_ENC_OK ? KestruneCode::Ok
         : result == LAME_ENC_NO_MEMORY ? KestruneCode::NoMemory
                                        : KestruneCode::Refused;
}

// 16-bit signed samples from PCM bytes: 8-bit data (unsigned) becomes sample x 256 - 32768, wider
// data keeps its top 16 bits.
void widen(const uint8_t* in, size_t sampleCount, int bytesPerSample, int16_t* out)
{
    switch (bytesPerSample) {
    case 1:
        for (size_t i = 0; i < sampleCount; ++i)
            out[i] = int16_t(int(in[i]) * 256 - 32768);
        break;
    case 2:
        std::memcpy(out, in, sampleCount * 2);
        break;
    default:
        for (size_t i = 0; i < sampleCount; ++i) {
            const uint8_t* sample = in + i * size_t(bytesPerSample);
            out[i] = int16_t(uint16_t(sample[bytesPerSample - 2]) | uint16_t(sample[bytesPerSample - 1]) << 8);
        }
        break;
    }
}

} // namespace

int FindLAMEEncoder(const QString& folder)
{
    std::shared_ptr<LameEncoderLibrary> library = LameEncoderLibrary::load(folder);
    const int result = library ? KestruneCode::Ok : KestruneCode::NoEncoder;
    std::lock_guard lock(libraryMutex());
    foundLibrary() = std::move(library);
    return result;
}

int InitLAMEWaveMP3Conversion(const QString& currentDirectory, const WaveFormatEx& format, const LameSettings& settings,
                              LameConversionHandle& handle)
{
    Q_UNUSED(currentDirectory);
    handle.reset();
    const int bytesPerSample = bytesPerSampleOf(format);
    if (bytesPerSample == 0)
        return KestruneCode::NotPcm;
    std::shared_ptr<LameEncoderLibrary> library = currentLibrary();
    if (!library)
        return KestruneCode::NoEncoder;

    LameConversionHandle conversion(new (std::nothrow) LameConversion);
    if (!conversion)
        return KestruneCode::NoMemory;
    conversion->library = std::move(library);
    uint32_t samplesPerChunk = 0;
    const uint32_t result = openStream(*conversion->library, format, settings.bitRate, &conversion->stream,
                                       &samplesPerChunk, &conversion->bufferSize);
    if (result != LAME_ENC_OK) {
        qCDebug(lcPlatform) << "the MP3 encoder refuses" << settings.bitRate << "kbit/s at" << format.samplesPerSec
                            << "Hz," << format.channels << "channels: result" << result;
        return codeOfInitResult(result);
    }
    conversion->channels = format.channels;
    conversion->blockAlign = format.blockAlign;
    conversion->bytesPerSample = bytesPerSample;
    conversion->framesPerChunk = samplesPerChunk / format.channels;
    try {
        conversion->carry.reserve(format.blockAlign);
        conversion->samples.resize(size_t(2) * samplesPerChunk);
    } catch (const std::bad_alloc&) {
        return KestruneCode::NoMemory;
    }
    handle = std::move(conversion);
    return KestruneCode::Ok;
}

int GetSuggestedLengthOfBuffersForLame(const LameSettings& settings, const WaveFormatEx& format, uint32_t* outputSize,
                                       uint32_t* inputSize)
{
    if (!outputSize || !inputSize)
        return KestruneCode::Refused;
    *outputSize = 0;
    *inputSize = 0;
    if (bytesPerSampleOf(format) == 0)
        return KestruneCode::NotPcm;
    const std::shared_ptr<LameEncoderLibrary> library = currentLibrary();
    if (!library)
        return KestruneCode::NoEncoder;
    LameEncStream stream = 0;
    uint32_t samplesPerChunk = 0;
    uint32_t bufferSize = 0;
    const uint32_t result = openStream(*library, format, settings.bitRate, &stream, &samplesPerChunk, &bufferSize);
    if (result != LAME_ENC_OK)
        return codeOfInitResult(result);
    library->closeStream(stream);
    *outputSize = bufferSize;
    *inputSize = samplesPerChunk / format.channels * format.blockAlign;
    return KestruneCode::Ok;
}

int LAMEConvertWaveMP3(LameConversion* handle, const void* input, void* output, uint32_t inputBytes,
                       uint32_t* outputBytes)
{
    if (outputBytes)
        *outputBytes = 0;
    if (!handle || !output || !outputBytes || (inputBytes != 0 && !input))
        return KestruneCode::EncodeFailed;
    LameConversion& c = *handle;
    const uint64_t available = uint64_t(c.carry.size()) + inputBytes;
    const uint64_t frames = available / c.blockAlign;
    if (frames > 2 * uint64_t(c.framesPerChunk))
        return KestruneCode::EncodeFailed;

    const auto* bytes = static_cast<const uint8_t*>(input);
    size_t used = 0;
    size_t sampleCount = 0;
    if (!c.carry.empty() && frames > 0) {
        // Complete the part frame left by the last call.
        used = c.blockAlign - c.carry.size();
        c.carry.insert(c.carry.end(), bytes, bytes + used);
        widen(c.carry.data(), c.channels, c.bytesPerSample, c.samples.data());
        sampleCount = c.channels;
        c.carry.clear();
    }
    const size_t wholeFrames = (inputBytes - used) / c.blockAlign;
    widen(bytes + used, wholeFrames * c.channels, c.bytesPerSample, c.samples.data() + sampleCount);
    sampleCount += wholeFrames * c.channels;
    used += wholeFrames * c.blockAlign;
    c.carry.insert(c.carry.end(), bytes + used, bytes + inputBytes);

    uint32_t written = 0;
    const uint32_t result = c.library->encodeChunk(c.stream, uint32_t(sampleCount), c.samples.data(),
                                                   static_cast<uint8_t*>(output), &written);
    if (result != LAME_ENC_OK) {
        qCWarning(lcPlatform) << "the MP3 encoder failed: result" << result;
        return KestruneCode::EncodeFailed;
    }
    *outputBytes = written;
    return KestruneCode::Ok;
}

int LAMEFlushWaveMP3Conversion(LameConversion* handle, void* output, uint32_t* outputBytes)
{
    if (outputBytes)
        *outputBytes = 0;
    if (!handle || !output || !outputBytes)
        return KestruneCode::EncodeFailed;
    uint32_t written = 0;
    const uint32_t result = handle->library->deinitStream(handle->stream, static_cast<uint8_t*>(output), &written);
    if (result != LAME_ENC_OK) {
        qCWarning(lcPlatform) << "the MP3 encoder failed to finish: result" << result;
        return KestruneCode::EncodeFailed;
    }
    *outputBytes = written;
    return KestruneCode::Ok;
}

int UnInitLAMEWaveMP3Conversion(LameConversionHandle& handle)
{
    handle.reset();
    return KestruneCode::Ok;
}

int LAMEIsBitRateSupportedForThisFormat(uint32_t bitRate, const WaveFormatEx& format)
{
    LameConversionHandle conversion;
    return InitLAMEWaveMP3Conversion(QString(), format, LameSettings{bitRate, {}}, conversion);
}

} // namespace platform::codecs
