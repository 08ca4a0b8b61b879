#include "platform/audio/EditProcesses.h"

#include "platform/base/Log.h"
#include "platform/base/Rounding.h"
#include "platform/files/TempName.h"
#include "platform/audio/EditJob.h"
#include "platform/audio/PcmWave.h"
#include "platform/audio/PlayerCodes.h"

#include <QFile>
#include <QFileInfo>

#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace platform::audio {

namespace {

using Kind = EditPiece::Kind;

constexpr int kUnitMilliseconds = 0;
constexpr int kUnitFrames = 1;

// A position in frames, or -1 when it is negative, its unit unknown, or it cannot be converted.
int64_t toFrames(int64_t value, int unit, uint32_t rate)
{
    if (value < 0 || (unit != kUnitMilliseconds && unit != kUnitFrames))
        return -1;
    if (unit == kUnitFrames)
        return value;
    if (value > std::numeric_limits<int64_t>::max() / rate)
        return -1;
    return platform::divRoundHalfEven(value * int64_t(rate), 1000);
}

EditPiece copyOf(int input, int64_t first, int64_t frames)
{
    EditPiece piece;
    piece.input = input;
    piece.first = first;
    piece.frames = frames;
    return piece;
}

// The pieces that keep what lies outside [start, end) of input 0, around the given middle.
std::vector<EditPiece> around(int64_t start, int64_t end, int64_t frames, std::vector<EditPiece> middle = {})
{
    std::vector<EditPiece> pieces{copyOf(0, 0, start)};
    pieces.insert(pieces.end(), middle.begin(), middle.end());
    pieces.push_back(copyOf(0, end, frames - end));
    return pieces;
}

// Whether two names lead to the same file, through links too.
bool samePath(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}

} // namespace

struct EditProcesses::Range {
    int64_t start = 0;
    int64_t end = 0;
    int64_t frames = 0; // of the file
};

EditProcesses::EditProcesses(std::function<bool()> playing, std::function<QString()> tempFolder,
                             EditEnvironment environment)
    : m_playing(std::move(playing))
    , m_tempFolder(std::move(tempFolder))
    , m_environment(std::move(environment))
{
}

EditProcesses::~EditProcesses() = default;

EditProcesses::ClipboardFile::~ClipboardFile()
{
    if (!path.isEmpty())
        QFile::remove(path);
}

uint16_t EditProcesses::openRange(uint32_t* cell, const QString& file, int64_t start, int64_t end, int unit,
                                  uint16_t emptyCode, EditJob& job, Range& range)
{
    if (const uint16_t code = prepareStart(cell))
        return code;
    EditInput input;
    if (const uint16_t code = openEditInput(file, input))
        return code;
    const int64_t from = toFrames(std::min(start, end), unit, input.format.samplesPerSec);
    const int64_t to = toFrames(std::max(start, end), unit, input.format.samplesPerSec);
    if (from < 0 || to > input.frames)
        return PlayerCode::PositionBeyondSize;
    if (from == to && emptyCode != PlayerCode::Ok)
        return emptyCode;
    range = {from, to, input.frames};
    job.inputs.push_back(std::move(input));
    return PlayerCode::Ok;
}

uint16_t EditProcesses::clipboard(QString& path)
{
    if (m_clipboard.path.isEmpty()) {
        const QString folder = m_tempFolder();
        QString error;
        m_clipboard.path = folder.isEmpty() ? QString() : platform::createTempFile(folder, QStringLiteral("clip"), &error);
        if (m_clipboard.path.isEmpty()) {
            qCWarning(lcPlatform).noquote() << "no clipboard file for the edits:"
                                            << (folder.isEmpty() ? QStringLiteral("no temporary folder") : error);
            return PlayerCode::BadTempLocation;
        }
    }
    path = m_clipboard.path;
    return PlayerCode::Ok;
}

uint16_t EditProcesses::launch(EditJob& job, uint32_t* cell)
{
    for (const EditTarget& output : job.outputs) {
        if (output.path.isEmpty())
            return PlayerCode::DiskWriteError;
        const int64_t bytes = plannedFrames(output) * job.inputs.front().format.blockAlign;
        if (!fitsInWave(bytes)) {
            qCWarning(lcPlatform) << "an edit would write" << bytes << "bytes of samples into" << output.path
                                  << ", past the 4 GiB limit of a WAV";
            return PlayerCode::TooLarge;
        }
    }
    job.environment = m_environment;
    try {
        auto shared = std::make_shared<EditJob>(std::move(job));
        auto process = std::make_unique<platform::PolledProcess>(
            [shared](platform::PolledProcess::Control& control) { return runEditJob(*shared, control); });
        *cell = m_processes.add(std::move(process));
    } catch (const std::bad_alloc&) {
        return PlayerCode::OutOfMemory;
    }
    return PlayerCode::Ok;
}

uint16_t EditProcesses::prepareStart(uint32_t* cell) const
{
    if (!cell)
        return PlayerCode::InvalidHandle;
    *cell = 0;
    return m_playing() ? PlayerCode::PlaybackRunning : PlayerCode::Ok;
}

uint16_t EditProcesses::AudioPasteEx(const QString& target, int64_t position, int unit, uint32_t* cell, int,
                                     const QString& source, const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, target, position, position, unit, PlayerCode::Ok, job, range))
        return code;
    QString clip = source;
    if (clip.isEmpty()) {
        if (!AudioEditCanPaste())
            return PlayerCode::NothingToPaste;
        clip = m_clipboard.path;
    }
    EditInput pasted;
    const uint16_t code = openEditInput(clip, pasted);
    if (code == PlayerCode::CannotOpenFile)
        return PlayerCode::ClipFileMissing;
    if (code != PlayerCode::Ok)
        return code;
    if (!(pasted.format == job.inputs.front().format))
        return PlayerCode::ClipFormatDiffers;
    const EditPiece inserted = copyOf(1, 0, pasted.frames);
    job.inputs.push_back(std::move(pasted));
    const QString output = result.isEmpty() ? target : result;
    if (samePath(output, clip))
        return PlayerCode::FileInUse;
    job.outputs.push_back({output, around(range.start, range.start, range.frames, {inserted})});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioCut(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved,
                                 const QString& result)
{
    if (const uint16_t code = prepareStart(cell))
        return code;
    QString clip;
    if (const uint16_t code = clipboard(clip))
        return code;
    return AudioCutInFile(file, start, end, unit, cell, reserved, clip, result);
}

uint16_t EditProcesses::AudioCutInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                       const QString& target, const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::NoCutSelection, job, range))
        return code;
    const QString rest = result.isEmpty() ? file : result;
    if (samePath(target, file) || samePath(target, rest))
        return PlayerCode::FileInUse;
    job.outputs.push_back({target, {copyOf(0, range.start, range.end - range.start)}});
    job.outputs.push_back({rest, around(range.start, range.end, range.frames)});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioCopy(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int reserved)
{
    if (const uint16_t code = prepareStart(cell))
        return code;
    QString clip;
    if (const uint16_t code = clipboard(clip))
        return code;
    return AudioCopyInFile(file, start, end, unit, cell, reserved, clip);
}

uint16_t EditProcesses::AudioCopyInFile(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                        const QString& target)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::NoCopySelection, job, range))
        return code;
    if (samePath(target, file))
        return PlayerCode::FileInUse;
    job.outputs.push_back({target, {copyOf(0, range.start, range.end - range.start)}});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioClear(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                   const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::NoClearSelection, job, range))
        return code;
    job.outputs.push_back({result.isEmpty() ? file : result, around(range.start, range.end, range.frames)});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioCrop(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                  const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::NoCropSelection, job, range))
        return code;
    job.outputs.push_back({result.isEmpty() ? file : result, {copyOf(0, range.start, range.end - range.start)}});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioEditMute(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell, int,
                                      int channels, const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::Ok, job, range))
        return code;
    EditPiece muted = copyOf(0, range.start, range.end - range.start);
    muted.kind = Kind::Mute;
    muted.channels = channels == 1 || channels == 2 ? channels : 3;
    job.outputs.push_back({result.isEmpty() ? file : result, around(range.start, range.end, range.frames, {muted})});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioEditTrimSilence(const QString& file, int64_t start, int64_t end, int unit, uint32_t* cell,
                                             int, uint16_t threshold, const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, start, end, unit, PlayerCode::Ok, job, range))
        return code;
    EditPiece trimmed = copyOf(0, range.start, range.end - range.start);
    trimmed.kind = Kind::TrimmedCopy;
    trimmed.threshold = threshold;
    job.outputs.push_back({result.isEmpty() ? file : result, around(range.start, range.end, range.frames, {trimmed})});
    return launch(job, cell);
}

uint16_t EditProcesses::AudioInsertSilence(const QString& file, int64_t position, int unit, uint32_t* cell, int,
                                           int64_t durationMs, const QString& result)
{
    EditJob job;
    Range range;
    if (const uint16_t code = openRange(cell, file, position, position, unit, PlayerCode::Ok, job, range))
        return code;
    const uint32_t rate = job.inputs.front().format.samplesPerSec;
    if (durationMs < 0)
        return PlayerCode::PositionBeyondSize;
    if (durationMs > std::numeric_limits<int64_t>::max() / rate / job.inputs.front().format.blockAlign)
        return PlayerCode::TooLarge;
    EditPiece silence;
    silence.kind = Kind::Silence;
    silence.frames = platform::divRoundHalfEven(durationMs * int64_t(rate), 1000);
    job.outputs.push_back(
        {result.isEmpty() ? file : result, around(range.start, range.start, range.frames, {silence})});
    return launch(job, cell);
}

int EditProcesses::AudioEditProcessIsOver(uint32_t handle) const
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return !process || process->isOver() ? 1 : 0;
}

int EditProcesses::AudioEditGetProcessProgress(uint32_t handle) const
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return process ? process->progress() : 0;
}

int EditProcesses::AudioEditGetReasonForProcessExit(uint32_t handle) const
{
    const platform::PolledProcess* process = m_processes.find(handle);
    return process ? process->exitReason() : PlayerCode::InvalidHandle;
}

uint16_t EditProcesses::AudioEditCancelPressed(uint32_t handle)
{
    platform::PolledProcess* process = m_processes.find(handle);
    if (!process)
        return PlayerCode::InvalidHandle;
    process->cancel();
    return PlayerCode::Ok;
}

uint16_t EditProcesses::AudioEditCloseHandle(uint32_t* cell)
{
    if (!cell)
        return PlayerCode::InvalidHandle;
    const uint32_t handle = std::exchange(*cell, 0);
    if (handle == 0)
        return PlayerCode::Ok;
    return m_processes.remove(handle) ? PlayerCode::Ok : PlayerCode::InvalidHandle;
}

int EditProcesses::AudioEditCanPaste() const
{
    if (m_clipboard.path.isEmpty())
        return 0;
    PcmWave wave;
    return openPcmWave(m_clipboard.path, wave) == PlayerCode::Ok && wave.frames > 0 ? 1 : 0;
}

uint16_t EditProcesses::AudioEditSetUndoRedo(int)
{
    return PlayerCode::Ok;
}

} // namespace platform::audio
