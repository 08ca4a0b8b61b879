#pragma once
// The preview player of the builder's audio page: a horizontal track bar whose thumb shows where one
// audio file (WAV, MP3, WMA or Ogg Vorbis) is heard, and lets the user seek in it. Positions are
// milliseconds. The builder sets the file, starts and stops the preview, and learns of its end by
// the message 0x466 posted to its notify window (and the previewEnded() signal).

#include "platform/audio/AudioEngine.h"
#include "platform/audio/PreviewPlayers.h"
#include "platform/base/PostedMessage.h"

#include <QPointer>
#include <QSlider>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace podcast {

// What plays a file, by its extension (any case).
enum class AuditionKind { None, Wave, Mp3, Wma, Ogg };
AuditionKind auditionKindOf(const QString& path);

// The position a press at x jumps to, on a bar `width` pixels wide showing [min, max]; x outside
// the bar counts as its nearer end.
int auditionClickPosition(int min, int max, int x, int width);
// The position timer's interval in ms, so that the thumb moves about one pixel per tick.
int auditionTickInterval(int range, int pixels);

class TAuditionSlider : public QSlider {
    Q_OBJECT

public:
    // Posted to the notify window when a preview has ended.
    static constexpr uint32_t kMsgPreviewEnded = 0x466;
    // The play state: 200 playing, 203 stopped (neither before the first play).
    enum class PlayState { Idle = 0, Playing = 200, Stopped = 203 };

    // The engine and the two preview players must outlive the slider; it is the engine's callback
    // window while it lives, and gives that place back to the window it took it from.
    TAuditionSlider(platform::audio::AudioEngine& engine, platform::audio::PlivornPlayback& wma,
                    platform::audio::VorbisPlayback& vorbis, QWidget* parent = nullptr);
    ~TAuditionSlider() override;

    QString FileName() const { return m_fileName; }
    // Reads the file's length and makes it the range, thumb at the start, control enabled. On
    // failure FileName is cleared and the error text is returned: "<path> File Not Exists", or
    // "Invalid Media File TAuditionSlider" for a type we do not preview or an unreadable file.
    std::optional<QString> setFileName(const QString& path);

    int Max() const { return maximum(); }
    int Min() const { return minimum(); }
    int MaxPlayTime() const { return m_maxPlayTime; }
    // The WMA preview always plays on the engine's output.
    uint32_t Device() const { return 0; }
    int Position() const { return value(); }
    // Negative positions are ignored.
    void setPosition(int position);

    // Starts the preview from Position: 0, or the player's code. Nothing while playing.
    uint16_t Play();
    // Ends the preview (0); the end is then handled as when the file has played out.
    uint16_t Stop();
    // The engine's preferred output device into device (-1 when there is none): 0 or its code.
    uint16_t GetPreferredOutputDevice(int& device);
    void SetNotifyWindow(QObject* window);
    // Every player library is linked in, so none is ever missing: always 0.
    int GetLoadError() const { return 0; }

    PlayState playState() const { return m_state; }

signals:
    // The user moved the thumb (keys, wheel, mouse).
    void OnChange();
    // A preview has ended, as the message to the notify window says.
    void previewEnded();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The position heard, and whether the preview is over.
    struct Heard {
        int position = 0;
        bool over = false;
    };

    void stopPlayer();
    void updatePosition();
    Heard heard();
    void seek(int position);
    void userMoved(bool ended);
    void previewOver();

    platform::audio::AudioEngine& m_engine;
    platform::audio::PlivornPlayback& m_wma;
    platform::audio::VorbisPlayback& m_vorbis;
    QString m_fileName;
    AuditionKind m_kind = AuditionKind::None;
    int m_maxPlayTime = 10;
    int m_startPosition = 0;
    PlayState m_state = PlayState::Idle;
    uint32_t m_wmaHandle = 0;
    bool m_endPending = false;
    bool m_dragging = false;
    QTimer m_timer;
    QPointer<QObject> m_previousCallbackWindow;
    platform::MessagePoster m_self;
    platform::MessagePoster m_notify;
};

} // namespace podcast
