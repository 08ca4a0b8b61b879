#include "recorder/TrackLoader.h"

#include "common/CopyJob.h"
#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/WaveUtil.h"
#include "common/WaveWrite.h"
#include "platform/codecs/Plivorn.h"
#include "platform/codecs/TagFile.h"
#include "platform/codecs/VXMP3WAV.h"
#include "platform/files/PendingFile.h"
#include "platform/files/Riff.h"
#include "platform/files/TempName.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "recorder/Log.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

using platform::codecs::DecodeStatus;

namespace recorder {

namespace {

// Failure table of the load step:
// | case                                  | shown                               | result        |
// |---------------------------------------|-------------------------------------|---------------|
// | file missing                          | 184 with the path                   | 184           |
// | extension not .wav, .mp3 or .wma      | 430                                 | 430           |
// | no working file (temp folder gone)    | 160                                 | 160           |
// | this system decodes no MP3            | question 229, Yes opens "wmp7"      | 229           |
// | MP3 not decodable or conversion fails | the MP3 map's message               | MP3 code      |
// | WMA conversion fails                  | the WMA import's message            | WMA code      |
// | WAV rewrite fails                     | its message                         | message id    |
// | file information unreadable           | the player map's message            | player code   |
// A conversion cancelled by the user shows nothing. Every failure deletes the working file.

const char kTempPrefix[] = "LOD";
const char kMp3Link[] = "wmp7";
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

QString mp3Caption() { return QStringLiteral("Importing To Wave File"); }
QString wmaCaption() { return QStringLiteral("Importing WMA File "); }

QString copyCaption(TrackSide side)
{
    return side == TrackSide::Voice ? QStringLiteral("Opening Voice Track file...")
                                    : QStringLiteral("Opening Music Track file...");
}

TrackSourceKind sourceKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return TrackSourceKind::Mp3;
    if (suffix == QLatin1String("wma"))
        return TrackSourceKind::Wma;
    if (suffix == QLatin1String("wav"))
        return TrackSourceKind::Wave;
    return TrackSourceKind::None;
}

// The messages of the WMA import's codes (see Plivorn.h).
int wmaImportErrorToMessageId(int code)
{
    using namespace platform::codecs::PlivornCode;
    switch (code) {
    case Ok: return 0;
    case CannotOpenInput: return 428;
    case NotAudio: return 349;
    case NoDecoder: return LoadCode::NotSupported;
    case CannotCreateOutput: return 431;
    case NoSpace: return 352;
    case TooLarge: return 900;
    case OutOfMemory: return 104;
    case Cancelled: return 242;
    default: return 337;
    }
}

// The WAV rewrite's message id for a status of the decoding core.
int waveCopyCode(DecodeStatus status)
{
    switch (status) {
    case DecodeStatus::Ok: return 0;
    case DecodeStatus::CannotOpen: return 149;
    case DecodeStatus::Corrupt: return 152;
    case DecodeStatus::OutOfMemory: return 104;
    case DecodeStatus::SameFile:
    case DecodeStatus::CannotCreate: return 150;
    case DecodeStatus::HeaderFailed:
    case DecodeStatus::WriteFailed:
    case DecodeStatus::NoSpace: return 153;
    case DecodeStatus::TooLarge: return 900;
    case DecodeStatus::Cancelled: return 129;
    default: return LoadCode::NotSupported;
    }
}

// Where the samples of a WAV lie that a working file can take byte for byte.
struct CopyableSamples {
    WaveFormatEx format;   // canonical PCM with the source's rate, depth and channels
    int64_t offset = 0;    // of the first sample byte in the source
    int64_t bytes = 0;     // whole frames only
};

// The samples of source when they are 8- or 16-bit PCM of one or two channels, plain or extensible
// with the PCM subformat; nothing when they need the decoder. A data chunk running past the end of
// the file (a recording cut short) gives the whole frames present, as the decoder does.
std::optional<CopyableSamples> copyableSamples(const QString& source)
{
    static constexpr std::array<uint8_t, 16> kPcmSubformat{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    constexpr int kExtensibleSize = 40;
    constexpr int kSubformatOffset = 24;
    using platform::RiffChunk;
    using platform::RiffFile;
    const auto file = RiffFile::open(source, RiffFile::Mode::Read);
    if (!file)
        return std::nullopt;
    RiffChunk riff;
    riff.formType = platform::fourCC("WAVE");
    RiffChunk fmt;
    fmt.id = platform::fourCC("fmt ");
    if (file->descend(riff, nullptr, RiffFile::Descend::FindRiff) != platform::RiffCode::Ok
        || file->descend(fmt, &riff, RiffFile::Descend::FindChunk) != platform::RiffCode::Ok
        || fmt.size < uint32_t(kWaveFormatMinSize))
        return std::nullopt;
    uint8_t bytes[kExtensibleSize] = {};
    const int64_t wanted = std::min<int64_t>(fmt.size, kExtensibleSize);
    if (file->read(bytes, wanted) != wanted)
        return std::nullopt;
    const WaveFormatEx read = parseWaveFormat(bytes, kWaveFormatSize);
    const bool pcm = read.formatTag == WAVE_FORMAT_PCM
                     || (read.formatTag == kWaveFormatExtensible && wanted == kExtensibleSize
                         && std::memcmp(bytes + kSubformatOffset, kPcmSubformat.data(), kPcmSubformat.size()) == 0);
    if (!pcm || (read.bitsPerSample != 8 && read.bitsPerSample != 16) || (read.channels != 1 && read.channels != 2)
        || read.blockAlign != read.channels * read.bitsPerSample / 8
        || read.samplesPerSec < platform::codecs::kMinTargetRate
        || read.samplesPerSec > platform::codecs::kMaxTargetRate)
        return std::nullopt;
    RiffChunk data;
    data.id = platform::fourCC("data");
    if (file->ascend(fmt) != platform::RiffCode::Ok
        || file->descend(data, &riff, RiffFile::Descend::FindChunk) != platform::RiffCode::Ok)
        return std::nullopt;
    CopyableSamples samples;
    samples.format = makePcmFormat(read.samplesPerSec, read.bitsPerSample, read.channels);
    samples.offset = data.dataOffset;
    samples.bytes = int64_t(data.size) - int64_t(data.size) % read.blockAlign;
    return samples;
}

// Writes the samples behind a new canonical header, block by block, under a temporary name that
// takes target's place once complete.
DecodeStatus copySamples(const QString& source, const CopyableSamples& samples, const QString& target,
                         std::atomic<int32_t>& percent, const std::atomic<int32_t>& cancelWord,
                         const platform::codecs::DecodeEnvironment& environment)
{
    constexpr int64_t kBlockBytes = 1 << 20;
    constexpr int64_t kHeaderBytes = 46;
    const auto cancelled = [&cancelWord] { return cancelWord.load(std::memory_order_relaxed) != 1; };
    if (platform::codecs::sameFile(source, target))
        return DecodeStatus::SameFile;
    const QString folder = QFileInfo(target).absolutePath();
    const int64_t free = environment.freeSpace ? environment.freeSpace(folder) : platform::codecs::freeSpaceOf(folder);
    if (free >= 0 && free < kHeaderBytes + samples.bytes) {
        qCWarning(lcRecorder) << "copying" << source << "needs" << kHeaderBytes + samples.bytes << "bytes in" << folder
                              << "but only" << free << "are free";
        return DecodeStatus::NoSpace;
    }
    const auto input = platform::RiffFile::open(source, platform::RiffFile::Mode::Read);
    if (!input || input->seek(samples.offset) != samples.offset)
        return DecodeStatus::CannotOpen;
    platform::PendingFile pending(target);
    if (!pending.isValid())
        return DecodeStatus::CannotCreate;
    auto writer = std::make_unique<WaveWriter>();
    const int header = startWaveFile(pending.path(), samples.format, *writer);
    if (header != 0)
        return header == 160 ? DecodeStatus::CannotCreate : DecodeStatus::HeaderFailed;
    std::vector<uint8_t> block(size_t(std::min(kBlockBytes, std::max<int64_t>(samples.bytes, 1))));
    for (int64_t done = 0; done < samples.bytes;) {
        if (cancelled())
            return DecodeStatus::Cancelled;
        const int64_t wanted = std::min<int64_t>(int64_t(block.size()), samples.bytes - done);
        // The file changed under us if it now ends before the data it held when it was opened.
        if (input->read(block.data(), wanted) != wanted)
            return DecodeStatus::Corrupt;
        WaveWriteError error = WaveWriteError::None;
        if (!WriteWaveData(writer, block.data(), wanted, &error))
            return error == WaveWriteError::TooLarge ? DecodeStatus::TooLarge : DecodeStatus::WriteFailed;
        done += wanted;
        // 100 is kept for the moment the file is in place.
        percent.store(int32_t(std::min<int64_t>(done * 100 / samples.bytes, 99)), std::memory_order_relaxed);
        if (environment.blockWritten)
            environment.blockWritten();
    }
    if (cancelled())
        return DecodeStatus::Cancelled;
    if (!CloseWaveFile(writer))
        return DecodeStatus::WriteFailed;
    // A working file: the user's own file stays as it was, so it need not wait for the disk.
    if (!pending.commit(platform::PendingFile::Durability::Scratch))
        return DecodeStatus::CommitFailed;
    percent.store(100, std::memory_order_relaxed);
    return DecodeStatus::Ok;
}

// Probes and decodes on the worker, so the GUI thread never opens the MP3 itself. *bitRate: the
// file's kbit/s once decoded.
int runMp3Conversion(TrackLoadServices& services, const QString& source, const QString& target, int* bitRate)
{
    TJobRecord job(JobKind::CancelOnly);
    platform::codecs::DecodeEnvironment environment = services.decodeEnvironment;
    platform::codecs::VXMP3WAV* decoder = nullptr;
    const auto userHook = environment.blockWritten;
    environment.blockWritten = [&job, &decoder, userHook] {
        job.progress.store(decoder->GetStatus(), std::memory_order_relaxed);
        if (userHook)
            userHook();
        // A cancel that came before the decoder ran is seen here, at the latest after one block.
        if (job.currentState() == JobState::CancelAsked)
            decoder->StopConversion();
    };
    platform::codecs::VXMP3WAV mp3(environment);
    decoder = &mp3;
    const int started = services.runner.runOnWorker(
        job, mp3Caption(), true,
        [&](TJobRecord& running) {
            // A file in which the decoder finds no frame is reported as a damaged input: the decoder
            // itself is there, so offering to download it would send the user the wrong way.
            int code = platform::codecs::Mp3ToWavCode::Aborted;
            if (running.currentState() != JobState::CancelAsked) {
                code = platform::codecs::VXMP3WAV::IsConversionPossible(source)
                           ? mp3.ConvertMP3FileIntoWave(source, target)
                           : platform::codecs::Mp3ToWavCode::CorruptInput;
            }
            if (code == 0)
                *bitRate = platform::codecs::VXMP3WAV::GetBitRateOfMp3File(source);
            running.exitReason.store(code, std::memory_order_relaxed);
            running.finish(code == 0                                          ? JobState::Done
                           : code == platform::codecs::Mp3ToWavCode::Aborted ? JobState::Cancelled
                                                                              : JobState::Failed);
        },
        [&mp3] { mp3.StopConversion(); });
    return started != 0 ? started : job.exitReason.load();
}

int runWmaConversion(TrackLoadServices& services, const QString& source, const QString& target)
{
    TJobRecord job(JobKind::CancelOnly);
    std::atomic<int32_t> cancel{0};
    platform::codecs::DecodeEnvironment environment = services.decodeEnvironment;
    const auto userHook = environment.blockWritten;
    environment.blockWritten = [&job, &cancel, userHook] {
        if (userHook)
            userHook();
        if (job.currentState() == JobState::CancelAsked)
            cancel.store(1);
    };
    const int started = services.runner.runOnWorker(
        job, wmaCaption(), true,
        [&](TJobRecord& running) {
            std::atomic<int32_t> state{platform::codecs::PlivornState::Running};
            const int code = running.currentState() == JobState::CancelAsked
                                 ? platform::codecs::PlivornCode::Cancelled
                                 : platform::codecs::Plivorn::ConvertWmaFileIntoWave(
                                       source, target, &cancel, &running.progress, &state, environment);
            running.exitReason.store(code, std::memory_order_relaxed);
            running.finish(code == 0                                       ? JobState::Done
                           : code == platform::codecs::PlivornCode::Cancelled ? JobState::Cancelled
                                                                               : JobState::Failed);
        },
        [&cancel] { cancel.store(1); });
    return started != 0 ? started : job.exitReason.load();
}

// Shows a failure of a conversion step unless it was a cancel.
void reportConversion(const platform::Messages& messages, int messageId)
{
    if (messageId != 0 && messageId != 242 && messageId != JobCode::Cancelled)
        messages.ShowErrorMessage(messageId);
}

int loadTrackFile(TrackSide side, const QString& path, TrackLoadServices& services, BusyFlag& busy,
                  TrackRecord& track, const LoadOptions& options)
{
    const platform::Messages& messages = services.messages;
    if (!QFileInfo(path).isFile()) {
        messages.ShowErrorMessage(LoadCode::FileMissing, {path});
        return LoadCode::FileMissing;
    }
    BusyGuard guard(busy);
    // The extension is checked before a working file exists, so an unsupported file leaves none.
    const TrackSourceKind kind = sourceKindOf(path);
    if (kind == TrackSourceKind::None) {
        messages.ShowErrorMessage(LoadCode::NotSupported);
        return LoadCode::NotSupported;
    }
    if (kind == TrackSourceKind::Mp3 && !platform::codecs::VXMP3WAV::IsMP3CodecFound()) {
        const QString text = messages.messageText(LoadCode::NoMp3Decoder);
        if (messages.ShowMessageBox(text, {}, platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES
            && services.openWebLink)
            services.openWebLink(QString::fromLatin1(kMp3Link));
        return LoadCode::NoMp3Decoder;
    }

    const QString working = GetTempWaveFileName(services.tempFolder ? services.tempFolder() : QString());
    if (working.isEmpty()) {
        messages.ShowErrorMessage(LoadCode::NoTempFile);
        return LoadCode::NoTempFile;
    }
    const auto fail = [&working](int code) {
        QFile::remove(working);
        return code;
    };

    TrackRecord loaded;
    loaded.savedPath = path;
    loaded.workingPath = working;
    loaded.state = options.state;
    loaded.source = kind;
    switch (kind) {
    case TrackSourceKind::Mp3: {
        if (services.stopPositionTimer)
            services.stopPositionTimer();
        const int code = runMp3Conversion(services, path, working, &loaded.mp3BitRate);
        if (code != 0) {
            if (options.reportConversionFailure)
                reportConversion(messages, code == JobCode::NoCopyThread || code == kJobBusyCode
                                               ? code
                                               : Mp3ToWavErrorToMessageId(code));
            return fail(code);
        }
        break;
    }
    case TrackSourceKind::Wma: {
        const int code = runWmaConversion(services, path, working);
        if (code != 0) {
            if (options.reportConversionFailure)
                reportConversion(messages, code == JobCode::NoCopyThread || code == kJobBusyCode
                                               ? code
                                               : wmaImportErrorToMessageId(code));
            return fail(code);
        }
        break;
    }
    case TrackSourceKind::Wave: {
        const platform::codecs::DecodeEnvironment environment = services.decodeEnvironment;
        const int code = CopyFileOnWorker(
            services.runner, path, working, options.copyCaption.isEmpty() ? copyCaption(side) : options.copyCaption,
            [environment](const QString& source, const QString& target, std::atomic<int32_t>& percent,
                          const std::atomic<int32_t>& cancelWord) {
                return CopyWaveCanonically(source, target, percent, cancelWord, environment);
            });
        if (code != 0) {
            reportConversion(messages, code);
            return fail(code);
        }
        break;
    }
    case TrackSourceKind::None: break;
    }

    if (const auto tagKind = platform::codecs::tagFileKind(path))
        platform::codecs::readTagFile(path, *tagKind, &loaded.songInfo);

    const int infoCode = services.fileInfo ? services.fileInfo(working, loaded.fileInfo) : 0;
    if (infoCode != 0) {
        ShowMappedError(messages, infoCode, PlayerErrorToMessageId);
        return fail(infoCode);
    }
    const platform::audio::AudioFileInfo& info = loaded.fileInfo;
    loaded.waveFormat = makePcmFormat(info.samplesPerSec, info.bitsPerSample, uint16_t(info.channels));
    track = loaded;
    return LoadCode::Ok;
}

} // namespace

TrackLoadServices::TrackLoadServices(JobRunner& runner_, const platform::Messages& messages_)
    : runner(runner_), messages(messages_)
{
}

QString GetTempWaveFileName(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    return platform::createTempFile(folder, QString::fromLatin1(kTempPrefix));
}

int LoadVoiceFile(const QString& path, TrackLoadServices& services, BusyFlag& busy, TrackRecord& track,
                  const LoadOptions& options)
{
    return loadTrackFile(TrackSide::Voice, path, services, busy, track, options);
}

int LoadMusicFile(const QString& path, TrackLoadServices& services, BusyFlag& busy, TrackRecord& track,
                  const LoadOptions& options)
{
    return loadTrackFile(TrackSide::Music, path, services, busy, track, options);
}

int CopyWaveCanonically(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                        const std::atomic<int32_t>& cancelWord, const platform::codecs::DecodeEnvironment& environment)
{
    WaveFormatEx format;
    const int read = ReadWaveFormat(source, nullptr, &format);
    if (read == 103)
        return 149;
    if (read != 0)
        return LoadCode::NotSupported;
    if (const std::optional<CopyableSamples> samples = copyableSamples(source)) {
        try {
            const DecodeStatus status = copySamples(source, *samples, target, percent, cancelWord, environment);
            if (status == DecodeStatus::Cancelled)
                qCInfo(lcRecorder) << "copying" << source << "was cancelled";
            else if (status != DecodeStatus::Ok)
                qCWarning(lcRecorder).nospace() << "copying " << source << " into " << target
                                                << " failed: " << platform::codecs::describe(status);
            return waveCopyCode(status);
        } catch (const std::bad_alloc&) {
            return waveCopyCode(DecodeStatus::OutOfMemory);
        }
    }
    const bool eightBitPcm = format.bitsPerSample == 8
                             && (format.formatTag == WAVE_FORMAT_PCM || format.formatTag == kWaveFormatExtensible);
    platform::codecs::DecodeRequest request;
    request.target.bitsPerSample = eightBitPcm ? 8 : 16;
    request.cancelled = [&cancelWord] { return cancelWord.load(std::memory_order_relaxed) != 1; };
    request.progress = [&percent](int done) { percent.store(done, std::memory_order_relaxed); };
    return waveCopyCode(platform::codecs::decodeToWave(source, target, request, environment).status);
}

bool EqualizeTrackLengths(const QString& voiceWav, const QString& musicWav, bool eightBit, QString* padded)
{
    uint32_t voiceFrames = 0;
    uint32_t musicFrames = 0;
    WaveFormatEx voiceFormat;
    WaveFormatEx musicFormat;
    if (ReadWaveFormat(voiceWav, &voiceFrames, &voiceFormat) != 0
        || ReadWaveFormat(musicWav, &musicFrames, &musicFormat) != 0)
        return false;
    const int64_t voiceBytes = int64_t(voiceFrames) * voiceFormat.blockAlign;
    const int64_t musicBytes = int64_t(musicFrames) * musicFormat.blockAlign;
    const bool padMusic = musicBytes < voiceBytes;
    const QString& shorter = padMusic ? musicWav : voiceWav;
    if (!AppendSilenceToWave(shorter, padMusic ? voiceBytes - musicBytes : musicBytes - voiceBytes, eightBit))
        return false;
    if (padded)
        *padded = shorter;
    return true;
}

} // namespace recorder
