#pragma once
// The recording format page of the podcast wizard without widgets: the formats offered (each
// rate, bit depth and channel count the input accepts, in a fixed order), what the rate, bits and
// channel boxes list for the choices made so far, the quality presets, and the format the boxes'
// texts give.

#include "common/WaveFormat.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace recorder {

struct OfferedFormat {
    uint32_t rate = 0;
    int bits = 0;
    int channels = 0;
    friend bool operator==(const OfferedFormat&, const OfferedFormat&) = default;
};

// Every combination of the rates 8,000 to 96,000 Hz, 8 and 16 bits and 1 and 2 channels, in that
// order, that accepts() takes.
std::vector<OfferedFormat> offeredFormats(const std::function<bool(const OfferedFormat&)>& accepts);

// "44100 Hz" for each distinct rate, in list order.
QStringList rateTexts(const std::vector<OfferedFormat>& offered);
// "16 Bit" for each distinct bit depth of the rate.
QStringList bitTexts(const std::vector<OfferedFormat>& offered, uint32_t rate);
// "Mono" and "Stereo" as the rate and bit depth have them.
QStringList channelTexts(const std::vector<OfferedFormat>& offered, uint32_t rate, int bits);
// The index of text in texts, else the fallback index when it is valid, else 0.
int choiceIndex(const QStringList& texts, const QString& text, int fallback = -1);

enum class Quality { Cd, Fm, AmRadio, Custom };
// The rate, bits and channels a quality selects (Custom starts from CD quality).
OfferedFormat qualityFormat(Quality quality);

// The PCM format of the boxes' texts: " Hz" and " Bit" dropped, an empty text 44,100 Hz or 16 bits;
// "Mono" is one channel, anything else two.
WaveFormatEx chosenFormat(const QString& rate, const QString& bits, const QString& channels);

} // namespace recorder
