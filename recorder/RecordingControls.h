#pragma once
// The recording window's takes wired to its widgets: the Voice & Music button (start, and stop),
// Pause Rec, the Voice and Music buttons, the questions before a take over loaded tracks (insert at
// the position box, or clear them), the recording format asked for when none is set, the position,
// levels and blinking label while recording, the one-second free-space check, the insert of the
// take when it stops, and a take that ends by itself (the engine's news, and the music-track
// library's message that the music take ended). The takes themselves are TakeRecording.h's.

#include "recorder/BusyFlag.h"
#include "recorder/RecordingLabel.h"
#include "recorder/SetControlState.h"
#include "recorder/TakeRecording.h"
#include "recorder/TrackLoader.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

namespace recorder {

class TLiveOvedubbingForm;
struct RecordingWindowServices;

class RecordingControls : public QObject {
    Q_OBJECT

public:
    // A child of the form; the services outlive it.
    RecordingControls(TLiveOvedubbingForm& form, const RecordingWindowServices& services);
    ~RecordingControls() override;

    const VoiceAndMusicTake& take() const { return m_take; }
    const OverdubTake& overdub() const { return m_overdub; }
    bool freeSpaceTimerActive() const { return m_spaceTimer.isActive(); }

    void voiceAndMusicClicked();
    void pauseClicked();
    // The Voice and Music buttons: the first press records that track while the other plays, the
    // next press stops; a press while the other button records is undone.
    void overdubClicked(OverdubSide side);

protected:
    // The engine's news that the take ended by itself, and the music-track library's message that
    // the music take did.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class T> T* control(Control c) const;
    void startTake();
    // musicEnded: the music take ended by itself, which the caller reports.
    void stopTake(bool musicEnded = false);
    // The free-space check and, when no recording format is set, the format question and the
    // question whether to start now: false when the take must not start (shown already).
    bool readyToRecord();
    // takeEnded: the take ended by itself, which the caller reports.
    void stopOverdub(bool takeEnded = false);
    // The music take could not go on (its file or its output failed): the take it belongs to stops
    // as its button would, keeping what was recorded, and message 123 says why.
    void musicTakeEnded();
    // What every stopped take undoes: the fader's recording, the meters, captions and label, the
    // recording flags and the busy flag.
    void takeStopped();
    // The news that a side of a take ended, come after the take was already stopped and told by the
    // other side's: true when it is that (it is then only logged).
    bool lateEndNews();
    // After a take was stopped by the news that it ended: the other side's news, already queued,
    // is taken as late.
    void expectLateEndNews();
    // Pads the shorter working WAV with silence to the other's length; a stop leaves both tracks
    // of one length.
    void equalizeTracks();
    // Puts the finished overdub of side at frame of its track, so it lines up with what was heard.
    void placeOverdub(TrackSide side, int64_t frame);
    void popUpOverdub(OverdubSide side);
    // Whichever take runs, stopped as its button would.
    void stopRunningTake();
    // Puts the Voice & Music button up with its caption and Pause Rec off.
    void popUp();
    void tick();
    void checkFreeSpace();
    // Pastes the take of each side into the parked track at the insert position. Either both
    // tracks take the insert or, after a failure (shown), both stay as they were without the take.
    void insertTakes();
    // The displays' captions: "Recording ..." on each side that records, the empty track's caption
    // on the others; the recording label shows while either records.
    void showCaptions(bool voice, bool music);
    void showLabel(const RecordingLabelLook& look);

    TLiveOvedubbingForm& m_form;
    const RecordingWindowServices& m_services;
    VoiceAndMusicTake m_take;
    OverdubTake m_overdub;
    std::optional<BusyGuard> m_busy;
    RecordingLabelBlink m_label;
    QTimer m_positionTimer;
    QTimer m_spaceTimer;
    bool m_insert = false;
    // A take was just stopped by the news that it ended by itself, and the user was told.
    bool m_endTold = false;
    int64_t m_insertPosition = 0;
    std::array<std::optional<TrackRecord>, 2> m_parked; // voice, music
};

} // namespace recorder
