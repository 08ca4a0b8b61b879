#include "platform/codecs/FfmpegLog.h"

#include "platform/base/Log.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdarg>
#include <mutex>

namespace platform::codecs {

namespace {

void forward(void* object, int level, const char* format, va_list arguments)
{
    if (level > av_log_get_level())
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(object, level, format, arguments, line, sizeof line, &prefix);
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty())
        return;
    if (level <= AV_LOG_ERROR)
        qCWarning(lcPlatform).noquote() << "FFmpeg:" << text;
    else
        qCDebug(lcPlatform).noquote() << "FFmpeg:" << text;
}

} // namespace

void routeFfmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_WARNING);
        av_log_set_callback(forward);
    });
}

QString ffmpegErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace platform::codecs
