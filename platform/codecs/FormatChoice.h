#pragma once
// What the format library's format-choice dialog decides, without its widgets: the formats it
// offers, the one it starts on, and its answer in the caller's format buffer and size cell. The
// dialog window shows formats() and calls select(), then accept() or cancel().
//
// The dialog's answers are the format library's codes (VXFmtHlp.h): 0 a format was chosen, 101
// cancelled, 102 the buffer is too small (the size cell then holds the size needed; the caller
// makes a buffer of that size and asks again), 142 a missing buffer or size cell.

#include "common/WaveFormat.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace platform::codecs {

// Start on the format the caller's buffer holds (when the dialog offers it).
inline constexpr uint32_t kFormatChoiceStartWithBuffer = 1;

class FormatChoice {
public:
    struct Entry {
        WaveFormatEx format;
        QString text; // "44,100 Hz, 16 Bit, Stereo (172 KB/s)"
    };

    // The sample rates every dialog offers; the source's rate and the buffer's are added.
    static const QList<uint32_t>& standardRates();

    // source: the format of the file to convert, when known (null otherwise). buffer and sizeCell
    // as the caller passes them; flags: kFormatChoiceStartWithBuffer or 0.
    FormatChoice(const WaveFormatEx* source, const uint8_t* buffer, const uint32_t* sizeCell, uint32_t flags);

    // Whether the dialog may be shown: 0, or 102 / 142 as above (then *sizeCell was set by
    // prepare()).
    int prepare(uint32_t* sizeCell) const;

    // PCM at every offered rate, 8 and 16 bits, mono and stereo, by rate, then bits, then channels.
    const QList<Entry>& formats() const { return m_formats; }
    int selected() const { return m_selected; }
    // False (and nothing changes) for an index outside formats().
    bool select(int index);

    // OK pressed: the chosen record (18 bytes) into buffer, *sizeCell := 18; 0, or 102 / 142 when
    // the buffer cannot take it.
    int accept(uint8_t* buffer, uint32_t* sizeCell) const;
    // Cancel pressed: the buffer stays as it was.
    static int cancel();

private:
    QList<Entry> m_formats;
    int m_selected = 0;
    bool m_bufferFits = false;
    bool m_hasBuffer = false;
};

} // namespace platform::codecs
