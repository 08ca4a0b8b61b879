#pragma once
// The names under which the two programs find each other: the window classes that other processes
// look up, the instance names that keep each program to one running copy, and the messages that
// pass between the programs. Both programs build against these, so they cannot drift apart.

#include <QLatin1String>

#include <cstdint>

namespace platform {

inline constexpr QLatin1String kRecorderWelcomeWindowClass("com.drovane.Divuzuv");
inline constexpr QLatin1String kRecordingWindowClass("com.drovane.recorder");
inline constexpr QLatin1String kEditorMainWindowClass("TMainForm");

inline constexpr QLatin1String kRecorderInstanceName("Zuq_Recorder_IsAlive");
inline constexpr QLatin1String kEditorInstanceName("Drovane ZuqEditor is alive");

// Posted by the editor to the recording window: it has finished with a track (wParam 1 voice,
// 2 music), or a second editor could not hand its command line over (both tracks).
inline constexpr uint32_t kRecorderTrackDoneMessage = 0x4CD;
inline constexpr uint32_t kRecorderEditorBusyMessage = 0x4CE;
inline constexpr intptr_t kTrackDoneVoice = 1;
inline constexpr intptr_t kTrackDoneMusic = 2;

} // namespace platform
