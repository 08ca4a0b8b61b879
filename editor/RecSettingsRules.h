#pragma once
// The rules of the recording-format dialog without its widgets: the formats the input device
// takes, and the three lists (rate, then bits for that rate, then channels for both) that narrow
// them down, with the format they give.

#include "common/WaveFormat.h"

#include <QList>
#include <QStringList>

#include <cstdint>
#include <functional>

struct SupportedFormat {
    int32_t rate = 0;
    uint8_t bits = 0;
    uint8_t channels = 0;

    friend bool operator==(const SupportedFormat&, const SupportedFormat&) = default;
};

// Whether the input device records in a PCM format.
using RecordFormatQuery = std::function<bool(const WaveFormatEx& format)>;

// Every candidate the query accepts: the rates 8,000 to 96,000 Hz (outermost), 8 and 16 bits, mono
// and stereo (innermost), in that order.
QList<SupportedFormat> supportedRecordFormats(const RecordFormatQuery& query);

class RecSettingsRules {
public:
    static constexpr int32_t kDefaultRate = 44100;
    static constexpr uint8_t kDefaultBits = 16;
    static constexpr uint8_t kDefaultChannels = 2;

    // Fills the lists and selects 44,100 Hz, 16 bits and stereo where offered (else the first
    // entry of each list), which become the results.
    explicit RecSettingsRules(QList<SupportedFormat> supported);

    const QStringList& rates() const { return m_rates; }
    const QStringList& bits() const { return m_bits; }
    const QStringList& channels() const { return m_channels; }
    int rateIndex() const { return m_rateIndex; }
    int bitsIndex() const { return m_bitsIndex; }
    int channelsIndex() const { return m_channelsIndex; }

    // A new rate: the bits and channels lists are made for it; the bits and channels chosen before
    // stay chosen where the new lists offer them, else the first entries are.
    void selectRate(int index);
    // New bits: the channels list is made for the rate and bits, keeping the channels chosen.
    void selectBits(int index);
    void selectChannels(int index);

    // OK: the results become what the lists show (44,100 Hz, 16 bits, stereo for an empty list).
    void accept();
    int32_t rate() const { return m_rate; }
    uint8_t bitsPerSample() const { return m_bitsResult; }
    uint8_t channelCount() const { return m_channelsResult; }
    WaveFormatEx format() const { return makePcmFormat(uint32_t(m_rate), m_bitsResult, m_channelsResult); }

private:
    void fillBits(const QString& keep);
    void fillChannels(const QString& keep);
    // The entry's text, or an empty one when index is outside list.
    static QString at(const QStringList& list, int index);

    QList<SupportedFormat> m_supported;
    QStringList m_rates;
    QStringList m_bits;
    QStringList m_channels;
    int m_rateIndex = -1;
    int m_bitsIndex = -1;
    int m_channelsIndex = -1;
    int32_t m_rate = kDefaultRate;
    uint8_t m_bitsResult = kDefaultBits;
    uint8_t m_channelsResult = kDefaultChannels;
};
