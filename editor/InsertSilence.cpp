// Edit > Insert Silence: silence at the caret, or in place of the selection.
#include "editor/EditCommands.h"

#include "platform/base/Rounding.h"

#include <algorithm>

int EditCommands::insertSilence(TDocumentRecord& document, int64_t durationMs, std::pair<int64_t, int64_t>* silence)
{
    if (!m_host.readyForEditing(document))
        return 0;
    const EditView view = m_host.editView();
    const bool selection = view.selectionStart != view.selectionEnd;
    const auto [start, end] = std::minmax(view.selectionStart, view.selectionEnd);
    // Silence goes in after the selection, which is then removed, so that it takes the
    // selection's place.
    const int64_t position = selection ? end : view.caret;
    const int64_t first = selection ? start : position;
    // As many frames as the engine makes of the duration.
    const int64_t frames = platform::divRoundHalfEven(durationMs * int64_t(document.waveFormat.samplesPerSec), 1000);
    const EditRefresh refresh{EditRefresh::Peaks::Rebuild, 0, 0, first};
    const int code = commit(
        document,
        [&](const QString& output) {
            const int inserted = runProcess(QStringLiteral("Inserting Silence..."), [&](uint32_t* cell) {
                return m_library.insertSilence(document.workingFile, position, cell, durationMs, output);
            });
            if (inserted != 0 || !selection)
                return inserted;
            // The selection lies before the silence, so its frames are where they were; a failure
            // here leaves the document as it was.
            return runProcess(QStringLiteral("Preparing..."), [&](uint32_t* cell) {
                return m_library.clear(output, start, end, cell, QString());
            });
        },
        refresh);
    if (code == 0) {
        if (silence)
            *silence = {first, first + frames};
        UpdateDocumentControls(m_panel, {&document, true, hasUndoData(document), hasRedoData(document),
                                         m_library.canPaste() == 1, false});
    }
    updateControls(document);
    return code;
}
