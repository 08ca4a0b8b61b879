#include "platform/audio/EditJob.h"

#include "platform/files/FileIo.h"
#include "platform/base/Log.h"
#include "platform/audio/PlayerCodes.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <new>

namespace platform::audio {

namespace {

// Frames looked at per read while searching for the loud part of a range.
constexpr int64_t kScanFrames = 1 << 16;

bool loud16(const uint8_t* sample, int threshold)
{
    int16_t value;
    std::memcpy(&value, sample, 2);
    return int64_t(std::abs(int(value))) * 10000 > int64_t(threshold) * 32768;
}

bool loud8(const uint8_t* sample, int threshold)
{
    return int64_t(std::abs(int(*sample) - 128)) * 10000 > int64_t(threshold) * 128;
}

// Reads frames [first, first + count) of input into buffer.
bool readFrames(const EditInput& input, int64_t first, int64_t count, std::vector<uint8_t>& buffer)
{
    const int64_t bytes = input.bytes(count);
    buffer.resize(std::size_t(bytes));
    return platform::readAt(input.file.fd(), buffer.data(), bytes, input.dataOffset + input.bytes(first)) == bytes;
}

// The loud part [from, to) of frames [first, first + count) of input: from its first frame that is
// not silence to its last one; empty (from == to) when every frame is silence.
uint16_t findLoudPart(const EditInput& input, const EditPiece& piece, EditProgress& progress, int64_t& from,
                      int64_t& to)
{
    const WaveFormatEx& format = input.format;
    const int frameBytes = format.blockAlign;
    const int64_t end = piece.first + piece.frames;
    std::vector<uint8_t> buffer;
    from = end;
    for (int64_t at = piece.first; at < end && from == end; at += kScanFrames) {
        if (progress.cancelled())
            return platform::kProcessCancelled;
        const int64_t count = std::min(kScanFrames, end - at);
        if (!readFrames(input, at, count, buffer))
            return PlayerCode::CannotOpenFile;
        for (int64_t i = 0; i < count; ++i) {
            if (!isSilentFrame(buffer.data() + i * frameBytes, format.channels, format.bitsPerSample, piece.threshold)) {
                from = at + i;
                break;
            }
        }
    }
    to = from;
    for (int64_t stop = end; stop > from && to == from; stop -= kScanFrames) {
        if (progress.cancelled())
            return platform::kProcessCancelled;
        const int64_t at = std::max(from, stop - kScanFrames);
        if (!readFrames(input, at, stop - at, buffer))
            return PlayerCode::CannotOpenFile;
        for (int64_t i = stop - at - 1; i >= 0; --i) {
            if (!isSilentFrame(buffer.data() + i * frameBytes, format.channels, format.bitsPerSample, piece.threshold)) {
                to = at + i + 1;
                break;
            }
        }
    }
    return PlayerCode::Ok;
}

// The change a Mute piece makes to a run of frames.
EditOutput::Change muting(const WaveFormatEx& format, int channels)
{
    const int sampleBytes = format.bitsPerSample / 8;
    const int frameBytes = format.blockAlign;
    const uint8_t silence = format.bitsPerSample == 8 ? 128 : 0;
    // A mono file has one channel to mute whatever the choice.
    const bool left = format.channels == 1 || (channels & 1) != 0;
    const bool right = format.channels == 2 && (channels & 2) != 0;
    return [=](uint8_t* frames, int64_t count) {
        for (int64_t i = 0; i < count; ++i) {
            uint8_t* frame = frames + i * frameBytes;
            if (left)
                std::memset(frame, silence, std::size_t(sampleBytes));
            if (right)
                std::memset(frame + sampleBytes, silence, std::size_t(sampleBytes));
        }
    };
}

uint16_t writePiece(EditJob& job, const EditPiece& piece, EditOutput& output, EditProgress& progress)
{
    switch (piece.kind) {
    case EditPiece::Kind::Silence: return output.silence(piece.frames, progress);
    case EditPiece::Kind::Mute: {
        const EditInput& input = job.inputs[std::size_t(piece.input)];
        return output.transform(input, piece.first, piece.frames, muting(input.format, piece.channels), progress);
    }
    case EditPiece::Kind::TrimmedCopy: {
        const EditInput& input = job.inputs[std::size_t(piece.input)];
        int64_t from = 0;
        int64_t to = 0;
        if (const uint16_t code = findLoudPart(input, piece, progress, from, to))
            return code;
        return output.copy(input, from, to - from, progress);
    }
    case EditPiece::Kind::Copy: break;
    }
    return output.copy(job.inputs[std::size_t(piece.input)], piece.first, piece.frames, progress);
}

int run(EditJob& job, platform::PolledProcess::Control& control)
{
    const WaveFormatEx& format = job.inputs.front().format;
    int64_t total = 0;
    for (const EditTarget& target : job.outputs)
        total += plannedFrames(target) * format.blockAlign;
    EditProgress progress(control, total, job.environment);

    std::vector<EditOutput> outputs(job.outputs.size());
    for (std::size_t i = 0; i < job.outputs.size(); ++i) {
        const EditTarget& target = job.outputs[i];
        if (const uint16_t code = outputs[i].start(target.path, format, plannedFrames(target)))
            return code;
        for (const EditPiece& piece : target.pieces)
            if (const uint16_t code = writePiece(job, piece, outputs[i], progress))
                return code;
        if (const uint16_t code = outputs[i].finish())
            return code;
    }
    if (progress.cancelled())
        return platform::kProcessCancelled;
    for (EditOutput& output : outputs)
        if (const uint16_t code = output.commit())
            return code;
    return PlayerCode::Ok;
}

} // namespace

int64_t plannedFrames(const EditTarget& output)
{
    int64_t frames = 0;
    for (const EditPiece& piece : output.pieces)
        frames += piece.frames;
    return frames;
}

bool isSilentFrame(const uint8_t* frame, int channels, int bits, int threshold)
{
    const int sampleBytes = bits / 8;
    for (int c = 0; c < channels; ++c) {
        const uint8_t* sample = frame + c * sampleBytes;
        if (bits == 8 ? loud8(sample, threshold) : loud16(sample, threshold))
            return false;
    }
    return true;
}

int runEditJob(EditJob& job, platform::PolledProcess::Control& control)
{
    int reason = PlayerCode::OutOfMemory;
    try {
        reason = run(job, control);
    } catch (const std::bad_alloc&) {
        qCWarning(lcPlatform) << "an edit process ran out of memory";
    }
    if (reason == platform::kProcessCancelled)
        qCInfo(lcPlatform) << "an edit of" << job.inputs.front().path << "was cancelled";
    else if (reason != PlayerCode::Ok)
        qCWarning(lcPlatform) << "an edit of" << job.inputs.front().path << "failed with code" << reason;
    return reason;
}

} // namespace platform::audio
