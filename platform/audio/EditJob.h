#pragma once
// One edit as the process runs it: the WAVs it reads, and for each WAV it writes the pieces that
// make it up, in order (ranges of an input as they are, muted, or with the silence at their ends
// trimmed off, and generated silence). The outputs are written one after the other and put in
// place, in order, only once all of them are complete; a failure or a cancel on the way leaves no
// output and every input as it was.

#include "platform/base/PolledProcess.h"
#include "platform/audio/EditFiles.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace platform::audio {

struct EditPiece {
    enum class Kind {
        Copy,        // frames [first, first + frames) of the input
        Mute,        // the same with the channels of `channels` set to silence
        TrimmedCopy, // the same without the frames of silence at its start and its end
        Silence,     // `frames` frames of silence
    };
    Kind kind = Kind::Copy;
    int input = 0;
    int64_t first = 0;
    int64_t frames = 0;
    int channels = 0;  // Mute: 1 the left, 2 the right, 3 both (a mono file's one channel for any)
    int threshold = 0; // TrimmedCopy: the loudest silence, in hundredths of a percent of full scale
};

struct EditTarget {
    QString path;
    std::vector<EditPiece> pieces;
};

struct EditJob {
    std::vector<EditInput> inputs; // all of one format
    std::vector<EditTarget> outputs;
    EditEnvironment environment;
};

// Frames of an output as planned (a trimmed piece counted whole, the most it can give).
int64_t plannedFrames(const EditTarget& output);

// Whether a frame is silence: every sample within threshold hundredths of a percent of full scale
// (16-bit: |s| x 10000 <= threshold x 32768; 8-bit: the same around 128, of 128).
bool isSilentFrame(const uint8_t* frame, int channels, int bits, int threshold);

// The body of the edit process: its exit reason, 0, platform::kProcessCancelled or a player code.
int runEditJob(EditJob& job, platform::PolledProcess::Control& control);

} // namespace platform::audio
