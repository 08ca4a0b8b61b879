#include "editor/EditCommands.h"

#include "editor/ErrCodes.h"
#include "editor/WorkspaceFiles.h"

#include "common/ErrCodes.h"
#include "common/Log.h"
#include "platform/base/Rounding.h"
#include "platform/ui/Messages.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

bool hasData(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).size() > 0;
}

// The selection's ends in ascending order.
std::pair<int64_t, int64_t> orderedSelection(const EditView& view)
{
    return std::minmax(view.selectionStart, view.selectionEnd);
}

// The selection in ascending order, or the whole file when it is empty.
std::pair<int64_t, int64_t> selectionOrAll(const EditView& view)
{
    if (view.selectionStart == view.selectionEnd)
        return {0, view.totalSamples};
    return orderedSelection(view);
}

// The refresh with the view as it was before the command.
EditRefresh keepingView(EditRefresh refresh, const EditView& view)
{
    refresh.zoom = view.zoom;
    refresh.atMaxZoom = refresh.showWhole || view.atMaxZoom;
    refresh.left = view.left;
    return refresh;
}

// Sets the progress window's keep-open flag for its lifetime.
class KeepOpen {
public:
    explicit KeepOpen(JobProgressHost& host)
        : m_host(host)
    {
        m_host.setKeepOpen(true);
    }
    ~KeepOpen() { m_host.setKeepOpen(false); }
    KeepOpen(const KeepOpen&) = delete;
    KeepOpen& operator=(const KeepOpen&) = delete;

private:
    JobProgressHost& m_host;
};

} // namespace

EditHost::~EditHost() = default;

bool hasUndoData(const TDocumentRecord& document)
{
    return hasData(document.undoFile);
}

bool hasRedoData(const TDocumentRecord& document)
{
    return hasData(document.redoFile);
}

EditCommands::EditCommands(EditHost& host, EditLibrary& library, JobRunner& runner,
                           const platform::Messages& messages, ControlPanel& panel,
                           std::function<int(const QString&, FileInformation&)> readInfo, EditFileSteps files)
    : m_host(host)
    , m_library(library)
    , m_runner(runner)
    , m_messages(messages)
    , m_panel(panel)
    , m_readInfo(std::move(readInfo))
    , m_files(std::move(files))
{
}

void EditCommands::showError(int id) const
{
    m_messages.ShowErrorMessage(id);
}

int EditCommands::runProcess(const QString& caption, const JobRunner::ProcessStart& start)
{
    const int code = m_runner.runLibraryProcess(JobKind::EditProcess, m_library, start, caption, true, m_messages,
                                                editor::PlayerErrorToMessageId);
    // The runner leaves a cancel untold; here the user learns that the edit was not made.
    if (code == kCancelledCode)
        showError(kCancelledCode);
    return code;
}

int EditCommands::reloadInformation(TDocumentRecord& document)
{
    FileInformation info;
    if (const int code = m_readInfo(document.workingFile, info); code != 0) {
        qCWarning(lcCommon) << "the working file" << document.workingFile << "cannot be read after an edit:" << code;
        showError(editor::WaveReadErrorToMessageId(code));
        return code;
    }
    document.info = info;
    document.rebuildWaveFormat();
    return 0;
}

void EditCommands::followFiles(const TDocumentRecord& document)
{
    m_panel.setEnabled(Control::Undo, hasUndoData(document));
    m_panel.setEnabled(Control::Redo, hasRedoData(document));
}

void EditCommands::updateControls(TDocumentRecord& document)
{
    m_host.controlsChanged(document, m_panel);
}

std::optional<std::pair<int64_t, int64_t>> EditCommands::selectedRange(TDocumentRecord& document)
{
    if (!m_host.readyForEditing(document))
        return std::nullopt;
    const EditView view = m_host.editView();
    if (view.selectionStart == view.selectionEnd)
        return std::nullopt;
    return orderedSelection(view);
}

int EditCommands::commitProcess(TDocumentRecord& document, const QString& caption, const ProcessIntoFile& edit,
                                const EditRefresh& refresh)
{
    return commit(
        document,
        [&](const QString& output) {
            return runProcess(caption, [&](uint32_t* cell) { return edit(output, cell); });
        },
        refresh);
}

int EditCommands::commit(TDocumentRecord& document, const std::function<int(const QString& output)>& edit,
                         const EditRefresh& refresh)
{
    // The output is reserved in the working file's folder, so the moves below are renames; the
    // reservation deletes it again on every road that does not make it the working file.
    const EditRefresh shown = keepingView(refresh, m_host.editView());
    ReservedFiles names(QFileInfo(document.workingFile).absolutePath());
    const QString output = names.reserve();
    if (output.isEmpty()) {
        qCWarning(lcCommon) << "no name for an edit's output:" << names.error();
        showError(kNoTempName);
        return kNoTempName;
    }
    m_host.prepareViews(document, shown);
    if (const int code = edit(output); code != 0)
        return code;

    if (!m_files.move(document.workingFile, document.undoFile)) {
        // The new audio is dropped rather than kept without its undo step: the document stays as
        // it was, and the undo file still holds the state before it.
        showError(EditCode::CannotMakeUndo);
        return EditCode::CannotMakeUndo;
    }
    if (!m_files.move(output, document.workingFile)) {
        // The old audio goes back; the state the undo file held before is gone with it, so undo
        // is no longer offered rather than offering a wrong state.
        if (!m_files.move(document.undoFile, document.workingFile))
            qCCritical(lcCommon) << "the audio of" << document.displayName << "was left in" << document.undoFile;
        followFiles(document);
        showError(EditCode::CannotComplete);
        return EditCode::CannotComplete;
    }

    // A redo file that stays is still offered: redo then goes to the state undone last, which is
    // no loss; offering nothing while the file is there would leave the panel wrong.
    if (!m_files.remove(document.redoFile))
        qCWarning(lcCommon) << "the redo file" << document.redoFile << "of" << document.displayName
                            << "could not be deleted";
    if (document.saveState == SaveState::Unchanged)
        document.saveState = SaveState::Modified;
    // The display follows the new working file even when its information cannot be read, so that
    // the next command's positions are those of the audio it edits.
    const int infoCode = reloadInformation(document);
    const int viewCode = m_host.refreshViews(document, shown);

    m_panel.setEnabled(Control::Save, true);
    m_panel.setEnabled(Control::Revert, document.saveState != SaveState::Untitled);
    followFiles(document);
    return infoCode != 0 ? infoCode : viewCode;
}

int EditCommands::cut(TDocumentRecord& document, bool toFile)
{
    const auto range = selectedRange(document);
    if (!range)
        return 0;
    const auto [start, end] = *range;
    QString target;
    if (toFile) {
        target = m_host.askTargetFile();
        if (target.isEmpty())
            return 0;
    }
    const EditRefresh refresh{EditRefresh::Peaks::RemoveRange, start, end, start};
    const int code = commitProcess(
        document, QStringLiteral("Cut..."),
        [&](const QString& output, uint32_t* cell) {
            return toFile ? m_library.cutInFile(document.workingFile, start, end, cell, target, output)
                          : m_library.cut(document.workingFile, start, end, cell, output);
        },
        refresh);
    if (code == 0) {
        // The to-file form leaves the clipboard as it was.
        if (!toFile)
            m_panel.setEnabled(Control::Paste, true);
        if (document.isEmpty())
            m_panel.setEnabled(Control::Export, false);
    }
    updateControls(document);
    return code;
}

int EditCommands::copy(TDocumentRecord& document, bool toFile)
{
    const auto range = selectedRange(document);
    if (!range)
        return 0;
    const auto [start, end] = *range;
    QString target;
    if (toFile) {
        target = m_host.askTargetFile();
        if (target.isEmpty())
            return 0;
    }
    const int code = runProcess(QStringLiteral("Copy..."), [&](uint32_t* cell) {
        return toFile ? m_library.copyInFile(document.workingFile, start, end, cell, target)
                      : m_library.copy(document.workingFile, start, end, cell);
    });
    if (code != 0)
        m_panel.setEnabled(Control::Paste, false);
    else if (!toFile)
        m_panel.setEnabled(Control::Paste, true);
    updateControls(document);
    return code;
}

int EditCommands::paste(TDocumentRecord& document, const QString& source)
{
    if (!m_host.readyForEditing(document))
        return 0;
    const EditView view = m_host.editView();
    const bool selection = view.selectionStart != view.selectionEnd;
    const auto [start, end] = orderedSelection(view);
    const int64_t position = selection ? end : view.caret;
    const EditRefresh refresh{EditRefresh::Peaks::Rebuild, 0, 0, position};
    const int code = commit(
        document,
        [&](const QString& output) {
            // A file pasted is a recording inserted into the document.
            const QString caption = source.isEmpty() ? QStringLiteral("Paste...") : QStringLiteral("Preparing...");
            const int pasted = runProcess(caption, [&](uint32_t* cell) {
                return m_library.paste(document.workingFile, position, cell, source, output);
            });
            if (pasted != 0 || !selection)
                return pasted;
            // The pasted audio replaces the selection: cleared from the new file before it becomes
            // the working file, so a failure here leaves the document as it was. The selection
            // lies before the insert position, so its frames are where they were.
            return runProcess(QStringLiteral("Preparing..."), [&](uint32_t* cell) {
                return m_library.clear(output, start, end, cell, QString());
            });
        },
        refresh);
    if (code == 0) {
        UpdateDocumentControls(m_panel, {&document, true, hasUndoData(document), hasRedoData(document),
                                         m_library.canPaste() == 1, false});
    }
    updateControls(document);
    return code;
}

int EditCommands::clear(TDocumentRecord& document)
{
    const auto range = selectedRange(document);
    if (!range)
        return 0;
    const auto [start, end] = *range;
    const int code = commitProcess(
        document, QStringLiteral("Clear..."),
        [&](const QString& output, uint32_t* cell) {
            return m_library.clear(document.workingFile, start, end, cell, output);
        },
        {EditRefresh::Peaks::RemoveRange, start, end, start});
    if (code == 0 && document.isEmpty())
        m_panel.setEnabled(Control::Export, false);
    updateControls(document);
    return code;
}

int EditCommands::crop(TDocumentRecord& document)
{
    const auto range = selectedRange(document);
    if (!range)
        return 0;
    const auto [start, end] = *range;
    const int code = commitProcess(
        document, QStringLiteral("Crop..."),
        [&](const QString& output, uint32_t* cell) {
            return m_library.crop(document.workingFile, start, end, cell, output);
        },
        {EditRefresh::Peaks::Rebuild, 0, 0, start});
    updateControls(document);
    return code;
}

int EditCommands::mute(TDocumentRecord& document, int channels)
{
    if (!m_host.readyForEditing(document))
        return 0;
    const EditView view = m_host.editView();
    if (view.totalSamples == 0)
        return 0;
    const auto [start, end] = selectionOrAll(view);
    const int code = commitProcess(
        document, QStringLiteral("Mute..."),
        [&](const QString& output, uint32_t* cell) {
            return m_library.mute(document.workingFile, start, end, cell, channels, output);
        },
        {EditRefresh::Peaks::Rebuild, 0, 0, view.caret});
    updateControls(document);
    return code;
}

int EditCommands::trimSilence(TDocumentRecord& document, double thresholdPercent)
{
    if (!m_host.readyForEditing(document))
        return 0;
    const EditView view = m_host.editView();
    if (view.totalSamples == 0)
        return 0;
    const auto [start, end] = selectionOrAll(view);
    const auto threshold =
        uint16_t(std::clamp<int64_t>(platform::roundHalfEven(thresholdPercent * 100), 0, UINT16_MAX));
    const int code = commitProcess(
        document, QStringLiteral("Trim Silence..."),
        [&](const QString& output, uint32_t* cell) {
            return m_library.trimSilence(document.workingFile, start, end, cell, threshold, output);
        },
        {EditRefresh::Peaks::Rebuild, 0, 0, view.caret});
    updateControls(document);
    return code;
}

int EditCommands::undo(TDocumentRecord& document)
{
    return rotate(document, true);
}

int EditCommands::redo(TDocumentRecord& document)
{
    return rotate(document, false);
}

int EditCommands::rotate(TDocumentRecord& document, bool undoing)
{
    // Undo: working -> redo, undo -> working. Redo: working -> undo, redo -> working.
    const QString& from = undoing ? document.undoFile : document.redoFile;
    const QString& keep = undoing ? document.redoFile : document.undoFile;
    // An empty or missing file is no state to go back to.
    if (!hasData(from))
        return 0;
    const EditView view = m_host.editView();
    // The display's peak build that follows must not be closed half-way: the files have already
    // moved.
    const KeepOpen keepOpen(m_runner.progressHost());

    if (!m_files.move(document.workingFile, keep)) {
        showError(EditCode::CannotMakeRedo);
        return EditCode::CannotMakeRedo;
    }
    if (!m_files.move(from, document.workingFile)) {
        if (!m_files.move(keep, document.workingFile))
            qCCritical(lcCommon) << "the audio of" << document.displayName << "was left in" << keep;
        followFiles(document);
        updateControls(document);
        const int code = undoing ? EditCode::CannotUndo : EditCode::CannotMakeRedo;
        showError(code);
        return code;
    }
    const EditRefresh reopen = keepingView({EditRefresh::Peaks::Reopen, 0, 0, view.caret}, view);
    if (const int code = m_host.refreshViews(document, reopen); code != 0) {
        rollBack(document, from, keep, undoing, reopen);
        return code;
    }
    const int code = reloadInformation(document);
    UpdateDocumentControls(m_panel, {&document, true, hasUndoData(document), hasRedoData(document),
                                     m_library.canPaste() == 1, false});
    m_panel.setEnabled(Control::Undo, !undoing);
    m_panel.setEnabled(Control::Redo, undoing);
    updateControls(document);
    return code;
}

void EditCommands::rollBack(TDocumentRecord& document, const QString& from, const QString& keep, bool undoing,
                            const EditRefresh& reopen)
{
    EditRefresh restore = reopen;
    restore.peaks = EditRefresh::Peaks::Restore;
    if (!m_files.move(document.workingFile, from)) {
        showError(undoing ? EditCode::CannotUndo : EditCode::CannotMakeRedo);
        // The working file keeps the other state, which the view was not made for.
        reloadInformation(document);
        restore.atMaxZoom = true;
    } else if (!m_files.move(keep, document.workingFile)) {
        showError(EditCode::CannotMakeRedo);
        qCCritical(lcCommon) << "the audio of" << document.displayName << "was left in" << keep;
        restore.atMaxZoom = true;
    }
    // The display opened the other state: it shows what the working file holds now.
    m_host.refreshViews(document, restore);
    followFiles(document);
    updateControls(document);
}
