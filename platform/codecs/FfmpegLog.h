#pragma once
// FFmpeg's own messages go to the log of platform/ (debug level; its errors as warnings) instead of
// straight to stderr, and FFmpeg's error codes get readable texts.

#include <QString>

namespace platform::codecs {

// Installs the log bridge once per process; cheap to call again.
void routeFfmpegLog();

// The text FFmpeg gives for one of its (negative) error codes.
QString ffmpegErrorText(int error);

} // namespace platform::codecs
