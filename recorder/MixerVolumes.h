#pragma once
// The recording window's devices and volumes without their widgets: the chosen input and output
// device, the master playback and record volumes on four sliders with an optional left/right lock,
// the mixer's news of changes other programs made, and the two settings kept between sessions.
// The window mirrors positions() on its sliders after every call; setting a slider from code must
// not come back as a user move, and the mixer does not report the volumes written here, so no
// change goes round in a loop.

#include "platform/audio/MixerLibrary.h"

#include <QObject>
#include <QString>

#include <cstdint>

namespace platform {
class SettingsStore;
}

namespace recorder {

// The volume sliders' range; the top (0) is the loudest.
inline constexpr int kVolumeSliderMin = 0;
inline constexpr int kVolumeSliderMax = 100;

// init's result when there is no output device (nothing is shown for it).
inline constexpr int kNoOutputDevice = 194;

// Where the window's settings of the mixer live.
inline constexpr char kMixerSettingsKey[] = "\\Software\\Vexal Audio\\Wexo Ravadur\\Settings";

enum class VolumeChannel { Left, Right };

struct VolumePositions {
    int playbackLeft = kVolumeSliderMin;
    int playbackRight = kVolumeSliderMin;
    int recordLeft = kVolumeSliderMin;
    int recordRight = kVolumeSliderMin;
    bool lock = true;
    bool lockEnabled = true; // off for a one-channel input, whose lock shows ticked

    friend bool operator==(const VolumePositions&, const VolumePositions&) = default;
};

// Receives the mixer's news itself (posted to it on its thread) and says when the sliders moved.
class MixerVolumes : public QObject {
    Q_OBJECT

public:
    MixerVolumes(platform::audio::MixerLibrary& mixer, platform::SettingsStore& settings, QObject* parent = nullptr);

    const VolumePositions& positions() const { return m_positions; }
    // The record source's name (the input device itself); empty when no input could be selected.
    const QString& sourceName() const { return m_sourceName; }

    // Selects the devices (-1: the system's preferred one; a device that cannot be selected gives
    // way to the first one that can), reads the lock and both volumes, and starts the mixer's news.
    // 0, the mixer's code when no input can be selected, or 194 without outputs.
    int init(int inputIndex, int outputIndex);
    // Writes the lock and the record source and lets the devices go (the window closes).
    void save();

    // The user moved a slider.
    int playbackMoved(VolumeChannel channel, int position);
    int recordMoved(VolumeChannel channel, int position);
    // The user clicked the lock box, which now shows ticked. Ticking it gives both devices' right
    // channels the left ones' values: 0, or the mixer's first failing code.
    int lockClicked(bool ticked);
    // Another input or output device was chosen in the preferences.
    int selectInput(int index);
    int selectOutput(int index);

    // A message of the mixer (0x7E9, 0x7EA, 0x7EB): the sliders follow the device.
    void onMixerMessage(uint32_t message);

signals:
    // The mixer's news moved the positions or changed the source's name.
    void changed();

protected:
    bool event(QEvent* event) override;

private:
    int selectWithFallBack(bool input, int index);
    void readRecord();
    void readPlayback();

    platform::audio::MixerLibrary& m_mixer;
    platform::SettingsStore& m_settings;
    VolumePositions m_positions;
    QString m_sourceName;
    int m_recordChannels = 2;
};

} // namespace recorder
