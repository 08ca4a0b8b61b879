// The main window's File > Save, Save As and Revert, and what closing a saved document keeps.
#include "editor/MainForm.h"

#include "editor/MainFormParts.h"

#include "common/Log.h"
#include "common/Util.h"
#include "platform/files/FileTime.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kUserAborted = 129; // "Warning: User has aborted the process."

} // namespace

void TMainForm::fileSave(SaveMode mode)
{
    TDocumentRecord* document = m_workspace.documents().current();
    if (!document || busy() || recording() || !readyForEditing(*document))
        return;
    setBusy(true);
    const QString oldFile = document->documentFile;
    const int code = m_saver.save(*document, mode);
    if (code == 0)
        showSaved(*document, oldFile, mode);
    else if (code != kCancelled)
        m_services.messages.ShowErrorMessage(code);
    setBusy(false);
}

void TMainForm::showSaved(TDocumentRecord& document, const QString& oldFile, SaveMode mode)
{
    // A track saved under another name is no longer the recorder's: its editing has ended.
    if (mode == SaveMode::SaveAs && document.displayName == QLatin1String(kMusicTrackName))
        trackDone(TrackRole::Music);
    else if (mode == SaveMode::SaveAs && document.displayName == QLatin1String(kVoiceTrackName))
        trackDone(TrackRole::Voice);
    if (!sameDocumentFile(oldFile, document.documentFile)) {
        document.displayName = QFileInfo(document.documentFile).fileName();
        document.shownAs = TrackRole::Normal;
        if (DocumentViews* views = viewsOf(&document)) {
            views->button->setCaption(document.displayName);
            views->button->setToolTip(documentHint(document));
        }
        if (!document.documentFile.endsWith(QLatin1String(".tmp"), Qt::CaseInsensitive))
            addRecentFile(document.documentFile);
    }
    // The saved state is the one to go back to: nothing is left to undo or redo.
    emptyUndoAndRedo(document);
    if (DocumentViews* views = viewsOf(&document))
        dropStalePeaks(*views, document);
    showCurrentDocument();
}

void TMainForm::fileRevert()
{
    TDocumentRecord* document = m_workspace.documents().current();
    if (!document || busy() || recording() || document->saveState != SaveState::Modified)
        return;
    // The player reads the working file, which the revert replaces.
    stopPlaybackNow();
    if (playingOrPaused())
        return;
    setBusy(true);
    if (document->sourceKind != SourceKind::Wave) {
        // A compressed file is decoded again: its working file is made as at the first open.
        const QString file = document->documentFile;
        document->saveState = SaveState::Unchanged;
        if (closeDocumentAt(m_workspace.documents().currentIndex()) == 0)
            reportWorkspace(m_workspace.openFile(file));
        setBusy(false);
        return;
    }
    const int code = m_saver.revert(*document);
    if (code == kCancelled)
        m_services.messages.ShowErrorMessage(kUserAborted);
    else if (code != 0)
        m_services.messages.ShowErrorMessage(code);
    if (code == 0) {
        EditRefresh refresh;
        refresh.peaks = EditRefresh::Peaks::Reopen;
        refreshViews(*document, refresh);
        updateDocumentControls();
    }
    setBusy(false);
}

void TMainForm::trackDone(TrackRole role)
{
    RememberedTracks& tracks = m_workspace.tracks();
    (role == TrackRole::Music ? tracks.musicTrackFile : tracks.voiceTrackFile).clear();
    trackRefused(role);
}

void TMainForm::keepPeakCache(const TDocumentRecord& document)
{
    const QString tempFolder = m_services.tempFolder();
    // A cache still being written would land after the rename.
    m_peakSaves.waitForDone();
    const QString working = GetPeakFileName(document.workingFile, tempFolder);
    if (QFileInfo(working).size() <= 0)
        return;
    const QString kept = GetPeakFileName(document.documentFile, tempFolder);
    const std::optional<int64_t> time = platform::fileWriteTimeNs(document.documentFile);
    if (kept.isEmpty() || !time || (QFile::exists(kept) && !QFile::remove(kept)) || !QFile::rename(working, kept) ||
        !platform::setFileWriteTimeNs(kept, *time))
        qCInfo(lcCommon) << "the peaks of" << document.documentFile << "are not kept; its next open builds them";
}
