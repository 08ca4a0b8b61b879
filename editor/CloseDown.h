#pragma once
// The main window's close-down, without the window: the order of the steps and what stops it.
// Everything the steps touch (transport, documents, devices, settings) comes through CloseDownHost.

class CloseDownHost {
public:
    virtual ~CloseDownHost();
    virtual void setBusy(bool busy) = 0;
    // Each stops what runs and does nothing otherwise.
    virtual void stopPlayback() = 0;
    virtual void stopRecording() = 0;
    virtual void stopLevelTest() = 0;
    virtual int documentCount() const = 0;
    // Closes the document, asking about unsaved changes: 0, 129 when the user kept it, or the code
    // of a failure already shown.
    virtual int closeDocumentAt(int index) = 0;
    virtual void showMainWindow() = 0;
    // Saves the waveform colours and the format-change target: 0, or the message id of the failure
    // (not yet shown).
    virtual int saveSettings() = 0;
    virtual void showError(int id) = 0;
    // Writes the selected recording source (showing its own failure), lets the sound devices go and
    // frees the effect modules.
    virtual void releaseDevices() = 0;
};

// True when the window may close. The documents are closed from the last to the first; when the
// user keeps one, the window stays, shown and no longer busy, and nothing else is done. A setting
// that cannot be saved is told, and the devices are let go all the same.
bool closeDown(CloseDownHost& host);
