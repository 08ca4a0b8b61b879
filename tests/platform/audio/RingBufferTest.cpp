// The lock-free ring between the audio thread and the engine's reader and writer threads.
#include "platform/audio/RingBuffer.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using platform::audio::RingBuffer;

TEST(RingBuffer, KeepsOrderAcrossTheWrap)
{
    RingBuffer ring(6);
    EXPECT_EQ(ring.capacity(), 8u);
    const char in[] = "abcdefghij";
    EXPECT_EQ(ring.write(in, 5), 5u);
    char out[16] = {};
    EXPECT_EQ(ring.read(out, 3), 3u);
    EXPECT_EQ(ring.write(in + 5, 5), 5u); // wraps
    EXPECT_EQ(ring.writeAvailable(), 1u);
    EXPECT_EQ(ring.write(in, 4), 1u);
    EXPECT_EQ(ring.skip(1), 1u);
    EXPECT_EQ(ring.read(out, 16), 7u);
    EXPECT_EQ(std::string(out, 7), "efghija");
    EXPECT_EQ(ring.fill(0x80, 20), 8u);
    EXPECT_EQ(ring.read(out, 2), 2u);
    EXPECT_EQ(uint8_t(out[1]), 0x80);
    EXPECT_EQ(ring.read(nullptr, 0), 0u);
}

// One producer and one consumer on their own threads, in uneven pieces: every byte arrives once,
// in order.
TEST(RingBuffer, CarriesAStreamBetweenTwoThreads)
{
    RingBuffer ring(4096);
    constexpr std::size_t kTotal = 4 * 1024 * 1024;
    std::thread producer([&] {
        std::vector<uint8_t> piece(3000);
        std::size_t sent = 0;
        std::size_t size = 1;
        while (sent < kTotal) {
            size = size * 7 % 2999 + 1;
            const std::size_t n = std::min(size, kTotal - sent);
            for (std::size_t i = 0; i < n; ++i)
                piece[i] = uint8_t((sent + i) * 31 % 251);
            std::size_t done = 0;
            while (done < n)
                done += ring.write(piece.data() + done, n - done);
            sent += n;
        }
    });
    std::vector<uint8_t> piece(2500);
    std::size_t received = 0;
    bool ordered = true;
    while (received < kTotal) {
        const std::size_t n = ring.read(piece.data(), piece.size() - received % 13);
        for (std::size_t i = 0; i < n; ++i)
            ordered = ordered && piece[i] == uint8_t((received + i) * 31 % 251);
        received += n;
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(ring.readAvailable(), 0u);
}
