#include "podcast/AudioFileInfo.h"

#include "platform/audio/AudioEngine.h"
#include "platform/codecs/Plivorn.h"
#include "podcast/Log.h"
#include "podcast/XvqRules.h"

#include <QFileInfo>

#include <memory>
#include <optional>

namespace podcast {

namespace {

// The length in milliseconds, or nothing when the file cannot be read as audio of its kind.
std::optional<qint64> lengthOf(const QString& path, AudioFileKind kind)
{
    using platform::codecs::Plivorn;
    switch (kind) {
    case AudioFileKind::Wav: {
        platform::audio::AudioFileInfo info;
        if (const uint16_t code = platform::audio::readAudioFileInfo(path, info)) {
            qCWarning(lcPodcast) << "audio file" << path << "is no WAV the player reads, code" << code;
            return std::nullopt;
        }
        return qint64(info.lengthMs);
    }
    case AudioFileKind::Mp3: {
        // Counted from the frames: the length a header states is missing or wrong in many files.
        const uint32_t length = Plivorn::GetMP3FileDuration(path);
        if (length == 0) {
            qCWarning(lcPodcast) << "audio file" << path << "is no MPEG audio file with sound in it";
            return std::nullopt;
        }
        return qint64(length);
    }
    case AudioFileKind::Wma: {
        const auto info = std::make_unique<platform::codecs::WmaFileInfo>();
        if (const int code = Plivorn::GetFileInfo(path, info.get())) {
            qCWarning(lcPodcast) << "audio file" << path << "cannot be read as WMA, code" << code;
            return std::nullopt;
        }
        return qint64(info->durationMs);
    }
    case AudioFileKind::None:
        break;
    }
    return std::nullopt;
}

} // namespace

bool GetAudioFileInformation(const QString& path, PodcastRecord& record)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        qCWarning(lcPodcast) << "audio file" << path << "does not exist";
        return false;
    }
    const std::optional<AudioFileKind> kind = audioKindOfPath(path);
    if (!kind) {
        qCWarning(lcPodcast) << "audio file" << path << "is neither WAV, MP3 nor WMA";
        return false;
    }
    const std::optional<qint64> length = lengthOf(path, *kind);
    if (!length)
        return false;
    record.AudioKind = *kind;
    record.FileSize = file.size();
    SetDuration(record, *length);
    return true;
}

} // namespace podcast
