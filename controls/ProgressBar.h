#pragma once
// TProgressBarForm, the one modal progress window of a program: made once at start and reused for
// every job. A caller starts the job (on a worker, or as a library's process), calls Start with a
// caption and a poll callback, and runs the window with exec(), which returns when the callback
// reports the end or the user cancels (while the editor keeps the window open, a cancel only asks
// the job to stop, and the window closes at its end); the caller then waits for the job and reads
// its outcome.
// The window knows nothing of the job; its rules are ProgressWindowLogic's.
//
// It is also the progress host of the job runner (showJobProgress = Start + exec, with the main
// working window as owner).

#include "common/JobProgressHost.h"
#include "controls/ProgressBarLogic.h"

#include <QDialog>
#include <QPointer>

class QProgressBar;
class QPushButton;
class QTimer;

namespace controls {

class TProgressBarForm : public QDialog, public JobProgressHost {
    Q_OBJECT

public:
    using PollCallback = ProgressWindowLogic::PollCallback;

    // The editor's window has the keep-open flag; the recorder's has none.
    explicit TProgressBarForm(ControlVariant variant, QWidget* parent = nullptr);

    // The program's main working window (the editor's main window, the recorder's recording
    // window): each time it is shown the window is centred on it, and it is the owner that
    // showJobProgress passes to the poll.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }

    void Start(const QString& caption, bool cancelShown, PollCallback callback, QObject* owner);

    void showJobProgress(const QString& caption, bool cancelShown, Poll poll) override;
    void setKeepOpen(bool keepOpen) override;
    void jobEnded() override;
    bool keepOpen() const { return m_logic.keepOpen(); }

    const ProgressWindowLogic& logic() const { return m_logic; }

    QProgressBar* ProgressBar = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* ProgressStatusTimer = nullptr;

public slots:
    // Esc, and through QDialog's close event also the title bar and Alt+F4: a close request.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void timerTick();
    void cancelClicked();

    ProgressWindowLogic m_logic;
    QPointer<QWidget> m_mainWindow;
};

} // namespace controls
