#include "platform/codecs/Ostrefa.h"

#include "platform/base/Log.h"
#include "platform/codecs/WmaFormats.h"


namespace platform::codecs {

namespace {

class FfmpegWmaEncoder final : public WmaEncoderLibrary {
public:
    explicit FfmpegWmaEncoder(std::vector<WmaEncoderInfo> encoders)
        : m_encoders(std::move(encoders))
    {
    }

    int GetNumEncodersSupported(int* count) override
    {
        if (!count)
            return WmaCode::CannotLoad;
        *count = int(m_encoders.size());
        return WmaCode::Ok;
    }

    int GetEncoderDetail(int index, QString* name) override
    {
        if (!name || index < 0 || index >= int(m_encoders.size()))
            return WmaCode::CodecNotAvailable;
        *name = m_encoders[size_t(index)].name;
        return WmaCode::Ok;
    }

    int GetNumDestFormatsSupported(const QString& encoder, const WaveFormatEx& source, int* count) override
    {
        if (count)
            *count = 0;
        const WmaEncoderInfo* info = find(encoder);
        if (!count || !info)
            return WmaCode::CodecNotAvailable;
        *count = int(wmaFormatsFor(info->codec, source).size());
        return WmaCode::Ok;
    }

    int GetDestFormatDetail(const QString& encoder, const WaveFormatEx& source, int index, QString* text) override
    {
        const WmaEncoderInfo* info = find(encoder);
        if (!text || !info)
            return WmaCode::CodecNotAvailable;
        const std::vector<WmaFormat> formats = wmaFormatsFor(info->codec, source);
        if (formats.empty())
            return WmaCode::NoFormat;
        if (index < 0 || index >= int(formats.size()))
            return WmaCode::FormatNotSupported;
        *text = formats[size_t(index)].text();
        return WmaCode::Ok;
    }

    int ConvertFileToWMA(const QString& source, const QString& target, int formatIndex, const QString& encoder,
                         std::atomic<int32_t>* progress, std::atomic<int32_t>* state, std::atomic<int32_t>* cancel,
                         std::atomic<int32_t>* error) override
    {
        if (!progress || !state || !cancel || !error)
            return WmaCode::CannotLoad;
        progress->store(0);
        error->store(WmaCode::Ok);
        state->store(WmaState::Running);
        int code = WmaCode::CodecNotAvailable;
        if (const WmaEncoderInfo* info = find(encoder))
            code = encodeWaveToWma(source, target, info->codec, formatIndex, WmaJobWords{progress, cancel});
        if (code < 0) {
            state->store(WmaState::Cancelled);
            return WmaCode::Ok;
        }
        if (code != WmaCode::Ok) {
            qCWarning(lcPlatform).noquote() << "WMA export of" << source << "to" << target << "failed: code" << code;
            error->store(code);
            state->store(WmaState::Failed);
            return code;
        }
        progress->store(100);
        state->store(WmaState::Finished);
        return WmaCode::Ok;
    }

private:
    const WmaEncoderInfo* find(const QString& name) const
    {
        for (const WmaEncoderInfo& info : m_encoders)
            if (info.name.compare(name, Qt::CaseInsensitive) == 0)
                return &info;
        return nullptr;
    }

    std::vector<WmaEncoderInfo> m_encoders;
};

} // namespace

std::unique_ptr<WmaEncoderLibrary> loadWmaEncoderLibrary()
{
    std::vector<WmaEncoderInfo> encoders = availableWmaEncoders();
    if (encoders.empty()) {
        qCWarning(lcPlatform) << "this FFmpeg has no WMA encoder";
        return nullptr;
    }
    return std::make_unique<FfmpegWmaEncoder>(std::move(encoders));
}

} // namespace platform::codecs
