#include "editor/CloseDown.h"

#include "editor/Workspace.h"

CloseDownHost::~CloseDownHost() = default;

bool closeDown(CloseDownHost& host)
{
    host.setBusy(true);
    host.stopPlayback();
    host.stopRecording();
    for (int index = host.documentCount() - 1; index >= 0; --index) {
        if (host.closeDocumentAt(index) == kCancelled) {
            host.showMainWindow();
            host.setBusy(false);
            return false;
        }
    }
    host.stopLevelTest();
    if (const int failure = host.saveSettings())
        host.showError(failure);
    host.releaseDevices();
    host.setBusy(false);
    return true;
}
