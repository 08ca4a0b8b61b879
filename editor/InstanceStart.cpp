#include "editor/InstanceStart.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/Log.h"

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/ProgramWindows.h"

#include <algorithm>

using platform::InstanceState;

StartOutcome startOutcome(const StartFacts& facts)
{
    if (facts.claim == InstanceState::First)
        return StartOutcome::RunAsFirst;
    if (facts.claim == InstanceState::Failed && !facts.windowFound)
        return StartOutcome::RunAsFirst;
    if (!facts.hasArguments)
        return StartOutcome::EndQuietly;
    if (!facts.windowFound || facts.answer == 0)
        return StartOutcome::Refused;
    return StartOutcome::HandedOver;
}

namespace {

bool hasArguments(const QStringList& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& argument) {
        return !argument.isEmpty() && argument != QLatin1String(kNoSplashSwitch);
    });
}

void tellRecorderTrackNotTaken(platform::Messaging& messaging)
{
    const std::optional<platform::FoundWindow> recorder = messaging.findWindow(
        platform::kRecordingWindowClass, QString::fromLatin1(kRecorderCaption), platform::CaptionMatch::Contains);
    if (!recorder || !messaging.postMessage(recorder->handle, platform::kRecorderEditorBusyMessage, 0, 0))
        qCInfo(lcCommon) << "no recording window to tell that the editor is busy";
}

} // namespace

StartResult startEditor(platform::Messaging& messaging, const QStringList& arguments, const QString& workingFolder)
{
    StartResult result;
    const QStringList absolute = absoluteArguments(arguments, workingFolder);
    std::unique_ptr<platform::InstanceClaim> claim = messaging.claimInstance(QString(platform::kEditorInstanceName));
    StartFacts facts;
    facts.claim = claim->state();
    facts.hasArguments = hasArguments(arguments);
    std::optional<platform::FoundWindow> editor;
    if (facts.claim != InstanceState::First) {
        editor = messaging.findWindow(platform::kEditorMainWindowClass, QString::fromLatin1(kEditorCaption),
                                      platform::CaptionMatch::Contains);
        facts.windowFound = editor.has_value();
    }
    if (facts.claim != InstanceState::First && facts.hasArguments && editor) {
        const platform::BuiltArgumentBlock block = buildArgumentBlock(absolute, platform::ArgumentBlockSender::Editor);
        if (block.refused.isEmpty())
            facts.answer = messaging.sendCopyData(editor->handle, block.count, block.bytes).result();
    }
    result.outcome = startOutcome(facts);
    switch (result.outcome) {
    case StartOutcome::RunAsFirst:
        if (facts.claim == InstanceState::Failed)
            qCWarning(lcCommon) << "the editor's instance claim failed and no editor "
                                   "answers: running as the first";
        result.claim = std::move(claim);
        result.commandLine = readCommandLine(absolute);
        break;
    case StartOutcome::Refused:
        if (const EditorCommandLine line = readCommandLine(arguments); line.musicTrack || line.voiceTrack)
            tellRecorderTrackNotTaken(messaging);
        break;
    case StartOutcome::EndQuietly:
    case StartOutcome::HandedOver:
        break;
    }
    return result;
}

void showHandOverRefused(const platform::Messages& messages)
{
    messages.ShowMessageById(kEditorBusyMessageId, {"ZuqEditor", "ZuqEditor"}, platform::MB_OK);
}
