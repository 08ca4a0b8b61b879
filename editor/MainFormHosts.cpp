// The main window's side of the editor's rules: the host interfaces of the workspace, the view,
// the edit commands, the command line and the close-down, on the window's widgets.
#include "editor/MainForm.h"

#include "editor/MainFormParts.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/Log.h"
#include "controls/OViewFrame.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <future>
#include <system_error>
#include <utility>

using namespace controls;
using mainform::setVisibleOf;

namespace {

constexpr int kSaveChanges = 427;

} // namespace

// --- WorkspaceHost ---

int TMainForm::closeDocumentAt(int index)
{
    DocumentList& documents = m_workspace.documents();
    TDocumentRecord* document = documents.at(index);
    if (!document)
        return 0;
    // The playback reads the document's files, which go with it.
    if (index == documents.currentIndex())
        stopPlaybackNow();
    const bool changed = document->saveState == SaveState::Modified ||
                         (document->saveState == SaveState::Untitled && !document->isEmpty());
    if (changed) {
        const platform::Messages& messages = m_services.messages;
        const QString question = messages.messageText(kSaveChanges, {document->displayName});
        const int answer = messages.interaction().messageBox(question, messages.caption(),
                                                             platform::MB_YESNOCANCEL | platform::MB_ICONWARNING);
        if (answer != platform::IDYES && answer != platform::IDNO)
            return kCancelled;
        if (answer == platform::IDYES) {
            // A save that fails keeps the document open, edits and all, like a cancelled one: a
            // close-down stops there rather than throw the edits away.
            const int code = m_saver.save(*document, SaveMode::Save);
            if (code != 0 && code != kCancelled)
                m_services.messages.ShowErrorMessage(code);
            if (code != 0)
                return kCancelled;
        }
    }
    // A track that is closed is finished in the editor: the recorder takes it back, and the next
    // one handed over is named as a track again.
    const RememberedTracks& tracks = m_workspace.tracks();
    if (!tracks.musicTrackFile.isEmpty() && tracks.musicTrackFile == document->documentFile)
        trackDone(TrackRole::Music);
    if (!tracks.voiceTrackFile.isEmpty() && tracks.voiceTrackFile == document->documentFile)
        trackDone(TrackRole::Voice);
    if (document->saveState == SaveState::Unchanged && document->isWorkspaceReady())
        keepPeakCache(*document);
    removeDocumentFiles(*document);
    discardViews(*document);
    documents.takeAt(index);
    if (documents.currentIndex() == DocumentList::kNoDocument && !documents.isEmpty())
        documents.setCurrent(documents.lastIndex());
    showCurrentDocument();
    return 0;
}

void TMainForm::trackRefused(TrackRole role)
{
    platform::Messaging* messaging = m_services.messaging;
    const std::optional<platform::FoundWindow> recorder =
        messaging ? messaging->findWindow(platform::kRecordingWindowClass, QString::fromLatin1(kRecorderCaption),
                                          platform::CaptionMatch::Contains)
                  : std::nullopt;
    const intptr_t track = role == TrackRole::Music ? platform::kTrackDoneMusic : platform::kTrackDoneVoice;
    if (!recorder || !messaging->postMessage(recorder->handle, platform::kRecorderTrackDoneMessage, track, 0))
        qCInfo(lcCommon) << "no recording window to give its track back to";
}

int TMainForm::createViews(TDocumentRecord& document, const QString& shownFile)
{
    auto views = std::make_unique<DocumentViews>();
    views->page = new QWidget(m_waveArea);
    auto* column = new QVBoxLayout(views->page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    views->ruler = new TQzv32Scale(views->page);
    views->ruler->setObjectName(QStringLiteral("Scale"));
    views->display = new TQzv32WaveDisplay(views->page);
    views->display->setObjectName(QStringLiteral("Waveform"));
    views->display->setShowCaret(true);
    views->overview = new TQzv32Overview(views->page);
    views->overview->setObjectName(QStringLiteral("Overview"));
    views->overview->setFixedHeight(48);
    column->addWidget(views->ruler);
    column->addWidget(views->display, 1);
    column->addWidget(views->overview);
    m_waveArea->addWidget(views->page);
    views->view = std::make_unique<DisplayView>(*views->display);
    colorViews(*views->display, views->overview);

    views->button = new TQzv32RectBtnEx(m_buttonPanel);
    views->button->setObjectName(QStringLiteral("DocumentButton"));
    views->button->setCaption(document.displayName);
    views->button->setToolTip(documentHint(document));
    views->button->setToggleButton(true);
    views->button->setDrawBorder(true);
    views->button->hide();

    if (const int code = openDisplay(*views, shownFile, true)) {
        delete views->button;
        delete views->page;
        return code;
    }
    const int32_t id = document.id;
    connect(views->button, &TQzv32RectBtnEx::OnClick, this, [this, id] { documentButtonClicked(id); });
    auto* popup = new QMenu(views->button);
    popup->setObjectName(QStringLiteral("WavefilePopupMenu"));
    QAction* select = popup->addAction(QStringLiteral("Select"));
    select->setObjectName(QStringLiteral("SelectWavefilePopupMenu"));
    connect(select, &QAction::triggered, this, [this, id] { documentButtonClicked(id); });
    QAction* close = popup->addAction(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("CloseWavefilePopupMenu"));
    connect(close, &QAction::triggered, this, [this, id] {
        if (busy())
            return;
        setBusy(true);
        closeDocumentAt(m_workspace.documents().indexOfId(id));
        setBusy(false);
    });
    views->button->setPopupMenu(popup);
    connect(views->display, &TQzv32WaveDisplay::OnSelection, this,
            [this](quint32 start, quint32 end) { m_view.displaySelected(start, end); });
    connect(views->display, &TQzv32WaveDisplay::OnCaretPositionChange, this, [this] { m_view.displayCaretMoved(); });
    connect(views->overview, &TQzv32Overview::OnFramePosSizeChange, this, [this] { overviewFrameMoved(); });
    m_views[id] = std::move(views);
    return 0;
}

void TMainForm::discardViews(TDocumentRecord& document)
{
    const auto found = m_views.find(document.id);
    if (found == m_views.end())
        return;
    delete found->second->button;
    delete found->second->page;
    m_views.erase(found);
}

int TMainForm::startWorkspaceCopy(TDocumentRecord& document)
{
    return m_copies.start(document);
}

void TMainForm::releaseWorkspaceCopy(TDocumentRecord& document)
{
    m_copies.release(document);
}

void TMainForm::cancelWorkspaceCopy(TDocumentRecord& document)
{
    m_copies.cancel(document);
}

void TMainForm::addRecentFile(const QString&)
{
    // The recent-files menu is not kept yet.
}

// --- ViewHost ---

void TMainForm::setRuler(const RulerView& ruler)
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (!views)
        return;
    views->ruler->setZoomLevel(ruler.zoom);
    views->ruler->setLeftSamplePos(ruler.left);
    views->ruler->SetWaveFormat(ruler.format);
    views->ruler->setFormat(ruler.samples ? TFormat::Samples : TFormat::Time);
    views->ruler->setIsDataAvailable(ruler.dataAvailable);
}

uint32_t TMainForm::overviewZoomLevel()
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    return views ? views->overview->MaxZoomLevel() : 1;
}

int TMainForm::overviewWidth() const
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    return views ? views->overview->width() : 0;
}

void TMainForm::setOverviewFrame(const OverviewFrame& frame)
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (!views || !views->overview->frame())
        return;
    const QSignalBlocker quiet(views->overview->frame());
    views->overview->frame()->setFrameLeftAndWidth(int(frame.left), int(frame.width));
}

void TMainForm::setFieldText(PositionField field, const QString& text)
{
    m_fieldLabels[size_t(field)]->setText(text);
    m_fieldEdits[size_t(field)]->setText(text);
}

void TMainForm::setFieldMasks(const QString& inputMask, const QString& emptyText)
{
    for (QLineEdit* edit : m_fieldEdits) {
        edit->setInputMask(inputMask);
        edit->setPlaceholderText(emptyText);
    }
}

void TMainForm::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 0 && panel < kEditorStatusPanelCount)
        m_statusPanels[size_t(panel)]->setText(text);
}

void TMainForm::setControlState(ControlState state)
{
    applyControlState(state);
}

void TMainForm::setSelectItems(bool selectAllEnabled, bool selectNoneEnabled)
{
    m_panel.setEnabled(Control::SelectAll, selectAllEnabled);
    m_panel.setEnabled(Control::SelectNone, selectNoneEnabled);
    applyPanel();
}

// --- EditHost ---

EditView TMainForm::editView() const
{
    EditView view;
    if (TQzv32WaveDisplay* display = currentDisplay()) {
        view.selectionStart = display->SelectionStartPos();
        view.selectionEnd = display->SelectionEndPos();
        view.caret = display->CaretPositionBySamples();
        view.totalSamples = display->TotalSamples();
        view.zoom = display->ZoomLevel();
        view.atMaxZoom = display->ZoomLevel() >= display->MaxZoomLevel();
        view.left = display->LeftSamplePos();
    }
    return view;
}

bool TMainForm::readyForEditing(TDocumentRecord& document)
{
    switch (m_copies.ensureFileReadyForEditing(document, true)) {
    case EditReadiness::Ready:
        return true;
    case EditReadiness::Cancelled:
        // The document stays open, read-only from now on.
        setWindowTitle(::windowCaption(&document));
        updateDocumentControls();
        return false;
    case EditReadiness::NotReady:
        return false;
    }
    return false;
}

void TMainForm::prepareViews(const TDocumentRecord& document, const EditRefresh& refresh)
{
    m_peaksAhead.reset();
    const DocumentViews* views = viewsOf(&document);
    if (!views || refresh.peaks != EditRefresh::Peaks::RemoveRange)
        return;
    const TQzv32WaveDisplay& display = *views->display;
    std::shared_ptr<const PeakCache> peaks = display.sharedPeaks();
    if (display.peakState() != PeakState::Built || !peaks)
        return;
    // The worker reads only the cache, which is never changed in place, and plain values.
    auto shorten = [peaks, channels = int(display.format().channels), total = display.TotalSamples(),
                    a = uint32_t(refresh.removedStart), b = uint32_t(refresh.removedEnd)] {
        return WaveDisplayFile::ShortenedPeaks(*peaks, channels, total, a, b);
    };
    try {
        m_peaksAhead = PeaksAhead{&document, peaks, display.TotalSamples(), refresh,
                                  std::async(std::launch::async, std::move(shorten))};
    } catch (const std::system_error&) {
        // No worker: the refresh shortens the peaks itself.
    }
}

std::shared_ptr<const PeakCache> TMainForm::takePeaksAhead(const TDocumentRecord& document,
                                                           const EditRefresh& refresh,
                                                           const TQzv32WaveDisplay& display)
{
    std::optional<PeaksAhead> ahead = std::exchange(m_peaksAhead, std::nullopt);
    if (!ahead || ahead->document != &document || ahead->from != display.sharedPeaks() ||
        ahead->totalSamples != display.TotalSamples() ||
        ahead->refresh.removedStart != refresh.removedStart || ahead->refresh.removedEnd != refresh.removedEnd)
        return nullptr;
    try {
        return ahead->shortened.get();
    } catch (const std::bad_alloc&) {
        // The refresh tries again itself and reports what it meets.
        return nullptr;
    }
}

int TMainForm::refreshViews(TDocumentRecord& document, const EditRefresh& refresh)
{
    DocumentViews* views = viewsOf(&document);
    if (!views) {
        m_peaksAhead.reset();
        return 0;
    }
    TQzv32WaveDisplay& display = *views->display;
    std::shared_ptr<const PeakCache> ahead = takePeaksAhead(document, refresh, display);
    // The peaks lose the removed range in place when they are of the state before the edit (the
    // undo file now); otherwise the working file's audio is shown with peaks kept for it, or
    // built from it.
    const bool ofUndoFile = std::any_of(views->shownFits.begin(), views->shownFits.end(),
                                        [undo = platform::FileStamp::ofPath(document.undoFile)](
                                            const platform::FileStamp& shown) { return sameAudio(shown, undo); });
    const bool inPlace = refresh.peaks == EditRefresh::Peaks::RemoveRange && display.peakState() == PeakState::Built &&
                         (display.WaveFileName() == document.workingFile || ofUndoFile);
    keepShownPeaks(*views);
    int code = 0;
    if (inPlace)
        code = removePeakRange(*views, document.workingFile, refresh, std::move(ahead));
    else if (const std::optional<int> kept = showKeptPeaks(*views, document.workingFile))
        code = *kept;
    else
        code = openDisplay(*views, document.workingFile, false, refresh.peaks != EditRefresh::Peaks::Restore);
    dropStalePeaks(*views, document);
    if (code != 0)
        return code;
    const ViewDocument shown{views->view.get(), document.waveFormat, document.info.lengthMs, document.displayName};
    m_view.setDocument(&shown);
    const uint32_t zoom = refresh.atMaxZoom ? display.MaxZoomLevel() : refresh.zoom;
    if (const int code = m_view.setZoom(*views->view, zoom, refresh.left)) {
        ShowMappedError(m_services.messages, code, WaveDisplayErrorToMessageId);
        return code;
    }
    const uint32_t caret = uint32_t(std::min<int64_t>(refresh.caret, display.TotalSamples()));
    m_view.moveCaret(caret);
    m_view.updateRuler();
    m_view.moveOverviewFrame();
    m_view.updateStatusBar();
    return 0;
}

QString TMainForm::askTargetFile()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Save Selection As");
    request.filter = QStringLiteral("Wave Files (*.wav)|*.wav");
    request.defaultExtension = QStringLiteral("wav");
    request.overwritePrompt = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().saveFile(request);
    return chosen.accepted && !chosen.files.isEmpty() ? chosen.files.front() : QString();
}

void TMainForm::controlsChanged(const TDocumentRecord& document, const ControlPanel&)
{
    applyPanel();
    setWindowTitle(::windowCaption(&document));
    m_view.updateStatusBar();
}

// --- CommandLineHost ---

void TMainForm::setBusy(bool on)
{
    const bool wasBusy = busy();
    m_busy = on ? 1 : 0;
    if (wasBusy && !on)
        m_commandLine.busyEnded();
}

void TMainForm::raiseMainWindow()
{
    raise();
    activateWindow();
}

void TMainForm::enterTrackMode(TrackRole role)
{
    if (role == TrackRole::Normal || m_changeFormatHidden)
        return;
    m_changeFormatHidden = true;
    m_changeFormatSeparator->setVisible(false);
    for (QObject* object : m_controls[size_t(Control::ChangeFormat)])
        setVisibleOf(object, false);
}

int TMainForm::importWmaPlaylist(const QString&, QString*)
{
    return kWmaDecoderMissing;
}

void TMainForm::openAsUnsaved(const QString&)
{
    notAvailable(QStringLiteral("Opening a file as an unsaved document"));
}

int TMainForm::openFile(const QString& path, TrackRole role)
{
    const WorkspaceResult result = m_workspace.openFile(path, role);
    if (result.code != kMp3NotConvertible)
        reportWorkspace(result);
    showCurrentDocument();
    if (result.code == 0)
        offerPaste();
    return result.code;
}

void TMainForm::offerMp3Component()
{
    const int answer = m_services.messages.interaction().messageBox(
        m_services.messages.messageText(kMp3NotConvertible), m_services.messages.caption(),
        platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer == platform::IDYES)
        notAvailable(QStringLiteral("Downloading the MP3 component"));
}

void TMainForm::offerWmaComponent()
{
    notAvailable(QStringLiteral("Importing WMA playlists"));
}

// --- CloseDownHost ---

void TMainForm::showError(int id)
{
    m_services.messages.ShowErrorMessage(id);
}

bool TMainForm::windowCopyData(uint64_t, const QByteArray& data)
{
    return m_commandLine.receive(data);
}
