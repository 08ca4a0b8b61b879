#include "recorder/RecordingLabel.h"

namespace recorder {

const RecordingLabelLook& RecordingLabelBlink::tick(bool paused)
{
    if (paused) {
        m_look = {QStringLiteral("Paused"), false, true};
        return m_look;
    }
    if (++m_ticks >= kRecordingLabelBlinkTicks) {
        m_ticks = 0;
        m_look.transparent = !m_look.transparent;
        m_look.whiteText = !m_look.transparent;
    }
    m_look.caption = QStringLiteral("Recording");
    return m_look;
}

void RecordingLabelBlink::reset()
{
    m_look = {QStringLiteral("Recording"), true, true};
    m_ticks = 0;
}

} // namespace recorder
