// The previews on the virtual backend: MP3, WMA and Ogg files decoded as they play, and sets of WAV
// and MP3 files, with what is heard checked against ffmpeg's decode of the same files, positions,
// seeks, the ended message and the codes of bad files.
#include "platform/audio/AudioEngine.h"
#include "platform/audio/PlayerCodes.h"
#include "platform/audio/PreviewPlayers.h"
#include "platform/audio/VirtualBackend.h"

#include "tests/platform/audio/EngineTestSupport.h"
#include "tests/platform/audio/MessageRecorder.h"
#include "tests/platform/codecs/CodecFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace platform::audio;
using enginetest::frames;
using enginetest::ramp16;
using enginetest::runPostedMessages;
using enginetest::writeWave;

namespace {

constexpr int kFrameBytes = 4; // 16-bit stereo

PlaybackSetEntry entry(const QString& path)
{
    PlaybackSetEntry e;
    const QByteArray bytes = path.toUtf8();
    std::memcpy(e.path, bytes.constData(), std::min<std::size_t>(std::size_t(bytes.size()), sizeof e.path - 1));
    return e;
}

class Previews : public ::testing::Test {
protected:
    // The compressed fixtures and ffmpeg's decodes of them, made once for the suite while no
    // playback runs.
    static void SetUpTestSuite()
    {
        s_folder = new QString(testsupport::testFolder());
        s_mp3 = new QString(codecfixtures::ffmpegTone(*s_folder + "/tone.mp3", 3, 8000, 2,
                                                      {"-c:a", "libmp3lame", "-b:a", "64k"}));
        s_wma = new QString(codecfixtures::ffmpegTone(*s_folder + "/tone.wma", 2, 8000, 2,
                                                      {"-c:a", "wmav2", "-b:a", "48k"}));
        s_ogg = new QString(codecfixtures::ffmpegTone(*s_folder + "/tone.ogg", 2, 8000, 2,
                                                      {"-c:a", "libvorbis", "-q:a", "3"}));
        s_mono = new QString(codecfixtures::ffmpegTone(*s_folder + "/mono.mp3", 1, 16000, 1,
                                                       {"-c:a", "libmp3lame", "-b:a", "32k"}));
        s_mp3Decoded = new QByteArray(codecfixtures::ffmpegDecode(*s_mp3));
        s_wmaDecoded = new QByteArray(codecfixtures::ffmpegDecode(*s_wma));
        s_oggDecoded = new QByteArray(codecfixtures::ffmpegDecode(*s_ogg));
        s_monoDecoded = new QByteArray(codecfixtures::ffmpegDecode(*s_mono, 16, 8000, 2));
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_mp3->isEmpty() || s_wma->isEmpty() || s_ogg->isEmpty() || s_mono->isEmpty());
        backend.setPeriod(256);
        engine.SetCallbackWindow(&window);
    }

    int ended()
    {
        runPostedMessages();
        return window.count(kMsgPlaybackEnded);
    }

    // Plays on until the end message and returns what the current stream made audible.
    QByteArray playToTheEnd(int stream)
    {
        for (int i = 0; i < 1000 && ended() == 0; ++i)
            backend.advance(2000);
        return backend.outputAudio(stream);
    }

    static inline QString* s_folder;
    static inline QString* s_mp3;
    static inline QString* s_wma;
    static inline QString* s_ogg;
    static inline QString* s_mono;
    static inline QByteArray* s_mp3Decoded;
    static inline QByteArray* s_wmaDecoded;
    static inline QByteArray* s_oggDecoded;
    static inline QByteArray* s_monoDecoded;

    VirtualBackend backend;
    AudioEngine engine{backend};
    testsupport::MessageRecorder window;
};

} // namespace

// What is heard is ffmpeg's decode of the file, from each seek on; the end comes once, and the
// position follows in milliseconds.
TEST_F(Previews, AnMp3PlaysWhatFfmpegDecodes)
{
    const QByteArray& reference = *s_mp3Decoded;
    const int64_t total = reference.size() / kFrameBytes;
    ASSERT_EQ(engine.AudioPlayMP3(*s_mp3, 1, 0, 0, 0, 0), 0);
    EXPECT_EQ(backend.outputFormat(0), (StreamFormat{8000, 2, 16}));
    backend.advance(4000);
    EXPECT_EQ(engine.AudioGetPosition(0), 1 + 500);
    EXPECT_EQ(engine.AudioPlayMP3(*s_mp3, 0, 0, 0, 0, 0), PlayerCode::AlreadyPlaying);
    ASSERT_EQ(engine.AudioMoveTo(2000, 0), 0);
    EXPECT_EQ(engine.AudioGetPosition(1), 16000);
    const QByteArray tail = playToTheEnd(1);
    EXPECT_EQ(ended(), 1);
    EXPECT_EQ(backend.outputAudio(0), frames(reference, kFrameBytes, 8, 4000));
    EXPECT_EQ(tail.size(), (total - 16000) * kFrameBytes);
    EXPECT_TRUE(tail == frames(reference, kFrameBytes, 16000, total - 16000));
    EXPECT_EQ(engine.AudioGetPosition(0), 0);
}

// The WMA library's preview: a handle, the position in ms, a state that says when it is over, pause
// and resume, and a stop that ends it without an end message.
TEST_F(Previews, TheWmaPreviewOfPlivorn)
{
    PlivornPlayback wma(engine);
    const QByteArray& reference = *s_wmaDecoded;
    uint32_t handle = 0;
    ASSERT_EQ(wma.StartPlayBack(&handle, 0, *s_wma, 500, 0, 1500), 0);
    EXPECT_NE(handle, 0u);
    backend.advance(2000);
    uint32_t position = 0;
    EXPECT_EQ(wma.GetPlayBackPosition(handle, &position), 0);
    EXPECT_EQ(position, 750u);
    EXPECT_EQ(playToTheEnd(0), frames(reference, kFrameBytes, 4000, 8000));
    EXPECT_EQ(wma.GetPlayBackPosition(handle, &position), 1);
    EXPECT_EQ(position, 0u);

    window.messages.clear();
    ASSERT_EQ(wma.StartPlayBack(&handle, 0, *s_wma, 0, 0, 0), 0);
    backend.advance(1000);
    // Paused, the preview stays where it is until it is resumed.
    EXPECT_EQ(wma.PausePlayBack(handle + 1), PlayerCode::NoDataToPlay);
    EXPECT_EQ(wma.ResumePlayBack(handle + 1), PlayerCode::NoDataToPlay);
    ASSERT_EQ(wma.PausePlayBack(handle), 0);
    backend.advance(4000);
    EXPECT_EQ(wma.GetPlayBackPosition(handle, &position), 0);
    EXPECT_EQ(position, 125u);
    ASSERT_EQ(wma.ResumePlayBack(handle), 0);
    EXPECT_EQ(wma.ResumePlayBack(handle), PlayerCode::AlreadyPlaying);
    backend.advance(1000);
    EXPECT_EQ(wma.GetPlayBackPosition(handle, &position), 0);
    EXPECT_EQ(position, 250u);
    EXPECT_EQ(wma.StopPlayBack(handle + 1), PlayerCode::NoDataToPlay);
    EXPECT_EQ(wma.StopPlayBack(handle), 0);
    backend.advance(20000);
    EXPECT_EQ(ended(), 0);
    EXPECT_EQ(wma.GetPlayBackPosition(handle, &position), 1);
    EXPECT_EQ(wma.StartPlayBack(&handle, 0, *s_folder + "/none.wma", 0, 0, 0), PlayerCode::CannotOpenFile);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(wma.StartPlayBack(nullptr, 0, *s_wma, 0, 0, 0), PlayerCode::InvalidHandle);
}

// The Ogg library's preview: from the start, a seek in seconds, the position in seconds, a pause
// that a second one ends, and only Ogg Vorbis files.
TEST_F(Previews, TheOggPreview)
{
    VorbisPlayback ogg(engine);
    const QByteArray& reference = *s_oggDecoded;
    EXPECT_EQ(ogg.PlayVorbisFile(*s_mp3, 16), PlayerCode::FormatNotSupported);
    EXPECT_EQ(ogg.PlayVorbisFile(*s_ogg, 8), PlayerCode::FormatNotSupported);
    EXPECT_EQ(ogg.TimeSeek(1), PlayerCode::NoDataToPlay);
    ASSERT_EQ(ogg.PlayVorbisFile(*s_ogg, 16), 0);
    backend.advance(2000);
    EXPECT_DOUBLE_EQ(ogg.GetCurrentPosition(), 0.25);
    ASSERT_EQ(ogg.TimeSeek(1.5), 0);
    EXPECT_DOUBLE_EQ(ogg.GetCurrentPosition(), 1.5);
    EXPECT_EQ(ogg.TimeSeek(2.5), PlayerCode::NoDataToPlay);
    EXPECT_EQ(playToTheEnd(1), frames(reference, kFrameBytes, 12000, reference.size() / kFrameBytes - 12000));
    EXPECT_EQ(backend.outputAudio(0), frames(reference, kFrameBytes, 0, 2000));
    EXPECT_DOUBLE_EQ(ogg.GetCurrentPosition(), 0);
    // PausePlay pauses, and a second one resumes.
    EXPECT_EQ(ogg.PausePlay(), PlayerCode::NoDataToPlay);
    ASSERT_EQ(ogg.PlayVorbisFile(*s_ogg, 16), 0);
    backend.advance(2000);
    ASSERT_EQ(ogg.PausePlay(), 0);
    backend.advance(4000);
    EXPECT_DOUBLE_EQ(ogg.GetCurrentPosition(), 0.25);
    ASSERT_EQ(ogg.PausePlay(), 0);
    backend.advance(2000);
    EXPECT_DOUBLE_EQ(ogg.GetCurrentPosition(), 0.5);
    ASSERT_EQ(ogg.StopPlay(), 0);
    // Another playback is not the Vorbis preview's to stop.
    const QString wave = writeWave(*s_folder + "/ramp.wav", makePcmFormat(8000, 16, 2), ramp16(8000));
    ASSERT_EQ(engine.AudioPlayWave(wave, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(ogg.StopPlay(), 0);
    EXPECT_NE(engine.currentPlayback(), 0u);
    engine.AudioStop();
}

// A set of WAV files plays as one file: the set's position, the file heard, and seeks into it.
TEST_F(Previews, ASetOfWavFilesPlaysAsOne)
{
    const WaveFormatEx format = makePcmFormat(8000, 16, 2);
    const QByteArray a = ramp16(3000, 2, 0);
    const QByteArray b = ramp16(5000, 2, 7000);
    const QByteArray c = ramp16(2000, 2, 15000);
    const std::vector<PlaybackSetEntry> entries = {entry(writeWave(*s_folder + "/a.wav", format, a)),
                                                   entry(writeWave(*s_folder + "/b.wav", format, b)),
                                                   entry(writeWave(*s_folder + "/c.wav", format, c))};
    const QByteArray all = a + b + c;
    PlaybackSetInfo info;
    EXPECT_EQ(engine.AudioGetPlaybackSetInfo(&info, 1), PlayerCode::NoDataToPlay);
    EXPECT_EQ(info.file, -1);
    ASSERT_EQ(engine.AudioPlayWaveFilesSet(entries.data(), 3, 1000, 1, 0, 0, 9000), 0);
    backend.advance(2500);
    ASSERT_EQ(engine.AudioGetPlaybackSetInfo(&info, 1), 0);
    EXPECT_EQ(info.file, 1);
    EXPECT_EQ(info.files, 3);
    EXPECT_EQ(info.position, 3500);
    EXPECT_EQ(info.filePosition, 500);
    EXPECT_EQ(info.length, 10000);
    ASSERT_EQ(engine.AudioGetPlaybackSetInfo(&info, 0), 0);
    EXPECT_EQ(info.position, 437);
    ASSERT_EQ(engine.AudioMoveIntoPlaybackSet(1000, 0), 0); // frame 8000, in the third file
    ASSERT_EQ(engine.AudioGetPlaybackSetInfo(&info, 1), 0);
    EXPECT_EQ(info.file, 2);
    EXPECT_EQ(info.filePosition, 0);
    EXPECT_EQ(playToTheEnd(1), frames(all, kFrameBytes, 8000, 1000));
    EXPECT_EQ(backend.outputAudio(0), frames(all, kFrameBytes, 1000, 2500));
    EXPECT_EQ(ended(), 1);
    EXPECT_EQ(engine.AudioMoveIntoPlaybackSet(0, 1), PlayerCode::NoDataToPlay);
}

// A set of MP3 files at different rates and channels: each is decoded into the first one's format,
// so the second is heard resampled, and the set's length is the sum of theirs.
TEST_F(Previews, AnMp3SetTakesTheFirstFilesFormat)
{
    const std::vector<PlaybackSetEntry> entries = {entry(*s_mp3), entry(*s_mono)};
    const int64_t first = s_mp3Decoded->size() / kFrameBytes;
    const int64_t second = s_monoDecoded->size() / kFrameBytes;
    ASSERT_EQ(engine.AudioPlayMP3FilesSet(entries.data(), 2, 0, 0, 0, 0, 0), 0);
    PlaybackSetInfo info;
    ASSERT_EQ(engine.AudioGetPlaybackSetInfo(&info, 1), 0);
    EXPECT_EQ(info.files, 2);
    EXPECT_NEAR(double(info.length), double(first + second), 2);
    ASSERT_EQ(engine.AudioMoveIntoPlaybackSet(first + 100, 1), 0);
    ASSERT_EQ(engine.AudioGetPlaybackSetInfo(&info, 1), 0);
    EXPECT_EQ(info.file, 1);
    EXPECT_EQ(info.filePosition, 100);
    const QByteArray heard = playToTheEnd(1);
    EXPECT_EQ(heard.size(), (info.length - first - 100) * kFrameBytes);
    // The resampled file against ffmpeg's own resampling of it: the same sound, not the same bits.
    const QByteArray expected = frames(*s_monoDecoded, kFrameBytes, 100 + 200, 4000);
    const QByteArray got = frames(heard, kFrameBytes, 200, 4000);
    double error = 0;
    double energy = 0;
    for (qsizetype i = 0; i < std::min(expected.size(), got.size()) / 2; ++i) {
        const double x = enginetest::sample16(expected, i);
        const double y = enginetest::sample16(got, i);
        error += (x - y) * (x - y);
        energy += x * x;
    }
    EXPECT_LT(error, energy * 0.01);
}

// Bad files and sets give the codes of the map and start nothing.
TEST_F(Previews, BadFilesAndSets)
{
    const QString text = *s_folder + "/text.mp3";
    testsupport::writeFile(text, "not audio at all");
    const WaveFormatEx stereo = makePcmFormat(8000, 16, 2);
    const QString a = writeWave(*s_folder + "/a.wav", stereo, ramp16(100));
    const QString mono = writeWave(*s_folder + "/m.wav", makePcmFormat(8000, 16, 1), ramp16(100, 1));
    const QString adpcm = *s_folder + "/adpcm.wav";
    testsupport::writeFile(adpcm, wavefixtures::pcmWave(wavefixtures::waveFormat(2, 1, 8000, 4, 256), QByteArray(512, 1)));
    PlaybackSetEntry unterminated = entry(a);
    std::memset(unterminated.path, 'x', sizeof unterminated.path);
    const std::vector<PlaybackSetEntry> differ = {entry(a), entry(mono)};
    struct Case {
        const char* name;
        std::function<uint16_t()> start;
        uint16_t code;
    };
    const std::vector<Case> cases = {
        {"a missing MP3", [&] { return engine.AudioPlayMP3(*s_folder + "/none.mp3", 0, 0, 0, 0, 0); },
         PlayerCode::CannotOpenFile},
        {"text as an MP3", [&] { return engine.AudioPlayMP3(text, 0, 0, 0, 0, 0); }, PlayerCode::FormatNotSupported},
        {"no name", [&] { return engine.AudioPlayMP3("", 0, 0, 0, 0, 0); }, PlayerCode::NoFileName},
        {"a start past the end", [&] { return engine.AudioPlayMP3(*s_mp3, 3500, 0, 0, 0, 0); }, PlayerCode::NoDataToPlay},
        {"an empty set", [&] { return engine.AudioPlayWaveFilesSet(differ.data(), 0, 0, 1, 0, 0, 0); },
         PlayerCode::NoFileName},
        {"no entries", [&] { return engine.AudioPlayMP3FilesSet(nullptr, 2, 0, 1, 0, 0, 0); }, PlayerCode::NoFileName},
        {"a path without its end", [&] { return engine.AudioPlayWaveFilesSet(&unterminated, 1, 0, 1, 0, 0, 0); },
         PlayerCode::NoFileName},
        {"WAV files that differ", [&] { return engine.AudioPlayWaveFilesSet(differ.data(), 2, 0, 1, 0, 0, 0); },
         PlayerCode::FormatsDiffer},
        {"a compressed WAV in a WAV set", [&] {
             const PlaybackSetEntry e = entry(adpcm);
             return engine.AudioPlayWaveFilesSet(&e, 1, 0, 1, 0, 0, 0);
         },
         PlayerCode::NotPcm},
        {"an unknown unit", [&] { return engine.AudioPlayMP3(*s_mp3, 0, 5, 0, 0, 0); }, PlayerCode::NoDataToPlay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.start(), c.code);
        EXPECT_EQ(engine.currentPlayback(), 0u);
    }
    EXPECT_EQ(backend.outputStreamCount(), 0);
}
