#pragma once
// The windows behind the MP3 and WMA roads of the format step, as the functions the step calls.
#include "recorder/TrackSave.h"
#include "recorder/WavToMP3Unit.h"

#include "common/ExportToWma.h"

class QWidget;

namespace platform {
class Messages;
class SettingsStore;
class UrlOpener;
} // namespace platform

namespace recorder {

// The WAV-to-MP3 dialog over parent, prepared for the files and run in its "Save" mode.
ExportMp3Fn makeMp3Exporter(QWidget* parent, const platform::Messages& messages, platform::SettingsStore& settings,
                            platform::UrlOpener& urls, Mp3EncoderCalls calls = {});

// The WMA export window over parent.
ExportWmaFn makeWmaExporter(QWidget* parent, const platform::Messages& messages, platform::SettingsStore& settings,
                            platform::UrlOpener& urls,
                            WmaLibraryLoader loader = platform::codecs::loadWmaEncoderLibrary);

struct RecordingWindowServices;

// Points the recording window's saves at the windows above and the song information dialog.
void useSaveWindows(RecordingWindowServices& services, platform::UrlOpener& urls);

} // namespace recorder
