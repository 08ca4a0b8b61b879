#include "platform/codecs/DecodeToWave.h"

#include "common/WaveWrite.h"
#include "platform/base/Log.h"
#include "platform/files/PendingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <new>
#include <sys/stat.h>

namespace platform::codecs {

namespace {

// Samples a decoder may drop at the start and the end of a stream (an MP3 encoder's delay and
// padding come to about two frames of 1,152 samples), with room to spare.
constexpr int64_t kDecoderSlackFrames = 4 * 1152;

// The first bytes of the WAV we write, before the samples.
constexpr int64_t kWaveHeaderBytes = 46;

DecodeStatus statusOfHeaderCode(int code)
{
    // 160: the file itself could not be made; the others: its header.
    return code == 160 ? DecodeStatus::CannotCreate : DecodeStatus::HeaderFailed;
}

int64_t slackFrames(uint32_t samplesPerSec)
{
    return std::max<int64_t>(kDecoderSlackFrames, samplesPerSec / 10);
}

DecodeOutcome run(const QString& source, const QString& target, const DecodeRequest& request,
                  const DecodeEnvironment& environment)
{
    DecodeOutcome outcome;
    auto fail = [&](DecodeStatus status) {
        outcome.status = status;
        outcome.frames = 0;
        return outcome;
    };
    if (target.isEmpty())
        return fail(DecodeStatus::CannotCreate);
    if (sameFile(source, target))
        return fail(DecodeStatus::SameFile);

    AudioDecoder decoder;
    DecodeStatus status = decoder.open(source);
    if (status != DecodeStatus::Ok)
        return fail(status);
    status = decoder.setTarget(request.target);
    if (status != DecodeStatus::Ok)
        return fail(status);
    const AudioFileInfo& info = decoder.info();
    if (!request.codecs.isEmpty() && !request.codecs.contains(info.codec))
        return fail(DecodeStatus::NotAudio);
    if (info.cutShort)
        return fail(DecodeStatus::Corrupt);
    const WaveFormatEx& format = decoder.outputFormat();
    outcome.format = format;

    const QString folder = QFileInfo(target).absolutePath();
    if (info.durationUs > 0) {
        // A hostile header may state any duration: the estimate is made in floating point and capped.
        const double bytes = double(info.durationUs) / 1e6 * format.samplesPerSec * format.blockAlign;
        const int64_t needed = bytes > 1e18 ? int64_t(1e18) : kWaveHeaderBytes + int64_t(bytes);
        const int64_t free = environment.freeSpace ? environment.freeSpace(folder) : freeSpaceOf(folder);
        if (free >= 0 && free < needed) {
            qCWarning(lcPlatform) << "converting" << source << "needs about" << needed << "bytes in" << folder
                                  << "but only" << free << "are free";
            return fail(DecodeStatus::NoSpace);
        }
    }

    PendingFile pending(target);
    if (!pending.isValid())
        return fail(DecodeStatus::CannotCreate);
    auto writer = std::make_unique<WaveWriter>();
    const int header = startWaveFile(pending.path(), format, *writer);
    if (header != 0)
        return fail(statusOfHeaderCode(header));

    std::vector<uint8_t> block;
    int shown = 0;
    for (;;) {
        if (request.cancelled && request.cancelled())
            return fail(DecodeStatus::Cancelled);
        status = decoder.read(block);
        if (status != DecodeStatus::Ok)
            return fail(status);
        if (block.empty())
            break;
        WaveWriteError error = WaveWriteError::None;
        if (!WriteWaveData(writer, block.data(), int64_t(block.size()), &error))
            return fail(error == WaveWriteError::TooLarge ? DecodeStatus::TooLarge : DecodeStatus::WriteFailed);
        outcome.frames += int64_t(block.size()) / format.blockAlign;
        if (request.progress) {
            // 100 is kept for the moment the file is in place.
            shown = std::max(shown, std::min(decoder.inputPercent(), 99));
            request.progress(shown);
        }
        if (environment.blockWritten)
            environment.blockWritten();
    }

    if (decoder.decodedSourceFrames() == 0)
        return fail(DecodeStatus::Corrupt);
    if (info.declaredFrames >= 0
        && info.declaredFrames - decoder.decodedSourceFrames() > slackFrames(info.samplesPerSec)) {
        qCWarning(lcPlatform) << source << "declares" << info.declaredFrames << "frames but holds only"
                              << decoder.decodedSourceFrames();
        return fail(DecodeStatus::Corrupt);
    }
    if (request.cancelled && request.cancelled())
        return fail(DecodeStatus::Cancelled);
    if (!CloseWaveFile(writer))
        return fail(DecodeStatus::WriteFailed);
    if (!pending.commit())
        return fail(DecodeStatus::CommitFailed);
    if (request.progress)
        request.progress(100);
    return outcome;
}

} // namespace

int64_t freeSpaceOf(const QString& folder)
{
    const QStorageInfo storage(folder);
    return storage.isValid() && storage.isReady() ? storage.bytesAvailable() : -1;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first;
    struct stat second;
    if (::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

DecodeOutcome decodeToWave(const QString& source, const QString& target, const DecodeRequest& request,
                           const DecodeEnvironment& environment)
{
    DecodeOutcome outcome;
    try {
        outcome = run(source, target, request, environment);
    } catch (const std::bad_alloc&) {
        outcome = {};
        outcome.status = DecodeStatus::OutOfMemory;
    }
    if (outcome.status == DecodeStatus::Cancelled)
        qCInfo(lcPlatform) << "converting" << source << "was cancelled";
    else if (outcome.status != DecodeStatus::Ok)
        qCWarning(lcPlatform).nospace() << "converting " << source << " into " << target
                                        << " failed: " << describe(outcome.status);
    return outcome;
}

} // namespace platform::codecs
