// Edit > Change Format: the working file converted into another format, as one step of undo.
#include "editor/EditCommands.h"

int EditCommands::changeFormat(TDocumentRecord& document, const Conversion& convert)
{
    if (!m_host.readyForEditing(document))
        return 0;
    EditRefresh refresh{EditRefresh::Peaks::Rebuild, 0, 0, 0};
    refresh.showWhole = true;
    const int code = commit(
        document, [&](const QString& output) { return convert(document.workingFile, output); }, refresh);
    if (code == 0)
        UpdateDocumentControls(m_panel, {&document, true, hasUndoData(document), hasRedoData(document),
                                         m_library.canPaste() == 1, false});
    updateControls(document);
    return code;
}
