// The main window's transport: play, pause, stop and the seek buttons, the keys that click them,
// the widgets of the level meters, clip lamps and "Recording" label, and the engine's end
// messages. Transport.h decides which command is taken in which state; this file makes the engine
// calls and shows their results. Recording, the level test and the meters' updates are in
// MainFormRecording.cpp.
#include "editor/MainForm.h"

#include "editor/MainFormParts.h"

#include "editor/ErrCodes.h"

#include "common/ErrCodes.h"
#include "common/Log.h"
#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/EQMeter.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/base/PostedMessage.h"
#include "platform/ui/Messages.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

using namespace controls;

namespace {

constexpr int kPlayRecIntervalMs = 50;

} // namespace

void TMainForm::createTransportControls(QWidget* parent)
{
    auto* row = new QHBoxLayout;
    m_recordingLabel = new QLabel(QStringLiteral("Recording"), parent);
    m_recordingLabel->setObjectName(QStringLiteral("RecordingLabel"));
    m_recordingLabel->hide();
    row->addWidget(m_recordingLabel);
    row->addStretch();
    const std::array<const char*, 2> meters{"EQMeter1", "EQMeter2"};
    const std::array<const char*, 2> lamps{"LeftClipLamp", "RightClipLamp"};
    for (size_t i = 0; i < 2; ++i) {
        auto* column = new QVBoxLayout;
        m_lampLabels[i] = new QLabel(parent);
        m_lampLabels[i]->setObjectName(QString::fromLatin1(lamps[i]));
        m_lampLabels[i]->setFixedSize(14, 6);
        m_lampLabels[i]->setAutoFillBackground(true);
        m_meters[i] = new TEQMeter(parent);
        m_meters[i]->setObjectName(QString::fromLatin1(meters[i]));
        m_meters[i]->setFixedSize(14, 40);
        m_meters[i]->setMin(0);
        m_meters[i]->setMax(100);
        m_meters[i]->setBarCount(1);
        m_meters[i]->setBarWidth(14);
        m_meters[i]->setShowHistory(true);
        m_meters[i]->setInteraction(&m_services.messages.interaction());
        column->addWidget(m_lampLabels[i]);
        column->addWidget(m_meters[i]);
        row->addLayout(column);
    }
    createMixerControls(parent, row);
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(row);
    showLamps();

    m_playRecTimer.setInterval(kPlayRecIntervalMs);
    connect(&m_playRecTimer, &QTimer::timeout, this, [this] { playRecTimerTick(); });
    m_clippingTimer.setInterval(kClipHoldMs);
    m_clippingTimer.setSingleShot(true);
    connect(&m_clippingTimer, &QTimer::timeout, this, [this] { clippingTimerTick(); });
    if (m_services.engine)
        m_services.engine->SetCallbackWindow(this);
}

WaveFormatEx TMainForm::recordingFormat() const
{
    return m_services.recordingFormat ? m_services.recordingFormat() : makePcmFormat(44100, 16, 2);
}

QWidget* TMainForm::controlWidget(Control control) const
{
    for (QObject* object : m_controls[size_t(control)])
        if (auto* widget = qobject_cast<QWidget*>(object))
            return widget;
    return nullptr;
}

bool TMainForm::transportMessage(const platform::PostedMessage& message)
{
    if (message.message() == platform::audio::kMsgPlaybackEnded) {
        playbackEnded();
        return true;
    }
    if (message.message() == platform::audio::kMsgRecordingEnded) {
        qCWarning(lcCommon) << "the recording ended by itself with code" << message.wParam();
        if (m_transport == TransportState::Recording) {
            stopRecordingNow();
            setBusy(false);
        }
        return true;
    }
    return mixerMessage(message);
}

// --- Playback ---

void TMainForm::playButtonClick()
{
    const TDocumentRecord* document = m_workspace.documents().current();
    TQzv32WaveDisplay* display = currentDisplay();
    if (!document || !display || m_transport == TransportState::Recording || document->isEmpty())
        return;
    const PlayRangeFrames range = playRangeFor(display->CaretPositionBySamples(), display->SelectionStartPos(),
                                               display->SelectionEndPos(), display->TotalSamples());
    playRange(range.start, range.end);
}

void TMainForm::playFromStartButtonClick()
{
    const TDocumentRecord* document = m_workspace.documents().current();
    if (!document || m_transport == TransportState::Recording || document->isEmpty())
        return;
    playRange(0, 0);
}

void TMainForm::playRange(int64_t start, int64_t end)
{
    platform::audio::AudioEngine* engine = m_services.engine;
    TDocumentRecord* document = m_workspace.documents().current();
    TQzv32WaveDisplay* display = currentDisplay();
    if (!engine || !document || !display)
        return;
    const TransportStep step =
        transportStep({m_transport, true, !document->isEmpty(), false}, TransportCommand::Play);
    if (step.calls.empty())
        return;
    engine->SetCallbackWindow(this);
    if (m_transport == TransportState::LevelTest)
        stopLevelTestNow();
    if (m_transport == TransportState::Paused) {
        if (const int code = engine->AudioResume()) {
            ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
            return;
        }
        m_transport = TransportState::Playing;
        m_playRecTimer.start();
        return;
    }
    const bool wasBusy = busy();
    setBusy(true);
    const QString file = m_copies.ensureFileReadyForEditing(*document, false) == EditReadiness::Ready
                             ? document->workingFile
                             : document->documentFile;
    m_playStart = display->CaretPositionBySamples();
    if (const int code = engine->AudioPlayWave(file, start, kPositionFrames, 0, 0, end)) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
    } else {
        m_transport = TransportState::Playing;
        m_playEnd = end;
        m_playRecTimer.start(kPlayRecIntervalMs);
        m_stoppedByUser = false;
        m_panel[Control::Play].visible = false;
        m_panel[Control::Pause].visible = true;
        m_podcastItemsBeforePlayback = {m_panel.enabled(Control::SaveAsPodcast),
                                        m_panel.enabled(Control::UploadPodcast)};
        applyControlState(ControlState::PlaybackStarted);
    }
    setBusy(wasBusy);
}

void TMainForm::stopPlaybackNow()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine || (m_transport != TransportState::Playing && m_transport != TransportState::Paused))
        return;
    m_playRecTimer.stop();
    if (const int code = engine->AudioStop()) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        if (m_transport == TransportState::Playing)
            m_playRecTimer.start();
        return;
    }
    m_transport = TransportState::Stopped;
    m_panel[Control::Pause].visible = false;
    m_panel[Control::Play].visible = true;
    if (auto* pause = qobject_cast<TCoolButton*>(controlWidget(Control::Pause)))
        pause->setDown(false);
    metersOff();
    m_panel.setEnabled(Control::SaveAsPodcast, m_podcastItemsBeforePlayback[0]);
    m_panel.setEnabled(Control::UploadPodcast, m_podcastItemsBeforePlayback[1]);
    applyControlState(ControlState::PlaybackStopped);
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (views) {
        TQzv32WaveDisplay& display = *views->display;
        const bool selection = display.SelectionStartPos() != display.SelectionEndPos();
        if (selection)
            views->view->setCaret(std::max(display.SelectionStartPos(), display.SelectionEndPos()));
        m_view.showCaretPosition(display.CaretPositionBySamples(), kPositionFrames);
        m_view.moveOverviewFrame();
        m_view.updateRuler();
        if (selection)
            applyControlState(ControlState::SelectionNotEmpty);
    }
    testLevelsWhenAlwaysWanted();
}

void TMainForm::stopPlayback()
{
    stopPlaybackNow();
}

void TMainForm::playbackEnded()
{
    if (m_transport != TransportState::Playing && m_transport != TransportState::Paused)
        return;
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (!m_stoppedByUser && views) {
        TQzv32WaveDisplay& display = *views->display;
        if (display.SelectionStartPos() == display.SelectionEndPos())
            showTransportPosition(display.TotalSamples());
    }
    stopPlaybackNow();
}

void TMainForm::stopButtonClick()
{
    if (!m_workspace.documents().current())
        return;
    if (m_transport == TransportState::Playing || m_transport == TransportState::Paused) {
        m_stoppedByUser = true;
        stopPlaybackNow();
    } else if (m_transport == TransportState::Recording) {
        startStopRecordingButtonClick();
    }
}

void TMainForm::pauseButtonClick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine)
        return;
    const TransportStep step = transportStep({m_transport, true, true, false}, TransportCommand::Pause);
    if (step.calls.empty())
        return;
    auto* pause = qobject_cast<TCoolButton*>(controlWidget(Control::Pause));
    const bool resume = step.calls.front() == EngineCall::Resume;
    if (const int code = resume ? engine->AudioResume() : engine->AudioPause()) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        return;
    }
    m_transport = step.next;
    if (resume)
        m_playRecTimer.start();
    else
        m_playRecTimer.stop();
    if (pause)
        pause->setDown(!resume);
}

void TMainForm::showTransportPosition(int64_t frame)
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (!views)
        return;
    views->view->setCaret(uint32_t(std::clamp<int64_t>(frame, 0, views->display->TotalSamples())));
    m_view.showCaretPosition(uint32_t(frame), kPositionFrames);
    m_view.updateRuler();
    m_view.moveOverviewFrame();
}

// A paused playback seeks as a running one does: it resumes from where the seek put it.
bool TMainForm::playingOrPaused() const
{
    return m_transport == TransportState::Playing || m_transport == TransportState::Paused;
}

void TMainForm::fastForwardButtonClick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    const TQzv32WaveDisplay* display = currentDisplay();
    if (!engine || !display || !playingOrPaused())
        return;
    const int64_t total = display->TotalSamples();
    // A range played ends before the end of the file: seeking past it ends the playback as well.
    const int64_t end = m_playEnd > 0 ? std::min(m_playEnd, total) : total;
    const std::optional<int64_t> target = forwardTarget(engine->AudioGetPosition(kPositionFrames), total);
    if (!target || *target >= end) {
        stopPlaybackNow();
        return;
    }
    if (const int code = engine->AudioMoveTo(*target, kPositionFrames)) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        return;
    }
    showTransportPosition(*target);
}

void TMainForm::rewindButtonClick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    const TQzv32WaveDisplay* display = currentDisplay();
    if (!engine || !display || !playingOrPaused())
        return;
    const int64_t target = rewindTarget(engine->AudioGetPosition(kPositionFrames), display->TotalSamples());
    if (const int code = engine->AudioMoveTo(target, kPositionFrames)) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        return;
    }
    showTransportPosition(target);
}

void TMainForm::skipToStartButtonClick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    const TQzv32WaveDisplay* display = currentDisplay();
    if (!display)
        return;
    const int64_t target = skipToStartTarget(display->SelectionStartPos(), display->SelectionEndPos());
    if (engine && playingOrPaused()) {
        if (const int code = engine->AudioMoveTo(target, kPositionFrames)) {
            ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
            return;
        }
    }
    showTransportPosition(target);
}

void TMainForm::skipToEndButtonClick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    const TQzv32WaveDisplay* display = currentDisplay();
    if (!display)
        return;
    const int64_t total = display->TotalSamples();
    const int64_t target = skipToEndTarget(display->SelectionStartPos(), display->SelectionEndPos(), total);
    showTransportPosition(target);
    if (engine && playingOrPaused()) {
        const int64_t end = m_playEnd > 0 ? std::min(m_playEnd, total) : total;
        if (target >= end) {
            stopPlaybackNow();
        } else if (const int code = engine->AudioMoveTo(target, kPositionFrames)) {
            ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        }
    }
}

void TMainForm::keyReleaseEvent(QKeyEvent* event)
{
    // A position field being edited takes its own keys.
    if (event->isAutoRepeat() || qobject_cast<QLineEdit*>(focusWidget())) {
        QMainWindow::keyReleaseEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const TransportKey key{event->key(), modifiers.testFlag(Qt::AltModifier),
                           bool(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::MetaModifier))};
    const bool playing = m_transport == TransportState::Playing || m_transport == TransportState::Paused;
    const std::optional<TransportButton> button =
        buttonForKey(key, playing, m_transport == TransportState::Recording);
    if (!button) {
        QMainWindow::keyReleaseEvent(event);
        return;
    }
    event->accept();
    // As a click would: a button that is off or hidden does nothing.
    const auto click = [this](Control control, void (TMainForm::*handler)()) {
        if (m_panel.enabled(control) && m_panel[control].visible)
            (this->*handler)();
    };
    switch (*button) {
    case TransportButton::Play:
        click(Control::Play, &TMainForm::playButtonClick);
        break;
    case TransportButton::Pause:
        click(Control::Pause, &TMainForm::pauseButtonClick);
        break;
    case TransportButton::Stop:
        click(Control::Stop, &TMainForm::stopButtonClick);
        break;
    case TransportButton::Record:
        click(Control::Record, &TMainForm::startStopRecordingButtonClick);
        break;
    }
}
