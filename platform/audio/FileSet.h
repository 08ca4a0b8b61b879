#pragma once
// Files played one after the other as one playback: the previews of MP3, WMA and Ogg files (decoded
// as they play) and sets of WAV files. A set has one format and one frame count fixed when it is
// made, so positions and seeks are exact: decoded files are decoded into the first file's rate and
// channels as 16-bit PCM and each lasts exactly the frames its stream states; WAV files must share
// one PCM format.

#include "platform/audio/AudioBackend.h"
#include "platform/audio/FrameReader.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::audio {

class FileSet : public std::enable_shared_from_this<FileSet> {
public:
    enum class Kind {
        Wave,    // PCM WAV files, read as they are
        Decoded, // any audio file the decoder reads (MP3, WMA, Ogg Vorbis, WAV)
    };

    // 0, or 100 no file, 102 a file cannot be opened, 104 a file that cannot be played (not audio
    // the decoder reads; a WAV not 8/16-bit 1/2-channel PCM), 107 WAV files of different formats,
    // 108-110 and 104 as for a single WAV, 304 out of memory.
    static uint16_t make(Kind kind, const QStringList& files, std::shared_ptr<const FileSet>& set);

    const StreamFormat& format() const { return m_format; }
    int64_t frames() const { return m_items.empty() ? 0 : m_items.back().start + m_items.back().frames; }
    int count() const { return int(m_items.size()); }
    // The file that holds frame (the last one for frames past the end), and where it starts.
    int fileAt(int64_t frame) const;
    int64_t startOf(int file) const { return m_items[std::size_t(file)].start; }
    // A new reader of the set's frames, at frame 0.
    std::unique_ptr<FrameReader> reader() const;

private:
    friend class FileSetReader;
    struct Item {
        QString path;
        int64_t start = 0;
        int64_t frames = 0;
    };

    // A reader of one file's frames, at its frame `frame`; null when it cannot be opened.
    std::unique_ptr<FrameReader> openItem(int file, int64_t frame) const;

    Kind m_kind = Kind::Wave;
    StreamFormat m_format;
    std::vector<Item> m_items;
};

} // namespace platform::audio
