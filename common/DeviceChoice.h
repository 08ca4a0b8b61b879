#pragma once
// The chosen recording or playback device of a program's preferences: the stored choice (an index
// into the audio engine's device list, -1 for the system's preferred device, and the device's
// name beside it), the list the preferences window offers, and the device's selection in the
// engine.
//
// The index alone would point at another device once the list's order changed (a device plugged
// in or out), so the name is kept with it and decides where it is there: the stored device is
// found again wherever it moved. A stored device that is gone falls back to the preferred one.
// Used on the GUI thread only (the engine's rule).

#include "common/ErrCodes.h"

#include <QString>

#include <vector>

namespace platform {
class Messages;
}
namespace platform::audio {
class AudioEngine;
}

enum class DeviceDirection { Input, Output };

struct DeviceEntry {
    int index = -1;      // in the engine's list; -1: the system's preferred device
    QString description; // what the list shows
    QString name;        // the engine's name of the device; empty for the preferred one

    friend bool operator==(const DeviceEntry&, const DeviceEntry&) = default;
};

class DeviceChoice {
public:
    DeviceChoice(DeviceDirection direction, platform::audio::AudioEngine& engine);

    // The stored choice as loaded (an empty name: only the index is known).
    void setStored(int index, const QString& name);
    int storedIndex() const { return m_index; }
    const QString& storedName() const { return m_name; }

    // Builds the list from the engine: each device with its description ("Unknown Device" when it
    // cannot be read), then the preferred device's entry. Selects the stored device in the engine
    // (a failure is shown through playerMap); a stored device that is not in the list becomes -1.
    // Without any device the list stays empty and message 192 (input) or 194 (output) is shown.
    void build(const platform::Messages& messages, ErrorCodeMap playerMap);
    const std::vector<DeviceEntry>& entries() const { return m_entries; }
    // The stored device's place in entries(); -1 when the list is empty.
    int storedPosition() const;

    // The window's OK with the entry at position chosen (-1: none, nothing changes): it becomes the
    // stored choice and is selected in the engine (a failure is shown through playerMap).
    void choose(int position, const platform::Messages& messages, ErrorCodeMap playerMap);

    // The stored device's index in the engine's list as it is now, or the engine's preferred
    // device for -1 (and for a stored device that is gone); -1 when there is none.
    int deviceIndex();

private:
    int count();
    uint16_t description(int index, QString* text);
    uint16_t deviceName(int index, QString* text);
    int find(const QString& name);
    uint16_t select(int index);
    uint16_t selectByName(const QString& name);
    uint16_t preferred(int* index);

    DeviceDirection m_direction;
    platform::audio::AudioEngine& m_engine;
    int m_index = -1;
    QString m_name;
    std::vector<DeviceEntry> m_entries;
};
