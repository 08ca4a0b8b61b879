#pragma once
// Conversion of a WAV into another PCM format through the format library's process under the
// progress window, with the format asked of the user in the library's format dialog; and the
// change-format target: the format that dialog offers first, which is the one chosen last, kept in
// the editor's settings across runs.

#include "common/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <functional>

class JobRunner;

namespace platform {
class Messages;
class SettingsStore;
namespace codecs {
class VXFmtHlp;
}
} // namespace platform

inline constexpr char kChangeFormatKey[] = "\\Software\\Vexal Audio\\Zuq Editor\\Change Format";

// The format a target record stands for, as the dialog is given it: PCM, with block align =
// channels x (bits div 8) and the byte rate = rate x block align.
WaveFormatEx completedTarget(const WaveFormatEx& target);

// The stored target: rate, bits and channels, all 0 when one of them cannot be read; a store that
// cannot be read is told (183).
WaveFormatEx readChangeFormatTarget(platform::SettingsStore& store, const platform::Messages& messages);
// A failed write is told (185).
void writeChangeFormatTarget(platform::SettingsStore& store, const platform::Messages& messages,
                             const WaveFormatEx& target);

// The format library's dialog: shows the formats with the record in buffer (size in *sizeCell)
// as the one to start on when flags asks for it, and writes the chosen record back. Answers with
// the library's codes: 0 chosen, 101 cancelled, 102 the buffer is too small (*sizeCell then holds
// the size it needs).
using ConvertDialog =
    std::function<int(const QString& caption, uint8_t* buffer, uint32_t* sizeCell, uint32_t flags)>;

class FormatConversion {
public:
    // The target is read from the settings now.
    FormatConversion(JobRunner& runner, const platform::Messages& messages, platform::SettingsStore& settings,
                     platform::codecs::VXFmtHlp& library, ConvertDialog dialog);

    const WaveFormatEx& target() const { return m_target; }

    // Asks the user for a format, starting on the target. 0: chosen holds it and it is the new
    // target (also kept in the settings); else the message id of the failure, shown, or 129 (not
    // shown) when the user cancelled.
    int AskConversionFormat(WaveFormatEx& chosen, const QString& dialogCaption, uint32_t flags);

    // Converts source into output, in format or, when askUser, in the format the user chooses.
    // 0, or the code of a failure already shown (129 after a cancel).
    int RunFormatConversion(const QString& source, const QString& output, const WaveFormatEx& format, bool askUser,
                            const QString& dialogCaption, const QString& progressCaption);

private:
    JobRunner& m_runner;
    const platform::Messages& m_messages;
    platform::SettingsStore& m_settings;
    platform::codecs::VXFmtHlp& m_library;
    ConvertDialog m_dialog;
    WaveFormatEx m_target;
};
