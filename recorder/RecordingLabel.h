#pragma once
// The "Recording" label beside the record buttons while a take runs: it blinks on the position
// timer, and says "Paused" while the take is paused.

#include <QString>

namespace recorder {

// Ticks of the position timer between two changes of the label's transparency.
inline constexpr int kRecordingLabelBlinkTicks = 5;

struct RecordingLabelLook {
    QString caption;
    bool transparent = true; // the window shows through; opaque shows the label's own background
    bool whiteText = true;   // else black

    friend bool operator==(const RecordingLabelLook&, const RecordingLabelLook&) = default;
};

class RecordingLabelBlink {
public:
    // One tick of the position timer while a take runs. Paused: "Paused", opaque, white text, and
    // the count waits. Otherwise every fifth tick toggles the transparency (black text on the
    // window, white text on the label's background), with the caption "Recording".
    const RecordingLabelLook& tick(bool paused);
    // The look a take leaves behind: "Recording", transparent, white text; the count starts over.
    void reset();
    const RecordingLabelLook& look() const { return m_look; }

private:
    RecordingLabelLook m_look{QStringLiteral("Recording"), true, true};
    int m_ticks = 0;
};

} // namespace recorder
