#pragma once
// The modal progress window as the job code sees it: the window of controls/ in the programs, a
// scripted stand-in in tests.
//
// While the window is up, a timer on the GUI thread calls poll(false, running) every 100 ms: the
// result is the percent to show, running is 1 while the job runs, and any other value closes the
// window. Cancel (when shown) calls poll(true, ...) once, ignores its result, and closes the window;
// while the keep-open flag is still set after that call, the window stays until the job has ended.

#include <QString>

#include <cstdint>
#include <functional>

class JobProgressHost {
public:
    using Poll = std::function<int(bool cancelRequest, int32_t& running)>;

    virtual ~JobProgressHost() = default;

    // Shows the window with the caption and with or without Cancel, and returns when it has
    // closed. The GUI thread keeps serving events meanwhile.
    virtual void showJobProgress(const QString& caption, bool cancelShown, Poll poll) = 0;
    // While set, the user cannot close the window (the editor sets it around work that must not be
    // interrupted); the window clears it when the job ends.
    virtual void setKeepOpen(bool keepOpen) = 0;
    // The worker of the job has returned: the window may poll now rather than at its next tick, so
    // the caller goes on as soon as the work is done.
    virtual void jobEnded() {}
};
