// The encoder library over libmp3lame: configuration records checked field by field, streams kept
// in a table by handle so that a stale or made-up handle is an error and not a crash.
#include "platform/codecs/lame_enc/LameEnc.h"

#include <lame/lame.h>

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

static_assert(sizeof(LameEncConfig) == LAME_ENC_CONFIG_SIZE);
static_assert(offsetof(LameEncConfig, sampleRate) == 12);
static_assert(offsetof(LameEncConfig, mode) == 20);
static_assert(offsetof(LameEncConfig, bitRate) == 24);
static_assert(offsetof(LameEncConfig, preset) == 32);
static_assert(offsetof(LameEncConfig, mpegVersion) == 36);
static_assert(offsetof(LameEncConfig, privateFlag) == 48);
static_assert(offsetof(LameEncConfig, crcFlag) == 52);
static_assert(offsetof(LameEncConfig, vbrFlag) == 68);
static_assert(offsetof(LameEncConfig, vbrQuality) == 72);
static_assert(offsetof(LameEncConfig, reserved) == 76);

namespace {

// Frames one call is sized for; a call may carry twice as many. libmp3lame needs at most
// 1.25 x frames + 7,200 output bytes for one call, and 7,200 for the flush.
constexpr uint32_t kFramesPerChunk = 4608;
constexpr uint32_t kMaxFramesPerCall = 2 * kFramesPerChunk;
constexpr uint32_t kBufferSize = kMaxFramesPerCall * 5 / 4 + 7200;

constexpr uint32_t kMinInputRate = 8000;
constexpr uint32_t kMaxInputRate = 192000;

bool isMp3Rate(uint32_t rate)
{
    for (uint32_t r : {8000u, 11025u, 12000u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u})
        if (rate == r)
            return true;
    return false;
}

bool isMp3BitRate(uint32_t kbps)
{
    for (uint32_t r : {8u, 16u, 24u, 32u, 40u, 48u, 56u, 64u, 80u, 96u, 112u, 128u, 144u, 160u, 192u, 224u, 256u, 320u})
        if (kbps == r)
            return true;
    return false;
}

void silent(const char*, va_list) {}

struct Stream {
    ~Stream()
    {
        if (lame)
            lame_close(lame);
    }

    std::mutex mutex;
    lame_global_flags* lame = nullptr;
    int channels = 2;
    bool finished = false;
    // A stereo call that ends between the two samples of a frame leaves the left one here.
    bool hasPending = false;
    int16_t pending = 0;
    std::vector<int16_t> joined;
};

class StreamTable {
public:
    // 0 when there is no memory for the entry.
    LameEncStream add(std::shared_ptr<Stream> stream)
    {
        std::lock_guard lock(m_mutex);
        while (m_next == 0 || m_streams.count(m_next))
            ++m_next;
        try {
            m_streams.emplace(m_next, std::move(stream));
        } catch (const std::bad_alloc&) {
            return 0;
        }
        return m_next++;
    }

    std::shared_ptr<Stream> find(LameEncStream handle)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_streams.find(handle);
        return it == m_streams.end() ? nullptr : it->second;
    }

    bool remove(LameEncStream handle)
    {
        std::lock_guard lock(m_mutex);
        return m_streams.erase(handle) == 1;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<LameEncStream, std::shared_ptr<Stream>> m_streams;
    LameEncStream m_next = 1;
};

StreamTable& streams()
{
    static StreamTable table;
    return table;
}

bool allZero(const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

uint32_t checkRecord(const LameEncConfig& c)
{
    if (c.configKind != LAME_ENC_CONFIG_KIND || c.structVersion != LAME_ENC_CONFIG_VERSION
        || c.structSize != LAME_ENC_CONFIG_SIZE || !allZero(c.reserved, sizeof c.reserved))
        return LAME_ENC_BAD_RECORD;
    const bool modeOk = c.mode == LAME_ENC_MODE_STEREO || c.mode == LAME_ENC_MODE_JOINT_STEREO
                     || c.mode == LAME_ENC_MODE_MONO;
    const bool presetOk = c.preset >= LAME_ENC_PRESET_DEFAULT && c.preset <= LAME_ENC_PRESET_HIGH;
    const bool ratesOk = c.sampleRate >= kMinInputRate && c.sampleRate <= kMaxInputRate
                      && (c.resampleRate == 0 || isMp3Rate(c.resampleRate)) && isMp3BitRate(c.bitRate)
                      && (c.maxBitRate == 0 || isMp3BitRate(c.maxBitRate))
                      && !(c.vbrFlag && c.maxBitRate != 0 && c.maxBitRate < c.bitRate);
    const bool restOk = (c.mpegVersion == LAME_ENC_MPEG1 || c.mpegVersion == LAME_ENC_MPEG2) && c.psychoModel == 0
                     && (c.emphasis == 0 || c.emphasis == 1 || c.emphasis == 3) && c.vbrQuality >= 0
                     && c.vbrQuality <= 9;
    return modeOk && presetOk && ratesOk && restOk ? LAME_ENC_OK : LAME_ENC_UNSUPPORTED;
}

int qualityOf(int32_t preset)
{
    switch (preset) {
    case LAME_ENC_PRESET_NORMAL:
        return 5;
    case LAME_ENC_PRESET_LOW:
        return 7;
    case LAME_ENC_PRESET_HIGH:
        // The quality the lame command uses by default: quality 2 costs about 1.7 times the time
        // for no difference a spoken-word programme at podcast bit rates can show.
        return 3;
    default:
        return -1;
    }
}

// Sets up the encoder from a checked record; LAME_ENC_UNSUPPORTED when libmp3lame cannot give the
// stream the record asks for (it would otherwise quietly pick another bit rate or rate).
uint32_t configure(lame_global_flags* g, const LameEncConfig& c, int channels)
{
    lame_set_errorf(g, silent);
    lame_set_debugf(g, silent);
    lame_set_msgf(g, silent);
    lame_set_in_samplerate(g, int(c.sampleRate));
    lame_set_num_channels(g, channels);
    lame_set_mode(g, c.mode == LAME_ENC_MODE_MONO ? MONO : c.mode == LAME_ENC_MODE_JOINT_STEREO ? JOINT_STEREO : STEREO);
    const uint32_t outRate = c.resampleRate != 0 ? c.resampleRate : isMp3Rate(c.sampleRate) ? c.sampleRate : 0;
    lame_set_out_samplerate(g, int(outRate));
    if (const int quality = qualityOf(c.preset); quality >= 0)
        lame_set_quality(g, quality);
    lame_set_emphasis(g, int(c.emphasis));
    lame_set_extension(g, c.privateFlag != 0);
    lame_set_error_protection(g, c.crcFlag != 0);
    lame_set_copyright(g, c.copyrightFlag != 0);
    lame_set_original(g, c.originalFlag != 0);
    lame_set_bWriteVbrTag(g, 0);
    lame_set_write_id3tag_automatic(g, 0);
    if (c.vbrFlag) {
        lame_set_VBR(g, vbr_default);
        lame_set_VBR_q(g, c.vbrQuality);
        lame_set_VBR_min_bitrate_kbps(g, int(c.bitRate));
        if (c.maxBitRate != 0)
            lame_set_VBR_max_bitrate_kbps(g, int(c.maxBitRate));
    } else {
        lame_set_VBR(g, vbr_off);
        lame_set_brate(g, int(c.bitRate));
    }
    if (lame_init_params(g) < 0)
        return LAME_ENC_UNSUPPORTED;
    if (!c.vbrFlag && lame_get_brate(g) != int(c.bitRate))
        return LAME_ENC_UNSUPPORTED;
    if (outRate != 0 && lame_get_out_samplerate(g) != int(outRate))
        return LAME_ENC_UNSUPPORTED;
    return LAME_ENC_OK;
}

} // namespace

extern "C" {

uint32_t beInitStream(const LameEncConfig* config, uint32_t* samplesPerChunk, uint32_t* bufferSize,
                      LameEncStream* stream)
{
    if (!config || !samplesPerChunk || !bufferSize || !stream)
        return LAME_ENC_BAD_ARGUMENT;
    *stream = 0;
    *samplesPerChunk = 0;
    *bufferSize = 0;
    LameEncConfig c;
    std::memcpy(&c, config, sizeof c);
    if (const uint32_t result = checkRecord(c); result != LAME_ENC_OK)
        return result;

    std::shared_ptr<Stream> s;
    try {
        s = std::make_shared<Stream>();
        s->joined.reserve(2 * kMaxFramesPerCall + 2);
    } catch (const std::bad_alloc&) {
        return LAME_ENC_NO_MEMORY;
    }
    s->channels = c.mode == LAME_ENC_MODE_MONO ? 1 : 2;
    s->lame = lame_init();
    if (!s->lame)
        return LAME_ENC_NO_MEMORY;
    if (const uint32_t result = configure(s->lame, c, s->channels); result != LAME_ENC_OK)
        return result;

    const uint32_t channels = uint32_t(s->channels);
    const LameEncStream handle = streams().add(std::move(s));
    if (handle == 0)
        return LAME_ENC_NO_MEMORY;
    *samplesPerChunk = kFramesPerChunk * channels;
    *bufferSize = kBufferSize;
    *stream = handle;
    return LAME_ENC_OK;
}

uint32_t beEncodeChunk(LameEncStream stream, uint32_t sampleCount, const int16_t* samples, uint8_t* output,
                       uint32_t* bytesWritten)
{
    if (!output || !bytesWritten || (sampleCount != 0 && !samples))
        return LAME_ENC_BAD_ARGUMENT;
    *bytesWritten = 0;
    const std::shared_ptr<Stream> s = streams().find(stream);
    if (!s)
        return LAME_ENC_BAD_STREAM;
    std::lock_guard lock(s->mutex);
    if (s->finished)
        return LAME_ENC_FINISHED;
    if (sampleCount > kMaxFramesPerCall * uint32_t(s->channels))
        return LAME_ENC_BAD_ARGUMENT;

    const int16_t* data = samples;
    uint32_t count = sampleCount;
    if (s->channels == 2 && (s->hasPending || count % 2 != 0)) {
        s->joined.clear();
        if (s->hasPending)
            s->joined.push_back(s->pending);
        s->joined.insert(s->joined.end(), samples, samples + count);
        s->hasPending = s->joined.size() % 2 != 0;
        if (s->hasPending) {
            s->pending = s->joined.back();
            s->joined.pop_back();
        }
        data = s->joined.data();
        count = uint32_t(s->joined.size());
    }
    const int frames = int(count / uint32_t(s->channels));
    if (frames == 0)
        return LAME_ENC_OK;
    // libmp3lame reads the samples and never writes them, whatever its prototypes say.
    short* pcm = const_cast<short*>(reinterpret_cast<const short*>(data));
    const int produced = s->channels == 2 ? lame_encode_buffer_interleaved(s->lame, pcm, frames, output, int(kBufferSize))
                                          : lame_encode_buffer(s->lame, pcm, pcm, frames, output, int(kBufferSize));
    if (produced < 0)
        return LAME_ENC_ENCODER_FAILED;
    *bytesWritten = uint32_t(produced);
    return LAME_ENC_OK;
}

uint32_t beDeinitStream(LameEncStream stream, uint8_t* output, uint32_t* bytesWritten)
{
    if (!output || !bytesWritten)
        return LAME_ENC_BAD_ARGUMENT;
    *bytesWritten = 0;
    const std::shared_ptr<Stream> s = streams().find(stream);
    if (!s)
        return LAME_ENC_BAD_STREAM;
    std::lock_guard lock(s->mutex);
    if (s->finished)
        return LAME_ENC_FINISHED;
    s->finished = true;
    const int produced = lame_encode_flush(s->lame, output, int(kBufferSize));
    if (produced < 0)
        return LAME_ENC_ENCODER_FAILED;
    *bytesWritten = uint32_t(produced);
    return LAME_ENC_OK;
}

uint32_t beCloseStream(LameEncStream stream)
{
    return streams().remove(stream) ? LAME_ENC_OK : LAME_ENC_BAD_STREAM;
}

} // extern "C"
