#include "recorder/MixFade.h"

#include <algorithm>

namespace recorder {

void TMixFade::SetRange(int min, int max)
{
    m_min = min;
    m_max = max;
}

void TMixFade::Clear()
{
    m_entries.clear();
}

void TMixFade::StartRecording(int64_t frame)
{
    Clear();
    m_entries.push_back({frame, m_value});
    m_recording = true;
    m_paused = false;
}

void TMixFade::SetFaderValue(int value, int64_t frame)
{
    if (m_recording && !m_paused && value != m_value) {
        const int64_t last = m_entries.empty() ? frame : m_entries.back().frame;
        m_entries.push_back({std::max(frame, last), value});
    }
    m_value = value;
}

void TMixFade::Pause()
{
    if (m_recording)
        m_paused = true;
}

void TMixFade::Resume()
{
    if (m_recording)
        m_paused = false;
}

void TMixFade::StopRecording()
{
    m_recording = false;
    m_paused = false;
}

int TMixFade::GetValueAtFrame(int64_t frame) const
{
    const auto after = std::upper_bound(m_entries.begin(), m_entries.end(), frame,
                                        [](int64_t f, const Entry& entry) { return f < entry.frame; });
    return after == m_entries.begin() ? m_value : std::prev(after)->value;
}

int faderValueAt(const TMixFade* automation, int fader, int64_t frame)
{
    // Before the take began nothing was recorded: the fader stays where it is.
    if (!automation || automation->Entries().empty() || frame < automation->Entries().front().frame)
        return fader;
    return automation->GetValueAtFrame(frame);
}

} // namespace recorder
