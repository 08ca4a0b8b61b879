#pragma once
// The running editor's side of a command line: taking a second start's
// hand-over block, and opening the files of a command line (its own at first
// show, or a handed-over one) later, from the event loop. What this needs of
// the main window comes through CommandLineHost.

#include "editor/CommandLine.h"

#include <QObject>
#include <QString>

#include <deque>

inline constexpr int kWmaDecoderMissing = 1; // the playlist import could not load the WMA decoder

class CommandLineHost {
public:
    virtual ~CommandLineHost();
    // The main window's busy flag.
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;
    virtual bool mainWindowVisible() const = 0;
    virtual void raiseMainWindow() = 0;
    virtual bool recording() const = 0;
    // Stops playback when it runs.
    virtual void stopPlayback() = 0;
    // Music or voice: the next file is that track of the recorder (and the format
    // change is hidden); Normal: normal-track mode.
    virtual void enterTrackMode(TrackRole role) = 0;
    // Imports a WMA playlist into a new temporary WAV and names it in *wav: 0,
    // or kWmaDecoderMissing, or the code of a failure already shown.
    virtual int importWmaPlaylist(const QString& path, QString* wav) = 0;
    virtual void openAsUnsaved(const QString& path) = 0;
    // Opens the file into the workspace as the track of the role, as File > Open
    // does (an MP3 or WMA decoded into its working file), showing any failure
    // but 229: 0 or the code.
    virtual int openFile(const QString& path, TrackRole role) = 0;
    // The download questions of the missing MP3 and WMA components (229, and the
    // codec question).
    virtual void offerMp3Component() = 0;
    virtual void offerWmaComponent() = 0;
};

class CommandLineProcessor {
public:
    explicit CommandLineProcessor(CommandLineHost& host);

    // A second start's block while it waits: true (taken) when the window is not
    // busy and the block is not empty, and either the window is shown or the
    // block is a "/Burn" one. A taken block is opened later from the event loop;
    // a shown window is raised.
    bool receive(const QByteArray& data);
    // Opens the command line later from the event loop.
    void post(EditorCommandLine line);
    // Command lines that came while the window was busy wait for this, called
    // when the busy flag clears; they are then opened in the order they came.
    void busyEnded();

    int waiting() const { return int(m_waiting.size()); }

private:
    void schedule();
    void openWaiting();
    void open(const EditorCommandLine& line);

    CommandLineHost& m_host;
    QObject m_context;
    std::deque<EditorCommandLine> m_waiting;
};
