// The recording window's placement in the settings store: what a save writes, what a restore reads
// (and where it stops), their failures, and the move of a stored rectangle onto a screen that exists.
#include "recorder/WindowPlacement.h"

#include "platform/settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

using namespace recorder;
using platform::MemorySettingsStore;

namespace {

const QString kKey = QStringLiteral("\\Software\\Vexal Audio\\Wexo Ravadur\\SizeAndPos");

TEST(WindowPlacement, SaveWritesTheGeometryAndTheState)
{
    const struct {
        PlacementState state;
        const char* text;
    } cases[] = {{PlacementState::Normal, "Normal"},
                 {PlacementState::Minimized, "Minimized"},
                 {PlacementState::Maximized, "Maximized"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MemorySettingsStore store;
        ASSERT_EQ(SaveWindowPlacement(store, {c.state, -20, 30, 1024, 700}), 0);
        EXPECT_EQ(store.readString(kKey, QStringLiteral("State")).value.toStdString(), c.text);
        EXPECT_EQ(store.readInteger(kKey, QStringLiteral("Left Position")).value, -20);
        EXPECT_EQ(store.readInteger(kKey, QStringLiteral("Top Position")).value, 30);
        EXPECT_EQ(store.readInteger(kKey, QStringLiteral("Width")).value, 1024);
        EXPECT_EQ(store.readInteger(kKey, QStringLiteral("Height")).value, 700);
    }
}

TEST(WindowPlacement, SaveFailures)
{
    MemorySettingsStore noKey;
    noKey.setFailKeyCreation(true);
    EXPECT_EQ(SaveWindowPlacement(noKey, {}), 185);

    MemorySettingsStore noWrite;
    ASSERT_TRUE(noWrite.createKey(kKey));
    noWrite.setFailWrites(true);
    EXPECT_EQ(SaveWindowPlacement(noWrite, {}), 187);
}

TEST(WindowPlacement, SavedPlacementIsRestored)
{
    MemorySettingsStore store;
    ASSERT_EQ(SaveWindowPlacement(store, {PlacementState::Minimized, 10, 20, 800, 600}), 0);
    RestoredPlacement restored;
    EXPECT_EQ(RestoreWindowPlacement(store, restored), 0);
    EXPECT_FALSE(restored.maximized);
    EXPECT_EQ(restored.left, 10);
    EXPECT_EQ(restored.top, 20);
    EXPECT_EQ(restored.width, 800);
    EXPECT_EQ(restored.height, 600);
}

// What a restore finds for each set of stored values.
TEST(WindowPlacement, RestoreReadsInOrderAndStopsAtTheFirstGap)
{
    using Values = std::vector<std::pair<const char*, platform::SettingsValue>>;
    const struct {
        const char* name;
        Values values;
        int result;
        bool maximized;
        std::optional<int32_t> left, top, width, height;
    } cases[] = {
        {"first run", {}, 187, false, {}, {}, {}, {}},
        {"maximized, any case, reads no geometry",
         {{"State", QStringLiteral("maximized")}, {"Left Position", 5}}, 0, true, {}, {}, {}, {}},
        {"no state is a normal window", {{"Left Position", 1}, {"Top Position", 2}, {"Width", 3}, {"Height", 4}},
         0, false, 1, 2, 3, 4},
        {"a missing top keeps the rest",
         {{"State", QStringLiteral("Normal")}, {"Left Position", 7}, {"Width", 300}, {"Height", 200}}, 187, false,
         7, {}, {}, {}},
        {"a width of another type stops there",
         {{"Left Position", 7}, {"Top Position", 8}, {"Width", QStringLiteral("wide")}, {"Height", 200}}, 187, false,
         7, 8, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore store;
        for (const auto& [name, value] : c.values)
            ASSERT_TRUE(store.writeValue(kKey, QString::fromLatin1(name), value));
        RestoredPlacement restored;
        restored.left = 99; // a restore starts afresh
        EXPECT_EQ(RestoreWindowPlacement(store, restored), c.result);
        EXPECT_EQ(restored.maximized, c.maximized);
        EXPECT_EQ(restored.left, c.left);
        EXPECT_EQ(restored.top, c.top);
        EXPECT_EQ(restored.width, c.width);
        EXPECT_EQ(restored.height, c.height);
        EXPECT_TRUE(store.keyExists(kKey));
    }
}

TEST(WindowPlacement, RestoreWithoutKey)
{
    MemorySettingsStore store;
    store.setFailKeyCreation(true);
    RestoredPlacement restored;
    EXPECT_EQ(RestoreWindowPlacement(store, restored), 185);
    EXPECT_FALSE(restored.left);
}

TEST(WindowPlacement, PlacedOnAScreenThatExists)
{
    const QRect left(0, 0, 1920, 1050);
    const QRect right(1920, 0, 1280, 1000);
    const struct {
        const char* name;
        QRect window;
        QList<QRect> screens;
        QRect placed;
    } cases[] = {
        {"inside a screen", QRect(100, 100, 800, 600), {left, right}, QRect(100, 100, 800, 600)},
        {"inside the second screen", QRect(2000, 50, 800, 600), {left, right}, QRect(2000, 50, 800, 600)},
        {"across both: onto the one it overlaps most", QRect(1500, 100, 800, 600), {left, right},
         QRect(1120, 100, 800, 600)},
        {"on a screen that went away", QRect(3500, 200, 800, 600), {left}, QRect(1120, 200, 800, 600)},
        {"above every screen", QRect(100, -900, 800, 600), {left, right}, QRect(100, 0, 800, 600)},
        {"larger than its screen", QRect(1920, 0, 1600, 1200), {right}, QRect(1920, 0, 1280, 1000)},
        {"no screens", QRect(-5000, -5000, 10, 10), {}, QRect(-5000, -5000, 10, 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(placeOnScreens(c.window, c.screens), c.placed);
    }
}

} // namespace
