#include "recorder/RecorderStart.h"

#include "recorder/Log.h"

#include "common/ErrCodes.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/ui/Messages.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

namespace recorder {

using platform::InstanceState;

namespace {

const QString kBusyText =
    QStringLiteral("It seems that your application is busy performing some other task. Please close any Yqm "
                   "window before you podcast your conversation.");

constexpr int kWindowWaitStepMs = 50;

} // namespace

RecorderStartOutcome recorderStartOutcome(const RecorderStartFacts& facts)
{
    if (facts.claim == InstanceState::First)
        return RecorderStartOutcome::RunAsFirst;
    if (facts.claim == InstanceState::Failed && !facts.windowFound)
        return RecorderStartOutcome::RunAsFirst;
    if (!facts.hasArguments)
        return RecorderStartOutcome::EndQuietly;
    if (!facts.argumentFits)
        return RecorderStartOutcome::TooLong;
    if (!facts.windowFound)
        return RecorderStartOutcome::Refused;
    if (!facts.windowReady)
        return RecorderStartOutcome::Busy;
    return facts.answer == 0 ? RecorderStartOutcome::Refused : RecorderStartOutcome::HandedOver;
}

QStringList absoluteRecorderArguments(const QStringList& arguments, const QString& workingFolder)
{
    QStringList result;
    const QDir folder(workingFolder);
    for (const QString& argument : arguments)
        result << (argument.isEmpty() || argument == QLatin1String(kNoSplashSwitch)
                       ? argument
                       : QDir::cleanPath(folder.absoluteFilePath(argument)));
    return result;
}

platform::BuiltArgumentBlock recorderArgumentBlock(const QStringList& arguments)
{
    QStringList files = arguments;
    files.removeAll(QString::fromLatin1(kNoSplashSwitch));
    return platform::buildArgumentBlock(files, platform::ArgumentBlockSender::Recorder);
}

WindowWait windowWaitFor(int milliseconds)
{
    return [deadline = QDeadlineTimer(milliseconds)] {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kWindowWaitStepMs);
        return true;
    };
}

RecorderStartResult startRecorder(platform::Messaging& messaging, const QStringList& arguments,
                                  const QString& workingFolder, const WindowWait& wait)
{
    RecorderStartResult result;
    const QStringList absolute = absoluteRecorderArguments(arguments, workingFolder);
    std::unique_ptr<platform::InstanceClaim> claim = messaging.claimInstance(QString(platform::kRecorderInstanceName));
    RecorderStartFacts facts;
    facts.claim = claim->state();
    facts.hasArguments = !arguments.isEmpty();
    const platform::BuiltArgumentBlock block = recorderArgumentBlock(absolute);
    facts.argumentFits = block.refused.isEmpty();

    std::optional<platform::FoundWindow> welcome;
    // Without arguments a second start has nothing to look for; a failed claim looks for a running
    // recorder to know whether to be the first.
    if (facts.claim == InstanceState::Failed || (facts.claim == InstanceState::Second && facts.hasArguments)) {
        const auto find = [&] {
            return messaging.findWindow(platform::kRecorderWelcomeWindowClass, QString::fromLatin1(kRecorderCaption),
                                        platform::CaptionMatch::Contains);
        };
        welcome = find();
        // The running recorder took its claim before its welcome window was up: give it a moment.
        while (!welcome && facts.claim == InstanceState::Second && wait())
            welcome = find();
        facts.windowFound = welcome.has_value();
        facts.windowReady = welcome && welcome->info.visible && welcome->info.enabled;
    }
    if (facts.claim != InstanceState::First && facts.hasArguments && facts.argumentFits && facts.windowReady)
        facts.answer = messaging.sendCopyData(welcome->handle, block.count, block.bytes).result();

    result.outcome = recorderStartOutcome(facts);
    switch (result.outcome) {
    case RecorderStartOutcome::RunAsFirst:
        if (facts.claim == InstanceState::Failed)
            qCWarning(lcRecorder) << "the recorder's instance claim failed and no recorder answers: running as "
                                     "the first";
        result.claim = std::move(claim);
        result.arguments = absolute;
        break;
    case RecorderStartOutcome::Refused:
        if (!facts.windowFound)
            qCWarning(lcRecorder) << "another recorder holds the claim but its welcome window does not answer";
        break;
    case RecorderStartOutcome::TooLong:
        result.tooLong = block.refused.value(0);
        break;
    case RecorderStartOutcome::EndQuietly:
    case RecorderStartOutcome::Busy:
    case RecorderStartOutcome::HandedOver:
        break;
    }
    return result;
}

QString argumentTooLongText(const QString& argument)
{
    return QStringLiteral("The name of the file \"%1\" is too long for Wexo Ravadur, which takes names of up to "
                          "255 bytes. Please give the file a shorter name or move it to a shorter path.")
        .arg(argument);
}

void showStartOutcome(const platform::Messages& messages, const RecorderStartResult& result)
{
    const QString caption = QString::fromLatin1(kRecorderCaption);
    const unsigned flags = platform::MB_OK | platform::MB_ICONINFORMATION;
    switch (result.outcome) {
    case RecorderStartOutcome::Busy:
        messages.ShowMessageBox(kBusyText, caption, flags);
        break;
    case RecorderStartOutcome::Refused:
        // This text breaks its line where it says so.
        messages.ShowMessageBox(messages.messageText(kRecorderBusyMessageId).replace(QLatin1String("\\n"), "\n"),
                                caption, flags);
        break;
    case RecorderStartOutcome::TooLong:
        messages.ShowMessageBox(argumentTooLongText(result.tooLong), caption, flags);
        break;
    case RecorderStartOutcome::RunAsFirst:
    case RecorderStartOutcome::EndQuietly:
    case RecorderStartOutcome::HandedOver:
        break;
    }
}

} // namespace recorder
