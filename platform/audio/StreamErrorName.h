#pragma once
// A backend's stream error as the log shows it.

#include "platform/audio/AudioBackend.h"

namespace platform::audio {

inline const char* streamErrorName(StreamError error)
{
    switch (error) {
    case StreamError::None: return "no error";
    case StreamError::NoDevice: return "no such device";
    case StreamError::FormatRefused: return "format refused";
    case StreamError::DeviceBusy: return "device busy";
    case StreamError::ServerUnavailable: return "no sound server";
    case StreamError::DeviceLost: return "device lost";
    case StreamError::Failed: return "stream failed";
    }
    return "unknown error";
}

} // namespace platform::audio
