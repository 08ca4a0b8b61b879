#include "editor/ErrCodes.h"

#include "common/ErrCodes.h"
#include "common/WaveRead.h"
#include "platform/files/Riff.h"

namespace editor {

int PlayerErrorToMessageId(int code)
{
    return code == 107 ? 105 : ::PlayerErrorToMessageId(code);
}

int WaveReadErrorToMessageId(int code)
{
    // The player library's codes for the same faults of a file.
    constexpr int kNoName = 100;
    constexpr int kCannotOpen = 102;
    constexpr int kNoWaveFormat = 108;
    constexpr int kNotPcm = 109;
    constexpr int kOutOfMemory = 115;
    constexpr int kTooLarge = 360;
    switch (code) {
    case 0: return 0;
    case WaveReadCode::NoFileName: return PlayerErrorToMessageId(kNoName);
    case WaveReadCode::CannotRead:
    case platform::RiffCode::CannotOpen:
    case platform::RiffCode::CannotRead:
    case platform::RiffCode::CannotSeek: return PlayerErrorToMessageId(kCannotOpen);
    case platform::RiffCode::ChunkNotFound:
    case platform::RiffCode::Corrupt: return PlayerErrorToMessageId(kNoWaveFormat);
    case WaveReadCode::NotPcm: return PlayerErrorToMessageId(kNotPcm);
    case platform::RiffCode::OutOfMemory: return PlayerErrorToMessageId(kOutOfMemory);
    case platform::RiffCode::TooLarge: return PlayerErrorToMessageId(kTooLarge);
    default: return 100;
    }
}

int VXFmtHlpErrorToMessage(int code)
{
    // A target past the 4 GiB limit is no lack of disk space; say what it is.
    if (code == 128)
        return kWaveTooLargeMessageId;
    // Two runs of consecutive codes whose ids also run on.
    if (code >= 127 && code <= 132)
        return code + 335;
    if (code >= 139 && code <= 141)
        return code + 335;
    switch (code) {
    case 0: return 0;
    case 101: return 129;
    case 102: return 450;
    case 103: return 451;
    case 115: return 452;
    case 116: return 453;
    case 117: return 454;
    case 118: return 455;
    case 119:
    case 121:
    case 133:
    case 135: return 104;
    case 120: return 456;
    case 122: return 457;
    case 123: return 458;
    case 124: return 459;
    case 125: return 460;
    case 126: return 461;
    case 134: return 469;
    case 136: return 471;
    case 137: return 472;
    case 138: return 473;
    default: return 449;
    }
}

} // namespace editor
