#pragma once
// The rules of the WAV-to-MP3 dialog without its widgets: which encoders and bit rates it offers
// for a source, which rate it shows first, and which encoder its "Save" mode tries a preset rate
// with.
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace recorder {

// The bit rates (kbit/s) the dialog tests, in this order.
inline constexpr std::array<int, 16> kMp3CandidateRates{20,  24,  32,  40,  48,  56,  64,  80,
                                                        96, 112, 128, 160, 192, 224, 256, 320};
inline constexpr char kLameCodecName[] = "Lame Encoder";
inline constexpr char kSystemCodecName[] = "Windows ACM Default";
// The rate shown first when the list has it.
inline constexpr int kPreferredMp3Rate = 128;

struct Mp3CodecChoices {
    QStringList codecNames;
    QList<int> lameRates;
    QList<int> codecRates;
};

// The encoders and their accepted rates: "Lame Encoder" when it is available, "Windows ACM
// Default" when the system codec accepts any rate.
Mp3CodecChoices buildMp3CodecChoices(bool lameAvailable, const std::function<bool(int kbps)>& lameAccepts,
                                     const std::function<bool(int kbps)>& codecAccepts);

bool isLameCodec(const QString& codec);
// The rates of the named encoder.
const QList<int>& ratesOfCodec(const Mp3CodecChoices& choices, const QString& codec);
// The index the bit-rate box shows when the window opens: 128, else the last; -1 for no rates.
int shownRateIndex(const QList<int>& rates);

// The encoder a "Save" run tries its preset rate with: the one used last in this run of the
// program, else the LAME encoder when it is present; empty when there is none.
QString saveModeCodec(const QString& usedThisRun, bool lamePresent);

// The encoder used last in this run of the program (GUI thread only).
QString mp3CodecUsedThisRun();
void setMp3CodecUsedThisRun(const QString& codec);

} // namespace recorder
