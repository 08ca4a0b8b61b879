#pragma once
// What the MP3-to-WAV and WMA-to-WAV windows share: a modal window with a dark green progress bar
// moved by a 500 ms timer and "&Cancel". The job's worker ends the modal run (through a queued
// call) once it is over; any way of closing the window while it runs (Cancel, Escape, the title
// bar) asks the job to stop, and the window then waits for that end rather than leaving the
// worker running behind it.

#include <QDialog>

class QProgressBar;
class QPushButton;
class QTimer;

class ImportProgressDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPercentIntervalMs = 500;

    QProgressBar* ProgressBar = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* PercentTimer = nullptr;

public slots:
    // Escape, and through QDialog's close event also the title bar: Cancel while the job runs.
    void reject() override;

protected:
    explicit ImportProgressDialog(QWidget* parent);

    // Runs the window modally until the worker has ended.
    void runUntilEnded();
    // For the worker's thread: ends the modal run from the GUI thread.
    void postEnded();

    // The timer's poll: the percent to show.
    virtual int percent() const = 0;
    virtual void cancelJob() = 0;


private:
    void cancelClicked();

    bool m_running = false;
};
