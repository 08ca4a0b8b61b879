#pragma once
// Peak levels of what is played or recorded, 0..100 per channel (linear, 100 = full scale), taken
// over the frames heard since the previous poll. The audio thread notes the peak of each block with
// the number of its first frame; a poll takes the blocks that have started to be heard, so the
// meters follow what comes out of the speakers, not what was handed to the stream ahead of it.
// When nobody polls for long, the newest block takes the peaks of all that follows, so a late poll
// still sees the peak of its whole window.

#include "platform/audio/AudioBackend.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace platform::audio {

class LevelMeter {
public:
    explicit LevelMeter(const StreamFormat& format);

    // Audio thread: `frames` frames of data, the first of which is frame `index` of the stream.
    void add(const void* data, int64_t frames, int64_t index);
    // Polling thread: the peaks of the blocks that begin before frame `heard` and were not polled
    // yet; 0 and 0 when there are none. Mono gives the same level on both sides.
    void poll(int64_t heard, int* left, int* right);

private:
    struct Block {
        std::atomic<int64_t> start{0};
        std::atomic<int> left{0};
        std::atomic<int> right{0};
    };
    static constexpr int kBlocks = 1024;
    static constexpr int kBlockFrames = 1024;

    StreamFormat m_format;
    std::array<Block, kBlocks> m_blocks;
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_polled{0};
};

} // namespace platform::audio
