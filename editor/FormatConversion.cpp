#include "editor/FormatConversion.h"

#include "editor/ErrCodes.h"

#include "common/ErrCodes.h"
#include "common/JobRunner.h"
#include "common/Log.h"
#include "common/PolledLibrary.h"
#include "platform/codecs/FormatChoice.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/Messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kCannotOpenRegistry = 183;
constexpr int kCannotOpenKey = 185;
// A dialog that keeps asking for a larger record after it was given the size it named is broken;
// it is not shown again and again.
constexpr int kDialogAttempts = 3;
// No format record is near this size.
constexpr uint32_t kLargestRecord = 4096;

const char* const kValueNames[] = {"Sampling Rate", "Sample Size", "Channels"};

// The target's bytes at the start of buffer, the rest zero.
void fillBuffer(std::vector<uint8_t>& buffer, const WaveFormatEx& target)
{
    std::fill(buffer.begin(), buffer.end(), 0);
    uint8_t bytes[kWaveFormatSize];
    serializeWaveFormat(target, bytes);
    std::memcpy(buffer.data(), bytes, std::min(buffer.size(), sizeof bytes));
}

} // namespace

WaveFormatEx completedTarget(const WaveFormatEx& target)
{
    WaveFormatEx format = target;
    format.formatTag = WAVE_FORMAT_PCM;
    format.blockAlign = uint16_t(format.channels * (format.bitsPerSample / 8));
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    return format;
}

WaveFormatEx readChangeFormatTarget(platform::SettingsStore& store, const platform::Messages& messages)
{
    int32_t values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto read = store.readInteger(QString::fromLatin1(kChangeFormatKey), QString::fromLatin1(kValueNames[i]));
        if (read.status == platform::SettingsReadStatus::Failed)
            messages.ShowErrorMessage(kCannotOpenRegistry);
        // A value out of range is as good as none.
        if (!read.ok() || read.value < 0 || (i > 0 && read.value > UINT16_MAX))
            return {};
        values[i] = read.value;
    }
    WaveFormatEx target;
    target.samplesPerSec = uint32_t(values[0]);
    target.bitsPerSample = uint16_t(values[1]);
    target.channels = uint16_t(values[2]);
    return target;
}

void writeChangeFormatTarget(platform::SettingsStore& store, const platform::Messages& messages,
                             const WaveFormatEx& target)
{
    const int32_t values[3] = {int32_t(target.samplesPerSec), target.bitsPerSample, target.channels};
    for (int i = 0; i < 3; ++i)
        if (!store.writeInteger(QString::fromLatin1(kChangeFormatKey), QString::fromLatin1(kValueNames[i]),
                                values[i])) {
            messages.ShowErrorMessage(kCannotOpenKey);
            return;
        }
}

FormatConversion::FormatConversion(JobRunner& runner, const platform::Messages& messages,
                                   platform::SettingsStore& settings, platform::codecs::VXFmtHlp& library,
                                   ConvertDialog dialog)
    : m_runner(runner)
    , m_messages(messages)
    , m_settings(settings)
    , m_library(library)
    , m_dialog(std::move(dialog))
    , m_target(readChangeFormatTarget(settings, messages))
{
}

int FormatConversion::AskConversionFormat(WaveFormatEx& chosen, const QString& dialogCaption, uint32_t flags)
{
    std::vector<uint8_t> buffer(kWaveFormatSize);
    uint32_t size = kWaveFormatSize;
    int answer = 0;
    for (int attempt = 1;; ++attempt) {
        fillBuffer(buffer, completedTarget(m_target));
        answer = m_dialog(dialogCaption, buffer.data(), &size, flags);
        if (answer != platform::codecs::FmtCode::BufferTooSmall || attempt == kDialogAttempts ||
            size <= buffer.size() || size > kLargestRecord)
            break;
        buffer.resize(size);
    }
    if (answer != 0) {
        const int id = editor::VXFmtHlpErrorToMessage(answer);
        if (id != kCancelledCode)
            m_messages.ShowErrorMessage(id);
        return id;
    }
    chosen = parseWaveFormat(buffer.data(), std::min<size_t>(size, buffer.size()));
    m_target = chosen;
    writeChangeFormatTarget(m_settings, m_messages, m_target);
    return 0;
}

int FormatConversion::RunFormatConversion(const QString& source, const QString& output, const WaveFormatEx& format,
                                          bool askUser, const QString& dialogCaption, const QString& progressCaption)
{
    WaveFormatEx to = format;
    if (askUser)
        if (const int code = AskConversionFormat(to, dialogCaption, platform::codecs::kFormatChoiceStartWithBuffer))
            return code;
    ConvertProcessCalls calls(m_library);
    const int code = m_runner.runLibraryProcess(
        JobKind::ConvertProcess, calls,
        [&](uint32_t* cell) { return m_library.AudioConvert(source, output, &to, cell, 0); }, progressCaption, true,
        m_messages, editor::VXFmtHlpErrorToMessage);
    // The runner leaves a cancel untold; here the user learns that the conversion was not made.
    if (code == kCancelledCode)
        m_messages.ShowErrorMessage(kCancelledCode);
    return code;
}
