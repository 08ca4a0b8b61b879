#pragma once
// The rules of the progress window (TProgressBarForm) without its widgets: the poll protocol of its
// timer, what Cancel and a close request do, the geometry of bar and button, and the centring on
// the program's main working window.
//
// Poll protocol: percent = callback(owner, false, running) on each tick; running = 1 while the job
// runs, any other value ends it. Cancel calls callback(owner, true, running) once and ignores the
// result. The callback and owner stay registered after the window closes, until the next start.

#include "controls/ControlVariant.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <functional>

namespace controls {

inline constexpr int kProgressTickMs = 100;
inline constexpr uint32_t kProgressBarColor = 0x008000; // $00BBGGRR: green
inline constexpr QSize kProgressClientSize{362, 29};

// The bar: 276 pixels wide beside the Cancel button, widened by the button's 75 when it is hidden.
QRect progressBarRect(bool cancelShown);
QRect progressCancelRect();
// Where a window of size own goes to be centred on the rectangle of the main window.
QPoint centredTopLeft(const QRect& mainWindow, const QSize& own);

class ProgressWindowLogic {
public:
    using PollCallback = std::function<int(QObject* owner, bool cancelRequest, int32_t& running)>;

    enum class CloseDecision {
        Close,  // nothing runs: the window may close
        Refuse, // the window stays open
        Cancel, // the job runs: closing is a click on Cancel
    };

    explicit ProgressWindowLogic(ControlVariant variant);

    // Registers callback and owner, shows or hides Cancel, empties the bar and starts the timer.
    void start(bool cancelShown, PollCallback callback, QObject* owner);

    // One timer tick. True while the job runs (the bar shows the percent, clamped to 0..100);
    // false when it has ended: the timer stops, the keep-open flag is cleared and the window
    // closes.
    bool tick();
    // The Cancel button: the timer stops, the callback gets the cancel request, and the button
    // asks to close the window. True when it closes. While the editor's keep-open flag is still
    // set (the callback may clear it, as a peak build's does) the window stays; its timer then goes
    // on, so that the window closes once the job, now asked to stop, has ended.
    bool cancel();
    // A request to close the window (title bar, Alt+F4, Esc). The editor refuses it while the
    // keep-open flag is set. A window without Cancel refuses it while its job runs, since that job
    // cannot be cancelled; otherwise a running job is cancelled.
    CloseDecision closeRequested() const;

    // The editor's keep-open flag; the recorder's window has none, so there it changes nothing.
    void setKeepOpen(bool keepOpen);
    bool keepOpen() const { return m_keepOpen; }

    bool timerActive() const { return m_timerActive; }
    bool cancelShown() const { return m_cancelShown; }
    int barPosition() const { return m_barPosition; }
    ControlVariant variant() const { return m_variant; }

private:
    ControlVariant m_variant;
    PollCallback m_callback;
    QPointer<QObject> m_owner;
    bool m_cancelShown = true;
    bool m_timerActive = false;
    bool m_keepOpen = false;
    int m_barPosition = 0;
};

} // namespace controls
