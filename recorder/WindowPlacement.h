#pragma once
// Where the recording window was: its state and normal geometry, kept in the settings store under
// "\Software\Vexal Audio\Wexo Ravadur\SizeAndPos" and restored at the next start. Failures only
// leave the designed or current placement; the caller shows nothing.

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform {
class SettingsStore;
}

namespace recorder {

inline constexpr char kPlacementBaseKey[] = "\\Software\\Vexal Audio\\Wexo Ravadur";
inline constexpr char kPlacementSubKey[] = "SizeAndPos";

enum class PlacementState { Normal, Minimized, Maximized };

struct WindowPlacement {
    PlacementState state = PlacementState::Normal;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// What a restore found. A maximized window reads no geometry; a normal one reads left, top, width
// and height in that order and stops at the first that cannot be read, leaving it and the rest unset.
struct RestoredPlacement {
    bool maximized = false;
    std::optional<int32_t> left, top, width, height;
};

// Writes the four integers, then the state ("Minimized", "Maximized" or "Normal"), stopping at the
// first failure. 0, 185 the key cannot be made, 187 a value was not written.
int SaveWindowPlacement(platform::SettingsStore& store, const WindowPlacement& placement);

// Creates the key when missing, then reads. 0; 185 the key cannot be made; 187 a value could not
// be read (also a first run, which has none: nothing of the geometry is set then).
int RestoreWindowPlacement(platform::SettingsStore& store, RestoredPlacement& placement);

// The window's rectangle moved and, if need be, shrunk onto the available area of the screen it
// overlaps most, or of the first screen when it overlaps none; unchanged when it already lies on
// one. With no screen at all the rectangle is returned as it is.
QRect placeOnScreens(const QRect& window, const QList<QRect>& screens);

} // namespace recorder
