#pragma once
// The editor's decoders of compressed sources: the bit rate of an MP3 or WMA file read through the
// codec libraries, and the file decoded into the document's working WAV under the MP3 to WAV or
// the WMA import window, with their progress and Cancel. Like those windows, the decoder tells
// every failure itself; the open road reports only the missing MP3 decoder (229), which is asked
// as a question. A conversion that does not complete leaves no WAV behind.

#include "common/ImportJobs.h"
#include "editor/Workspace.h"
#include "platform/codecs/DecodeToWave.h"

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace platform {
class Messages;
class UrlOpener;
} // namespace platform

inline constexpr char kMp3ConversionCaption[] = "Vexal Audio Zuq Editor MP3 To Wave Conversion";
inline constexpr char kWmaImportCaption[] = "Importing WMA File";

// What the decoder asks of the program and the machine, replaceable so tests reach every road.
struct SourceImportServices {
    // The preferences' temporary folder, whose drive must hold the WMA's WAV.
    std::function<QString()> tempFolder;
    // Free bytes in a folder, -1 when unknown.
    std::function<int64_t(const QString& folder)> freeSpace = platform::codecs::freeSpaceOf;
    std::function<bool()> mp3DecoderAvailable;
    std::function<bool()> wmaDecoderAvailable;
    platform::codecs::DecodeEnvironment environment;
    ImportThreadStarter threadStarter = startImportThread;
};

class SourceImport : public SourceDecoder {
public:
    // The windows are shown over parent (the main window); messages carry the editor's texts.
    SourceImport(const platform::Messages& messages, platform::UrlOpener& urlOpener, SourceImportServices services,
                 QWidget* parent = nullptr);

    // MP3: the average bit rate; WMA: the rate of its header. 0 for a WAV and an unreadable file.
    int64_t bitsPerSecond(const QString& source, SourceKind kind) override;

    // kind is Mp3 or Wma. 0 converted; 129 cancelled (the window told the user); 229 no MP3 decoder on this system
    // (not told: the caller asks about it); else the failure, already told: a message id for an
    // MP3 (349 a file that is no MP3 or is damaged, 235 no worker), 489 for a WMA.
    int convert(const QString& source, SourceKind kind, const QString& target) override;

private:
    int convertMp3(const QString& source, const QString& target);
    int convertWma(const QString& source, const QString& target);

    const platform::Messages& m_messages;
    platform::UrlOpener& m_urlOpener;
    SourceImportServices m_services;
    QWidget* m_parent;
};
