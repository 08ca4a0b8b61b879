// A recorder that is killed: records a voice take from the virtual backend's sine, with a music
// take following it, in real time, until the test kills the process. It prints its process id,
// then the frames in the voice take every tenth of a second.
//   take_kill_child <voice.wav> <music.wav>
#include "common/WaveFormat.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/MusicTrackLibrary.h"
#include "platform/audio/VirtualBackend.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <unistd.h>

using namespace platform::audio;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    VirtualBackend backend;
    backend.setPeriod(80);
    backend.setInputSine(440, 0.5);
    AudioEngine engine(backend);
    MusicTrackLibrary library(engine);
    if (engine.AudioStartRecord(QString::fromLocal8Bit(argv[1]), 8000, 16, 2, 0) != 0
        || library.PrepareMusicTrack(QString::fromLocal8Bit(argv[2]), makePcmFormat(8000, 16, 2), -1) != 0)
        return 1;
    std::printf("pid %d\n", int(::getpid()));
    std::fflush(stdout);
    for (;;) {
        for (int i = 0; i < 10; ++i) {
            backend.advance(80);
            QThread::msleep(10);
        }
        std::printf("frames %lld\n", static_cast<long long>(engine.AudioGetRecordPosition(1)));
        std::fflush(stdout);
    }
}
