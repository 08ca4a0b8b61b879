#pragma once
// The recording window's transport wired to its widgets: the play, pause, stop, rewind, forward
// and skip buttons and their Playback menu items, the 50 ms position timer that moves the position
// box, the carets, the position slider, the meters and the clip lamps while a track plays, the
// one-second clip timer, the zoom, the position slider and box and the carets kept together, and the
// playback-ended message. The rules are Transport.h's; this class
// only carries them out on the form's named controls.

#include "recorder/Transport.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QAction;

namespace platform {
class Messages;
}

namespace controls {
class TQzv32WaveDisplay;
}

namespace recorder {

class TLiveOvedubbingForm;

class PlaybackControls : public QObject {
    Q_OBJECT

public:
    // A child of the form; the engine and the messages outlive it.
    PlaybackControls(TLiveOvedubbingForm& form, platform::audio::AudioEngine& engine,
                     const platform::Messages& messages, std::function<bool()> preventSaturation);
    ~PlaybackControls() override;

    const PlaybackTransport& transport() const { return m_transport; }
    bool positionTimerActive() const { return m_positionTimer.isActive(); }

    void command(TransportCommand command);
    void fastForward();
    void rewind();
    void skipToStart();
    void skipToEnd();
    // Both displays follow the voice display (the music display alone without a voice track).
    void zoomIn();
    void zoomOut();
    void zoomToExtents();
    // The meters and clip lamps: levels 0..100 per channel; a level past the clip threshold
    // lights its lamp for a second. resetMeters puts both at 0 with the lamps off.
    void showLevels(int left, int right);
    void resetMeters();
    // While the record level test runs and nothing plays, the position timer shows the input's
    // levels.
    void showLevelTest(bool running);

protected:
    // Takes the engine's playback-ended message off the form.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class T> T* control(Control c) const;
    void connectCommand(Control button, Control item, TransportCommand command);
    void connectAction(Control button, Control item, void (PlaybackControls::*action)());
    TransportSituation situation() const;
    PlaySource source() const;
    void apply(const TransportStep& step);
    void popUp(TransportCommand command);
    void stopPlayback();
    void playbackEnded(bool saturated);
    void tick();
    void lampsOff();
    void setLamp(int channel, bool on);
    // Both carets, the position box, the slider with its selection and the view ruler at frame.
    void showFrame(int64_t frame);
    // After a zoom: the other display takes the leader's view; the view ruler, the status bar's
    // zoom and the slider's selection follow.
    void showZoom(controls::TQzv32WaveDisplay& lead);
    // The slider, a display's caret or the position box moved the position.
    void sliderMoved(int step);
    void positionTyped();
    // The display that leads the slider and rulers: the voice display when it holds a track.
    controls::TQzv32WaveDisplay* leader() const;

    TLiveOvedubbingForm& m_form;
    platform::audio::AudioEngine& m_engine;
    const platform::Messages& m_messages;
    std::function<bool()> m_preventSaturation;
    PlaybackTransport m_transport;
    QTimer m_positionTimer;
    QTimer m_clipTimer;
};

} // namespace recorder
