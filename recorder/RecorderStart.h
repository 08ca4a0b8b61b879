#pragma once
// How a start of the recorder begins: it claims the recorder's instance name; a second start finds
// the running recorder's welcome window and hands it the file of its command line, then ends. What
// a start does is decided from what it learnt, in recorderStartOutcome; startRecorder takes the
// steps over the programs' messaging, and showStartOutcome tells the person who started it when
// nothing was handed over.

#include "platform/messaging/ArgumentBlock.h"
#include "platform/messaging/Messaging.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {
class Messages;
}

namespace recorder {

inline constexpr char kWelcomeCaption[] = "Welcome to Wexo Ravadur";
inline constexpr char kNoSplashSwitch[] = "/NoSplash";
inline constexpr int kRecorderBusyMessageId = 434;

enum class RecorderStartOutcome {
    RunAsFirst, // this process is the recorder: it keeps the claim and opens the welcome window
    EndQuietly, // another recorder runs and the command line was empty
    Busy,       // the running recorder's welcome window is hidden or one of its modal windows is open
    HandedOver, // the running recorder took the command line
    Refused,    // the running recorder did not take it, or its welcome window never answered
    TooLong,    // the file's name does not fit the hand-over block; nothing was sent
};

// What a start has learnt when it decides.
struct RecorderStartFacts {
    platform::InstanceState claim = platform::InstanceState::First;
    bool hasArguments = false; // any argument, "/NoSplash" alone too
    bool argumentFits = true;
    bool windowFound = false;  // the running recorder's welcome window answered
    bool windowReady = false;  // and it is visible and enabled
    int answer = 0;            // its answer to the hand-over, 0 or 1
};

// A claim that could not be made does not keep the recorder from running: it hands over when a
// welcome window answers, and runs as the first instance when none does.
RecorderStartOutcome recorderStartOutcome(const RecorderStartFacts& facts);

// The command line as another process can read it: a file given relative to the working folder is
// made absolute and clean; "/NoSplash" and empty arguments stay as they are.
QStringList absoluteRecorderArguments(const QStringList& arguments, const QString& workingFolder);

// The recorder hands over its first argument that is not "/NoSplash" (so "/NoSplash x.mp3" hands
// over x.mp3); "/NoSplash" alone gives a block with count 0.
platform::BuiltArgumentBlock recorderArgumentBlock(const QStringList& arguments);

// Called while another start holds the claim and its welcome window does not answer yet (it is
// still starting); false once the start has waited long enough.
using WindowWait = std::function<bool()>;
// Waits in short steps until milliseconds have passed.
WindowWait windowWaitFor(int milliseconds);
inline constexpr int kWelcomeWindowWaitMs = 2000;

struct RecorderStartResult {
    RecorderStartOutcome outcome = RecorderStartOutcome::Refused;
    // Held while this process runs as the recorder; null otherwise (the claim is released at once).
    std::unique_ptr<platform::InstanceClaim> claim;
    // RunAsFirst: the command line with its files made absolute.
    QStringList arguments;
    // TooLong: the argument that does not fit.
    QString tooLong;
};

RecorderStartResult startRecorder(platform::Messaging& messaging, const QStringList& arguments,
                                  const QString& workingFolder, const WindowWait& wait);

// The name of a file too long for the hand-over block, in words.
QString argumentTooLongText(const QString& argument);

// Busy, Refused and TooLong are told in a box under the recorder's caption; the other outcomes show
// nothing.
void showStartOutcome(const platform::Messages& messages, const RecorderStartResult& result);

} // namespace recorder
