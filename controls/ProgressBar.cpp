#include "controls/ProgressBar.h"

#include "platform/base/Colors.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace controls {

TProgressBarForm::TProgressBarForm(ControlVariant variant, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_logic(variant)
{
    setFixedSize(kProgressClientSize);
    setWindowModality(Qt::ApplicationModal);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setGeometry(progressBarRect(true));

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(progressCancelRect());
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &TProgressBarForm::cancelClicked);

    ProgressStatusTimer = new QTimer(this);
    ProgressStatusTimer->setInterval(kProgressTickMs);
    connect(ProgressStatusTimer, &QTimer::timeout, this, &TProgressBarForm::timerTick);
}

void TProgressBarForm::Start(const QString& caption, bool cancelShown, PollCallback callback, QObject* owner)
{
    m_logic.start(cancelShown, std::move(callback), owner);
    setWindowTitle(caption);
    CancelButton->setVisible(cancelShown);
    CancelButton->setEnabled(true);
    ProgressBar->setGeometry(progressBarRect(cancelShown));
    ProgressBar->setValue(0);
    ProgressStatusTimer->start();
}

void TProgressBarForm::showJobProgress(const QString& caption, bool cancelShown, Poll poll)
{
    Start(caption, cancelShown,
          [poll = std::move(poll)](QObject*, bool cancelRequest, int32_t& running) { return poll(cancelRequest, running); },
          m_mainWindow.data());
    exec();
}

void TProgressBarForm::setKeepOpen(bool keepOpen)
{
    m_logic.setKeepOpen(keepOpen);
}

void TProgressBarForm::jobEnded()
{
    if (ProgressStatusTimer->isActive())
        timerTick();
}

void TProgressBarForm::reject()
{
    switch (m_logic.closeRequested()) {
    case ProgressWindowLogic::CloseDecision::Close:
        QDialog::reject();
        break;
    case ProgressWindowLogic::CloseDecision::Cancel:
        cancelClicked();
        break;
    case ProgressWindowLogic::CloseDecision::Refuse:
        break;
    }
}

void TProgressBarForm::showEvent(QShowEvent* event)
{
    ProgressBar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: %1; }")
                                   .arg(platform::colorFromRef(kProgressBarColor).name()));
    if (m_mainWindow)
        move(centredTopLeft(m_mainWindow->frameGeometry(), frameGeometry().size()));
    QDialog::showEvent(event);
}

void TProgressBarForm::timerTick()
{
    if (m_logic.tick()) {
        ProgressBar->setValue(m_logic.barPosition());
        return;
    }
    ProgressStatusTimer->stop();
    done(QDialog::Accepted);
}

void TProgressBarForm::cancelClicked()
{
    ProgressStatusTimer->stop();
    if (m_logic.cancel()) {
        done(QDialog::Rejected);
        return;
    }
    // Kept open: the job has been asked to stop once, and the timer closes the window when it has.
    CancelButton->setEnabled(false);
    ProgressStatusTimer->start();
}

} // namespace controls
