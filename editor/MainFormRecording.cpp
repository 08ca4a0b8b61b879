// The main window's recording, level test, level meters and clip lamps. A recording into an
// empty document is written into its working file; into a document with audio it is written into
// a take file of its own and inserted at the caret when it stops, as a paste of that file with its
// undo step, so the document's audio is never at stake while the take is written.
#include "editor/MainForm.h"

#include "editor/MainFormParts.h"

#include "editor/ErrCodes.h"
#include "editor/WorkspaceFiles.h"

#include "common/ErrCodes.h"
#include "common/Log.h"
#include "common/WaveUtil.h"
#include "controls/CoolButton.h"
#include "controls/EQMeter.h"
#include "platform/audio/AudioEngine.h"
#include "platform/base/Colors.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

using namespace controls;

namespace {

// Ticks of the position timer between two changes of the "Recording" label.
constexpr int kBlinkTicks = 5;
constexpr int kRecordInCurrentFile = 433;
constexpr int kClipFileSize = 370;
const QString kRecordingText = QStringLiteral("Recording...");
const QString kNoSampleText = QStringLiteral("No sample present");

void setLampColor(QLabel* lamp, const QColor& color)
{
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, color);
    lamp->setPalette(palette);
}

} // namespace

void TMainForm::startStopRecordingButtonClick()
{
    if (!m_services.engine || m_transport == TransportState::Playing || m_transport == TransportState::Paused)
        return;
    auto* button = qobject_cast<TCoolButton*>(controlWidget(Control::Record));
    if (m_transport == TransportState::Recording) {
        stopRecordingNow();
        setBusy(false);
        return;
    }
    if (busy())
        return;
    if (!m_workspace.documents().current()) {
        fileNew();
        if (!m_workspace.documents().current()) {
            if (button)
                button->setDown(false);
            return;
        }
    }
    startRecording();
}

void TMainForm::startRecording()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    TDocumentRecord* document = m_workspace.documents().current();
    if (!engine || !document)
        return;
    auto* button = qobject_cast<TCoolButton*>(controlWidget(Control::Record));
    // A recording keeps the busy flag until it stops; one that does not start clears it when this
    // call set it.
    const bool setBusyHere = !busy();
    setBusy(true);
    const auto refuse = [this, button, setBusyHere] {
        if (button)
            button->setDown(false);
        if (setBusyHere)
            setBusy(false);
    };

    std::optional<InsertTake> insert;
    if (!document->isEmpty()) {
        const platform::Messages& messages = m_services.messages;
        const int answer = messages.interaction().messageBox(
            messages.messageText(kRecordInCurrentFile), messages.caption(),
            platform::MB_YESNOCANCEL | platform::MB_ICONINFORMATION);
        if (answer == platform::IDYES) {
            TQzv32WaveDisplay* display = currentDisplay();
            if (!display || !readyForEditing(*document)) {
                refuse();
                return;
            }
            ReservedFiles names(QFileInfo(document->workingFile).absolutePath());
            const QString take = names.reserve();
            if (take.isEmpty()) {
                qCWarning(lcCommon) << "no name for a take:" << names.error();
                m_services.messages.ShowErrorMessage(kNoTempName);
                refuse();
                return;
            }
            names.release();
            insert = InsertTake{take, display->CaretPositionBySamples()};
        } else if (answer == platform::IDNO) {
            const std::optional<WaveFormatEx> format = m_services.chooseFormat(this);
            const WorkspaceResult made = format ? m_workspace.newDocument(*format) : WorkspaceResult{};
            if (format) {
                m_view.setRecordingFormat(*format);
                reportWorkspace(made);
                showCurrentDocument();
            }
            document = m_workspace.documents().current();
            if (!format || made.code != 0 || !document || !document->isEmpty()) {
                refuse();
                return;
            }
        } else {
            refuse();
            return;
        }
    } else if (!readyForEditing(*document)) {
        refuse();
        return;
    }

    if (m_transport == TransportState::LevelTest)
        stopLevelTestNow();
    engine->SetCallbackWindow(this);
    const WaveFormatEx& format = document->waveFormat;
    const QString file = insert ? insert->file : document->workingFile;
    if (const int code = engine->AudioStartRecord(file, format.samplesPerSec, format.bitsPerSample,
                                                  format.channels, 0)) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        if (insert)
            QFile::remove(insert->file);
        refuse();
        return;
    }
    m_insertTake = insert;
    m_transport = TransportState::Recording;
    m_blink = 0;
    m_playRecTimer.start();
    m_recordingLabel->setText(QStringLiteral("Recording"));
    m_recordingLabel->show();
    if (DocumentViews* views = viewsOf(document)) {
        views->display->setNoSamplePresentText(kRecordingText);
        views->overview->setNoSamplePresentText(kRecordingText);
    }
    if (button)
        button->setDown(true);
    applyControlState(ControlState::RecordingStarted);
}

void TMainForm::stopRecording()
{
    if (m_transport != TransportState::Recording)
        return;
    stopRecordingNow();
    setBusy(false);
}

void TMainForm::stopRecordingNow()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine || m_transport != TransportState::Recording)
        return;
    // A take the input ended (gone, failed) or that could not be written on keeps what reached
    // the file: the code is told, and the take goes into the document all the same.
    if (const int code = engine->AudioStopRecord())
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
    m_transport = TransportState::Stopped;
    m_playRecTimer.stop();
    m_recordingLabel->hide();
    metersOff();
    m_view.showCaretPosition(0, kPositionFrames);
    const std::optional<InsertTake> insert = std::exchange(m_insertTake, std::nullopt);
    auto* button = qobject_cast<TCoolButton*>(controlWidget(Control::Record));
    if (button)
        button->setDown(false);

    TDocumentRecord* document = m_workspace.documents().current();
    DocumentViews* views = viewsOf(document);
    if (views) {
        views->display->setNoSamplePresentText(kNoSampleText);
        views->overview->setNoSamplePresentText(kNoSampleText);
    }
    if (!document || !views) {
        testLevelsWhenAlwaysWanted();
        return;
    }

    // What reached the take's file is the user's: a take that does not go in is kept and its
    // place told.
    const auto tellTakeKept = [this](const QString& take) {
        m_services.messages.ShowMessageBox(
            QStringLiteral("Your recording could not be inserted. It was kept in %1.").arg(take), {},
            platform::MB_OK | platform::MB_ICONERROR);
    };
    if (insert) {
        platform::audio::AudioFileInfo take;
        if (platform::audio::readAudioFileInfo(insert->file, take) != 0) {
            qCWarning(lcCommon) << "the take" << insert->file << "cannot be read";
            m_services.messages.ShowErrorMessage(kClipFileSize);
            if (QFileInfo(insert->file).size() > 0)
                tellTakeKept(insert->file);
            else
                QFile::remove(insert->file);
        } else if (take.frames == 0) {
            QFile::remove(insert->file);
        } else {
            // The take goes in at the caret the recording started at, not over a selection made
            // meanwhile.
            views->view->clearSelection();
            views->view->setCaret(uint32_t(insert->position));
            if (m_edit.paste(*document, insert->file) == 0) {
                QFile::remove(insert->file);
                m_view.setSelection(uint32_t(insert->position), uint32_t(insert->position + take.frames));
            } else {
                tellTakeKept(insert->file);
            }
        }
    } else {
        FileInformation info;
        if (const int code = readWaveFileInformation(document->workingFile, info)) {
            m_services.messages.ShowErrorMessage(editor::WaveReadErrorToMessageId(code));
        } else {
            document->info = info;
            document->rebuildWaveFormat();
        }
        EditRefresh refresh;
        refresh.peaks = EditRefresh::Peaks::Rebuild;
        refresh.atMaxZoom = true;
        refreshViews(*document, refresh);
        if (document->saveState == SaveState::Unchanged && !document->isEmpty())
            document->saveState = SaveState::Modified;
    }
    // The recording's controls come back, then those of the document as it now is.
    applyControlState(ControlState::RecordingEnded);
    updateDocumentControls();
    if (!document->isEmpty())
        m_panel.setEnabled(Control::SaveAsPodcast, true);
    setWindowTitle(::windowCaption(document));
    m_view.updateStatusBar();
    testLevelsWhenAlwaysWanted();
}

// --- Level test ---

void TMainForm::startLevelTest()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine)
        return;
    if (transportStep({m_transport, false, false, false}, TransportCommand::LevelTest).calls.empty())
        return;
    const WaveFormatEx format = recordingFormat();
    if (const int code =
            engine->AudioStartRecordLevelTest(format.samplesPerSec, format.bitsPerSample, format.channels)) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        return;
    }
    m_transport = TransportState::LevelTest;
    m_playRecTimer.start();
}

void TMainForm::stopLevelTestNow()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine || m_transport != TransportState::LevelTest)
        return;
    m_transport = TransportState::Stopped;
    m_playRecTimer.stop();
    if (const int code = engine->AudioStopRecordLevelTest()) {
        ShowMappedError(m_services.messages, code, editor::PlayerErrorToMessageId);
        return;
    }
    metersOff();
}

void TMainForm::stopLevelTest()
{
    stopLevelTestNow();
}

void TMainForm::releaseDevices()
{
    stopPlaybackNow();
    stopRecording();
    stopLevelTestNow();
}

void TMainForm::testLevelsWhenAlwaysWanted()
{
    if (m_services.alwaysTestLevels && m_services.alwaysTestLevels())
        startLevelTest();
}

void TMainForm::recSettingsButtonClick()
{
    if (busy())
        return;
    const std::optional<WaveFormatEx> format = m_services.chooseFormat(this);
    if (!format)
        return;
    m_view.setRecordingFormat(*format);
    TDocumentRecord* document = m_workspace.documents().current();
    if (document && document->saveState == SaveState::Untitled && document->isEmpty()) {
        document->info.samplesPerSec = format->samplesPerSec;
        document->info.bitsPerSample = format->bitsPerSample;
        document->info.channels = format->channels;
        document->rebuildWaveFormat();
    }
    m_view.updateStatusBar();
}

// --- Meters and clip lamps ---

void TMainForm::playRecTimerTick()
{
    platform::audio::AudioEngine* engine = m_services.engine;
    if (!engine)
        return;
    int left = 0;
    int right = 0;
    switch (m_transport) {
    case TransportState::Recording:
        m_view.showCaretPosition(uint32_t(engine->AudioGetRecordPosition(kPositionFrames)), kPositionFrames);
        engine->AudioGetRecordLevel(&left, &right);
        if (++m_blink >= kBlinkTicks) {
            m_blink = 0;
            m_recordingLabel->setText(m_recordingLabel->text().isEmpty() ? QStringLiteral("Recording") : QString());
        }
        break;
    case TransportState::LevelTest:
        engine->AudioGetRecordLevel(&left, &right);
        break;
    case TransportState::Playing:
        showTransportPosition(engine->AudioGetPosition(kPositionFrames));
        engine->AudioGetPlaybackLevel(&left, &right);
        break;
    case TransportState::Paused:
    case TransportState::Stopped:
        break;
    }
    m_meters[0]->setBarValue(0, left);
    m_meters[1]->setBarValue(0, right);
    for (TEQMeter* meter : m_meters)
        meter->Decay();
    if (m_transport == TransportState::Stopped || m_transport == TransportState::Paused)
        return;
    if (m_lamps.levels(left, right)) {
        showLamps();
        m_clippingTimer.start();
    }
}

void TMainForm::clippingTimerTick()
{
    m_clippingTimer.stop();
    m_lamps.off();
    showLamps();
}

void TMainForm::metersOff()
{
    for (TEQMeter* meter : m_meters)
        meter->setBarValue(0, 0);
    m_clippingTimer.stop();
    m_lamps.off();
    showLamps();
}

void TMainForm::showLamps()
{
    for (int i = 0; i < 2; ++i)
        setLampColor(m_lampLabels[size_t(i)], m_lamps.lit(i) ? m_clipOn : m_clipOff);
}

void TMainForm::applyTransportColors()
{
    m_clipOn = platform::colorFromRef(m_colorScheme.GetSchemeColor(EditorColor::ClippingLightOn));
    m_clipOff = platform::colorFromRef(m_colorScheme.GetSchemeColor(EditorColor::ClippingLightOff));
    const QColor background = platform::colorFromRef(m_colorScheme.GetSchemeColor(EditorColor::LedBackground));
    for (TEQMeter* meter : m_meters)
        meter->setBgColor(background);
    showLamps();
}
