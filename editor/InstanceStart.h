#pragma once
// How a start of the editor begins: it claims the editor's instance name; a
// second start finds the running editor's main window and hands it its command
// line, then ends. What a start does is decided from what it learns, step by
// step, in startOutcome; startEditor takes those steps over the programs'
// messaging.

#include "editor/CommandLine.h"

#include "platform/messaging/Messaging.h"
#include "platform/ui/Messages.h"

#include <QStringList>

#include <memory>

enum class StartOutcome {
    RunAsFirst, // this process is the editor: it keeps the claim and opens its
                // own command line
    EndQuietly, // another editor runs and there was nothing to hand over
    HandedOver, // the running editor took the command line
    Refused, // the running editor did not take it (busy, hidden, hung, gone, or
             // not found)
};

// What a start has learnt when it decides.
struct StartFacts {
    platform::InstanceState claim = platform::InstanceState::First;
    bool hasArguments = false; // anything but "/NoSplash"
    bool windowFound = false; // the running editor's main window
    int answer = 0; // its answer to the hand-over, 0 or 1
};

// A claim that could not be made does not keep the editor from running: it
// hands over when an editor's window answers, and runs as the first instance
// when none does.
StartOutcome startOutcome(const StartFacts& facts);

struct StartResult {
    StartOutcome outcome = StartOutcome::Refused;
    // Held while this process runs as the editor; null otherwise (the claim is
    // released at once).
    std::unique_ptr<platform::InstanceClaim> claim;
    // RunAsFirst: the process's own command line, its files made absolute.
    EditorCommandLine commandLine;
};

// A command line with an argument that does not fit the hand-over block is not
// sent at all: the start is Refused, rather than the running editor opening
// part of it while the person who started it learns nothing of the rest.
//
// On Refused the recorder's recording window is told (message 0x4CE) when the
// command line held a track switch, so the recorder takes back the track it
// handed over; the caller then shows message 434. A refused start without a
// track switch was not started by the recorder, which may be waiting for the
// running editor to finish a track of its own: it is not disturbed.
StartResult startEditor(platform::Messaging& messaging, const QStringList& arguments, const QString& workingFolder);

inline constexpr int kEditorBusyMessageId = 434;

// Tells the person who started the editor again that the running one did not take the files.
void showHandOverRefused(const platform::Messages& messages);
